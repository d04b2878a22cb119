#include "core/safe_file.h"
#include "support/full_disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using namespace wendolarka;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString failureOf(const std::function<void()>& write) {
    try {
        write();
    } catch (const EFileWrite& e) {
        return e.message();
    }
    return {};
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode;
}

class SafeFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
};

} // namespace

TEST_F(SafeFile, ReplacesWholeKeepingPermissionsAndLeavesNothingBeside) {
    const QString target = path("wzorzec.wzo");
    writeFileSafely(target, "stary");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    writeFileSafely(target, "nowy i dłuższy");
    EXPECT_EQ(readAll(target), QByteArray("nowy i dłuższy"));
    EXPECT_EQ(modeOf(target) & 0777, 0640u);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("wzorzec.wzo")});
    // A name in a folder that is not there: said, nothing made.
    EXPECT_EQ(failureOf([&] { writeFileSafely(path("brak/x.png"), "x"); }),
              QString::fromUtf8("Nie mogę zapisać pliku %1: nie ma takiego folderu.").arg(path("brak/x.png")));
}

TEST_F(SafeFile, AFileOverTheSizeLimitKeepsTheOldOne) {
    const QString target = path("karta.png");
    writeFileSafely(target, QByteArray(100, 'a'));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    // Streamed: the write that crosses the limit fails, later ones too, and commit says why.
    TSafeFile file(target);
    file.open();
    EXPECT_EQ(file.write(QByteArray(3000, 'b')), 3000);
    EXPECT_EQ(file.write(QByteArray(3000, 'b')), -1);
    EXPECT_EQ(file.write(QByteArray(10, 'b')), -1);
    const QString message = failureOf([&] { file.commit(); });
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(message, QString::fromUtf8("Nie mogę zapisać pliku %1: plik byłby większy, niż system pozwala. "
                                         "Poprzednia zawartość pliku została zachowana.")
                           .arg(target));
    EXPECT_EQ(readAll(target), QByteArray(100, 'a'));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("karta.png")});
}

TEST(SafeFileOnAFullDisk, ASmallFileIsNeverReplacedByAnEmptyOne) {
    test::FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << test::FullDisk::skipReason();
    const QString target = disk.filePath(QStringLiteral("karta.png"));
    disk.put(QStringLiteral("karta.png"), QByteArray(300, 'p'));
    disk.fill();
    // Small enough to sit in any write buffer: the failure still comes out.
    const QString message = failureOf([&] { writeFileSafely(target, QByteArray(200, 'n')); });
    EXPECT_TRUE(message.contains(QString::fromUtf8("brak miejsca na dysku"))) << message.toStdString();
    EXPECT_TRUE(message.contains(target));
    EXPECT_EQ(readAll(target), QByteArray(300, 'p'));
    EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral(".filler"), QStringLiteral("karta.png")}));
}

TEST_F(SafeFile, ALinkStaysALinkAndItsTargetIsWritten) {
    const QString real = path("prawdziwy.pdf");
    writeFileSafely(real, "stary");
    QFile::link(QStringLiteral("prawdziwy.pdf"), path("skrot.pdf")); // relative, as users make them
    writeFileSafely(path("skrot.pdf"), "nowy");
    EXPECT_TRUE(QFileInfo(path("skrot.pdf")).isSymLink());
    EXPECT_EQ(readAll(real), QByteArray("nowy"));
    // A link to nothing yet makes its target.
    QFile::link(path("bedzie.pdf"), path("wisi.pdf"));
    writeFileSafely(path("wisi.pdf"), "jest");
    EXPECT_TRUE(QFileInfo(path("wisi.pdf")).isSymLink());
    EXPECT_EQ(readAll(path("bedzie.pdf")), QByteArray("jest"));
}

TEST_F(SafeFile, DevicesAreWrittenToPipesWithoutAReaderAndFoldersRefused) {
    // A device is written to, never replaced, and its failure is said.
    EXPECT_EQ(failureOf([] { writeFileSafely(QStringLiteral("/dev/full"), "x"); }),
              QString::fromUtf8("Nie mogę zapisać pliku /dev/full: brak miejsca na dysku."));
    EXPECT_TRUE(S_ISCHR(modeOf(QStringLiteral("/dev/full"))));
    QFile::link(QStringLiteral("/dev/null"), path("nic"));
    writeFileSafely(path("nic"), "x");
    EXPECT_TRUE(S_ISCHR(modeOf(QStringLiteral("/dev/null"))));
    EXPECT_TRUE(QFileInfo(path("nic")).isSymLink());

    // A pipe nobody reads would hang the program: refused at once.
    const QString fifo = path("potok");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(failureOf([&] { writeFileSafely(fifo, "x"); }).contains(QString::fromUtf8("nikt nie odbiera")));
    // With a reader the bytes go through and the pipe stays a pipe.
    QByteArray received;
    std::thread reader([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
        char buffer[64];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            received.append(buffer, n);
        ::close(fd);
    });
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (failureOf([&] { writeFileSafely(fifo, "przez potok"); }).isEmpty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // until the reader has opened it
    }
    reader.join();
    EXPECT_EQ(received, QByteArray("przez potok"));
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));

    EXPECT_EQ(failureOf([&] { writeFileSafely(dir.path(), "x"); }),
              QString::fromUtf8("Nie mogę zapisać pliku %1: to jest folder, nie plik.").arg(dir.path()));
}
