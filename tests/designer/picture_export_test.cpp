#include "controls/label.h"
#include "core/exception.h"
#include "core/safe_file.h"
#include "designer/pass_window.h"
#include "designer/picture_export.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdio>
#include <csignal>
#include <sys/resource.h>
#include <jpeglib.h>

using namespace wendolarka;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct JpegFacts {
    int width = 0, height = 0, components = 0;
    bool progressive = true, jfif = false;
};

JpegFacts readJpegHeader(const QByteArray& bytes) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    JpegFacts facts{static_cast<int>(info.image_width), static_cast<int>(info.image_height), info.num_components,
                    info.progressive_mode != 0, info.saw_JFIF_marker != 0};
    jpeg_destroy_decompress(&info);
    return facts;
}

struct Export : ::testing::Test {
    ScriptedDialogs dialogs;
    TForm1 pass;
    QTemporaryDir dir;

    bool save(const QString& name, int filter) {
        dialogs.saveAnswers.push_back(FileDialogResult{dir.filePath(name), filter});
        return picture_export::exportWindow(pass, dialogs);
    }
};

} // namespace

TEST_F(Export, TheFilterDecidesTheFormatNotTheName) {
    ASSERT_TRUE(save(QStringLiteral("karta.jpg"), 2)); // BMP under a .jpg name
    const QByteArray bmp = readAll(dir.filePath(QStringLiteral("karta.jpg")));
    ASSERT_GE(bmp.size(), 54);
    EXPECT_TRUE(bmp.startsWith("BM"));
    const auto* p = reinterpret_cast<const uchar*>(bmp.constData());
    EXPECT_EQ(qFromLittleEndian<qint32>(p + 18), TForm1::kClientWidth);
    EXPECT_EQ(qFromLittleEndian<qint32>(p + 22), TForm1::kClientHeight);
    EXPECT_EQ(qFromLittleEndian<quint16>(p + 28), 24);
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 30), 0u);
    EXPECT_EQ(bmp.size(), 54 + ((376 * 3 + 3) & ~3) * 194);
    EXPECT_EQ(dialogs.saveRequests.back().filter, QStringLiteral("Plik JPG|*.jpg|Plik BMP|*.bmp|Plik PNG|*.png"));

    ASSERT_TRUE(save(QStringLiteral("karta.bmp"), 1)); // JPEG under a .bmp name
    const JpegFacts jpeg = readJpegHeader(readAll(dir.filePath(QStringLiteral("karta.bmp"))));
    EXPECT_EQ(jpeg.width, 376);
    EXPECT_EQ(jpeg.height, 194);
    EXPECT_EQ(jpeg.components, 3);
    EXPECT_FALSE(jpeg.progressive);
    EXPECT_TRUE(jpeg.jfif);

    ASSERT_TRUE(save(QStringLiteral("karta"), 3)); // no extension: the type's own
    const QImage png(dir.filePath(QStringLiteral("karta.png")), "PNG");
    EXPECT_EQ(png.size(), QSize(376, 194));
    EXPECT_EQ(png.pixelColor(200, 100), pass.Snapshot().pixelColor(200, 100));
}

TEST_F(Export, HiddenElementsAreLeftOutAndCancelWritesNothing) {
    pass.show();
    pass.lblNazwisko->setVisible(false);
    ASSERT_TRUE(save(QStringLiteral("bez.bmp"), 2));
    const QImage without(dir.filePath(QStringLiteral("bez.bmp")));
    pass.lblNazwisko->setVisible(true);
    ASSERT_TRUE(save(QStringLiteral("z.bmp"), 2));
    const QImage with(dir.filePath(QStringLiteral("z.bmp")));
    EXPECT_NE(without, with);
    const QRect r = pass.lblNazwisko->BoundsRect().toQRect();
    bool differsInside = false;
    for (int y = r.top(); y <= r.bottom() && !differsInside; ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (without.pixel(x, y) != with.pixel(x, y)) {
                differsInside = true;
                break;
            }
    EXPECT_TRUE(differsInside);

    dialogs.saveAnswers.push_back(std::nullopt);
    EXPECT_FALSE(picture_export::exportWindow(pass, dialogs));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(Export, AFailedWriteLeavesTheOldFileWhole) {
    const QString path = dir.filePath(QStringLiteral("stary.bmp"));
    ASSERT_TRUE(save(QStringLiteral("stary.bmp"), 2));
    const QByteArray before = readAll(path);
    // A disk that fills up half way: files may not grow past a few bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    QString message;
    try {
        writeFileSafely(path, QByteArray(before.size() + 8192, 'x'));
    } catch (const Exception& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(message, QString::fromUtf8("Nie mogę zapisać pliku %1: plik byłby większy, niż system pozwala. "
                                          "Poprzednia zawartość pliku została zachowana.").arg(path));
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("stary.bmp")}); // nothing left beside it
}

TEST_F(Export, ANameCompletedToAnExistingFileIsAskedAbout) {
    ASSERT_TRUE(save(QStringLiteral("karta.jpg"), 1));
    const QByteArray before = readAll(dir.filePath(QStringLiteral("karta.jpg")));
    dialogs.messageAnswers.push_back(mrNo);
    EXPECT_FALSE(save(QStringLiteral("karta"), 1)); // "karta" as JPEG is karta.jpg, which exists
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("karta.jpg"))), before);
    EXPECT_TRUE(save(QStringLiteral("karta"), 2)); // as BMP: karta.bmp is new, nothing asked
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests.back().filterIndex, 0); // the dialog keeps the last type
}
