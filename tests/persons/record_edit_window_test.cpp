#include "core/image_codecs.h"
#include "core/picture.h"
#include "persons/record_edit_window.h"
#include "photos/crop_view.h"
#include "platform/desktop.h"
#include "support/error_text.h"
#include "support/photo_editor_answer.h"
#include "support/scripted_camera.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

void type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &key);
    }
}

// A picture whose left half is red and right half blue.
QImage halves(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    return image;
}

TPicture jpegPicture(const QImage& image) { return TPicture(TJPEGImage::fromFileData(encodeJpeg(image))); }

bool isJpeg(const TPicture& picture) {
    return picture.Graphic() && picture.Graphic()->ClassName() == u"TJPEGImage" &&
           picture.Graphic()->fileData().startsWith("\xFF\xD8");
}

// Width over height within the rounding of one pixel.
void expectAspect(const TPicture& picture, double aspect) {
    ASSERT_GT(picture.Height(), 0);
    EXPECT_NEAR(picture.Width(), aspect * picture.Height(), 1.0) << picture.Width() << " x " << picture.Height();
}

// The same picture as a two-colour GIF (Qt writes none): each pixel a literal
// code after a clear code, so every code stays three bits wide.
QByteArray gifOf(int width, int height) {
    QByteArray gif("GIF89a");
    const auto word = [&gif](int v) {
        gif.append(char(v & 0xFF));
        gif.append(char(v >> 8));
    };
    word(width);
    word(height);
    gif.append("\x80\x00\x00\xFF\x00\x00\x00\x00\xFF", 9); // two colours: red, blue
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0');
    gif.append('\x02');
    QByteArray codes;
    quint32 bits = 0;
    int pending = 0;
    const auto code = [&](int c) {
        bits |= quint32(c) << pending;
        for (pending += 3; pending >= 8; pending -= 8, bits >>= 8)
            codes.append(char(bits & 0xFF));
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            code(4);
            code(x < width / 2 ? 0 : 1);
        }
    code(5);
    if (pending)
        codes.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        gif.append(char(block.size()));
        gif.append(block);
    }
    gif.append("\x00;", 2);
    return gif;
}

// Dialogs after which, as a window manager may, the focus goes to another window.
class FocusLosingDialogs final : public IDialogs {
public:
    explicit FocusLosingDialogs(QWidget& other) : m_other(other) {}
    std::optional<FileDialogResult> OpenFile(const FileDialogOptions&) override { return loseFocus(), std::nullopt; }
    std::optional<FileDialogResult> SaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(const QString&, const QString&) override { return std::nullopt; }
    std::optional<TFont> ChooseFont(const TFont&) override { return std::nullopt; }
    std::optional<TColor> ChooseColor(TColor) override { return std::nullopt; }
    bool PrinterSetup(QPrinter&) override { return false; }
    TModalResult MessageDlg(const QString&, TMsgDlgType, TMsgDlgButtons) override { return loseFocus(), mrCancel; }
    void ShowMessage(const QString&) override { loseFocus(); }
    void ShowError(const QString&) override { loseFocus(); }

private:
    void loseFocus() {
        m_other.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_other));
    }
    QWidget& m_other;
};

} // namespace

TEST(RecordEditWindow, IsActiveAgainAfterADialogOverIt) {
    QWidget mainWindow;
    mainWindow.show();
    FocusLosingDialogs dialogs(mainWindow);
    TFEdycja window(dialogs);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (QPushButton* button : {window.btnKamera, window.btnFoto, window.btnUsuwa}) {
        button->click(); // no camera's message, the file dialog cancelled, the question answered Anuluj
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window)) << button->objectName().toStdString();
    }
}

TEST(RecordEditWindow, LaidOutAsTheStoredWindowAndPlacedAboveTheMainWindow) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Edycja rekordu"));
    EXPECT_EQ(window.lblBaza->text(), QStringLiteral("brak"));
    EXPECT_EQ(window.lblRekordy->text(), QStringLiteral("00"));
    EXPECT_EQ(window.edNazwisko->geometry(), QRect(256, 122, 177, 21));
    EXPECT_EQ(window.edUsluga2->geometry(), QRect(80, 426, 353, 21));
    EXPECT_EQ(window.bitZeruj->geometry(), QRect(216, 224, 217, 25));
    EXPECT_EQ(window.btnZamknij->geometry(), QRect(320, 8, 82, 25));
    EXPECT_EQ(window.bitDelete->toolTip(), QStringLiteral("Usuwa widoczny rekord"));
    EXPECT_FALSE(window.edID->isVisibleTo(&window));
    EXPECT_TRUE(window.edID->isReadOnly());
    EXPECT_EQ(window.placeholder().Graphic()->ClassName(), QStringLiteral("TJPEGImage"));
    EXPECT_EQ(window.placeholder().Width(), 3);

    EXPECT_EQ(TFEdycja::placement(QRect(0, 0, 1920, 1080), 239), QPoint(1368, 193));
    FixedDesktop desktop(QRect(0, 0, 1280, 1024));
    window.setPlacement(&desktop, 239);
    window.show();
    EXPECT_EQ(window.pos(), QPoint(1280 - 482 - 70, 1024 - 548 - 239 - 100));
}

TEST(RecordEditWindow, TypingTurnsDoubleQuotesIntoSingleOnesAndRefusesForeignLetters) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    for (QLineEdit* edit : window.textEdits()) {
        type(edit, QString::fromUtf8("„A\"b\"Ж ł"));
        EXPECT_EQ(edit->text(), QString::fromUtf8("„A'b' ł")) << edit->objectName().toStdString();
    }
}

TEST(RecordEditWindow, PhotoButtonsAndClearing) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    QTemporaryDir dir;
    QImage image(200, 300, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString jpg = dir.filePath(QStringLiteral("duze.JPG"));
    TPicture(TJPEGImage::fromImage(image)).SaveToFile(jpg);

    dialogs.openAnswers.push_back(FileDialogResult{jpg, 1});
    const auto edited = whenThePhotoEditorShows(EditorAnswer::cancel);
    window.btnFotoClick();
    EXPECT_EQ(*edited, 1);
    EXPECT_EQ(dialogs.openRequests.back().title, QStringLiteral("Pobranie pliku graficznego dla bazy"));
    // A JPEG that fits is kept byte for byte.
    EXPECT_EQ(window.photo().Graphic()->fileData(), TPicture::LoadFromFile(jpg).Graphic()->fileData());
    EXPECT_TRUE(window.photoChangedByUser());

    const QString text = dir.filePath(QStringLiteral("x.txt"));
    dialogs.openAnswers.push_back(FileDialogResult{text, 1});
    EXPECT_EQ(errorOf([&] { window.btnFotoClick(); }), QStringLiteral("Unknown picture file extension (.txt)"));
    EXPECT_EQ(window.photo().Width(), 200);

    window.btnUsuwaClick(); // Esc: Cancel
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8("Usunąć to zdjęcie z bazy?"));
    EXPECT_EQ(dialogs.messages.back().buttons, mbOK | mbCancel);
    EXPECT_EQ(window.photo().Width(), 200);
    dialogs.messageAnswers.push_back(mrOk);
    window.btnUsuwaClick();
    EXPECT_EQ(window.photo().Width(), 3);

    window.edImie->setText(QStringLiteral("Ala"));
    window.edID->setText(QStringLiteral("42"));
    window.btnZerujClick();
    for (const QString& text : window.texts())
        EXPECT_EQ(text, QStringLiteral(" "));
    EXPECT_EQ(window.edID->text(), QStringLiteral("42"));
    EXPECT_EQ(window.photoToStore().Graphic()->fileData(), window.placeholder().Graphic()->fileData());
}

TEST(RecordEditWindow, TheRecordButtonsRunTheMainWindowsCommands) {
    struct Log : IRecordCommands {
        QStringList calls;
        void mnuDodajRekordClick() override { calls << QStringLiteral("add"); }
        void mnuWstawRekordClick() override { calls << QStringLiteral("overwrite"); }
        void mnuDeleteRekordClick() override { calls << QStringLiteral("delete"); }
        void mnuPierwszyClick() override { calls << QStringLiteral("first"); }
        void mnuPoprzedniClick() override { calls << QStringLiteral("previous"); }
        void mnuNastepnyClick() override { calls << QStringLiteral("next"); }
        void mnuOstatniClick() override { calls << QStringLiteral("last"); }
    } log;
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    window.setCommands(&log);
    for (QPushButton* b : {window.bitDodaj, window.btnWstaw, window.bitDelete, window.bitPierwszy,
                           window.bitPoprzedni, window.bitNastepny, window.bitOstatni})
        b->click();
    EXPECT_EQ(log.calls, QStringList({QStringLiteral("add"), QStringLiteral("overwrite"), QStringLiteral("delete"),
                                      QStringLiteral("first"), QStringLiteral("previous"), QStringLiteral("next"),
                                      QStringLiteral("last")}));
    window.show();
    window.btnZamknij->click();
    EXPECT_FALSE(window.isVisible());
}

TEST(RecordEditWindow, TypingIntoAClearedFieldReplacesItsBlank) {
    ScriptedDialogs dialogs;
    TFEdycja editor(dialogs);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    editor.btnZerujClick();
    QTest::mouseClick(editor.edNazwisko, Qt::LeftButton, {}, QPoint(30, 5));
    QCoreApplication::processEvents();
    QTest::keyClicks(editor.edNazwisko, QStringLiteral("Kowalski"));
    EXPECT_EQ(editor.edNazwisko->text(), QStringLiteral("Kowalski"));
    // A box holding more than the blank is entered as it always was.
    editor.edImie->setText(QStringLiteral("Jan"));
    QTest::mouseClick(editor.edImie, Qt::LeftButton, {}, QPoint(60, 5));
    QCoreApplication::processEvents();
    QTest::keyClicks(editor.edImie, QStringLiteral("ek"));
    EXPECT_EQ(editor.edImie->text(), QStringLiteral("Janek"));
    // What is stored has no surrounding blanks, and a blank for none.
    EXPECT_EQ(storedPersonText(QStringLiteral("  Nowak ")), QStringLiteral("Nowak"));
    EXPECT_EQ(storedPersonText(QString()), QStringLiteral(" "));
    EXPECT_EQ(storedPersonText(QStringLiteral("   ")), QStringLiteral(" "));
}

TEST(RecordEditWindow, TheWholePhotoIsShownScaledIntoTheBoxWithItsSizeUnderIt) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    QImage landscape = halves(800, 600);
    for (int y = 540; y < 600; ++y) // a green bottom right corner: seen only when all is shown
        for (int x = 720; x < 800; ++x)
            landscape.setPixel(x, y, qRgb(0, 255, 0));
    const QByteArray bytes = encodeJpeg(landscape);
    EXPECT_FALSE(window.btnPrzytnij->isEnabled()); // no photo yet
    window.setPhoto(TPicture(TJPEGImage::fromFileData(bytes))); // filled while hidden, as row choice does
    window.show();
    QCoreApplication::processEvents();

    const QSize box = window.ScrollBox1->viewport()->size();
    QImage shown = window.Image1->pixmap().toImage();
    EXPECT_EQ(window.Image1->pixmap().deviceIndependentSize().toSize(), QSize(box.width(), box.width() * 600 / 800));
    EXPECT_GT(qRed(shown.pixel(2, 2)), 200);
    EXPECT_GT(qBlue(shown.pixel(shown.width() - 3, 2)), 200);
    EXPECT_GT(qGreen(shown.pixel(shown.width() - 2, shown.height() - 2)), 200);
    EXPECT_EQ(window.lblRozmiar->text(), QString::fromUtf8("800 × 600 pikseli"));
    // Display only: the photo keeps its bytes.
    EXPECT_EQ(window.photo().Graphic()->fileData(), bytes);
    EXPECT_TRUE(window.btnPrzytnij->isEnabled());
    // The box and the size stay inside the photo's column, above its buttons.
    EXPECT_LE(window.lblRozmiar->geometry().bottom(), window.btnPrzytnij->geometry().top());
    EXPECT_LT(window.btnKamera->geometry().bottom(), window.btnFoto->geometry().top());

    window.setPhoto(jpegPicture(halves(300, 600)));
    EXPECT_EQ(window.Image1->pixmap().deviceIndependentSize().toSize(), QSize(box.height() * 300 / 600, box.height()));
    EXPECT_EQ(window.lblRozmiar->text(), QString::fromUtf8("300 × 600 pikseli"));

    // The placeholder is no photo to cut, nor has it a size worth telling.
    window.btnZerujClick();
    EXPECT_TRUE(window.lblRozmiar->text().isEmpty());
    EXPECT_FALSE(window.btnPrzytnij->isEnabled());
    window.setPhoto(TPicture());
    EXPECT_TRUE(window.lblRozmiar->text().isEmpty());
    EXPECT_TRUE(window.Image1->pixmap().isNull());
}

TEST(RecordEditWindow, PhotoFilesOfEveryPictureFormatAreStoredAsJpeg) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    QTemporaryDir dir;
    const QImage picture = halves(40, 20);
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();

    std::vector<QString> files;
    const std::pair<const char*, const char*> written[] = {
        {"a.png", "png"}, {"d.tiff", "tiff"}, {"e.webp", "webp"}};
    for (const auto& [name, format] : written)
        if (readable.contains(format) && writable.contains(format)) {
            files.push_back(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(picture.save(files.back(), format));
        }
    files.push_back(dir.filePath(QStringLiteral("c.gif")));
    QFile gif(files.back());
    ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
    gif.write(gifOf(40, 20));
    gif.close();

    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        window.setPhotoChangedByUser(false);
        dialogs.openAnswers.push_back(FileDialogResult{file, 1});
        const auto edited = whenThePhotoEditorShows(EditorAnswer::cancel);
        window.btnFotoClick();
        EXPECT_EQ(*edited, 1);
        EXPECT_TRUE(isJpeg(window.photo()));
        EXPECT_EQ(window.photo().image().size(), QSize(40, 20));
        const QImage stored = window.photo().image();
        EXPECT_GT(qRed(stored.pixel(2, 10)), 200);
        EXPECT_GT(qBlue(stored.pixel(37, 10)), 200);
        EXPECT_TRUE(window.photoChangedByUser());
    }

    // The dialog offers the photo formats Qt reads here, and still every file.
    const QString filter = dialogs.openRequests.back().filter;
    EXPECT_TRUE(filter.startsWith(QString::fromUtf8("Zdjęcia|*.jpg;*.jpeg;*.png;*.bmp"))) << filter.toStdString();
    EXPECT_EQ(filter.contains(QStringLiteral("*.webp")), readable.contains("webp"));
    EXPECT_EQ(filter.contains(QStringLiteral("*.tif;*.tiff")), readable.contains("tiff"));
    EXPECT_TRUE(filter.contains(QStringLiteral("|GIF|*.gif")));
    EXPECT_TRUE(filter.endsWith(QStringLiteral("|Wszystkie pliki|*.*")));

    // Other pictures load as they always did, in their own format.
    const QString ico = dir.filePath(QStringLiteral("znak.ico"));
    TPicture(TIcon::fromImage(picture.scaled(16, 16))).SaveToFile(ico);
    dialogs.openAnswers.push_back(FileDialogResult{ico, 1});
    const auto edited = whenThePhotoEditorShows(EditorAnswer::cancel);
    window.btnFotoClick();
    EXPECT_EQ(*edited, 1);
    EXPECT_EQ(window.photo().Graphic()->ClassName(), QStringLiteral("TIcon"));
}

TEST(RecordEditWindow, ALargePhotoFileIsCutFromMorePixelsThanAreStored) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("duze.png"));
    ASSERT_TRUE(halves(3000, 2000).save(png));
    const QString jpg = dir.filePath(QStringLiteral("duze.jpg"));
    QFile jpeg(jpg);
    ASSERT_TRUE(jpeg.open(QIODevice::WriteOnly));
    jpeg.write(encodeJpeg(halves(4000, 3000)));
    jpeg.close();

    for (const auto& [file, worked] : {std::pair{png, QSizeF(2048, 1365)}, std::pair{jpg, QSizeF(2000, 1500)}}) {
        SCOPED_TRACE(file.toStdString());
        dialogs.openAnswers.push_back(FileDialogResult{file, 1});
        QSizeF cutFrom;
        const auto edited = whenThePhotoEditorShows(EditorAnswer::ok, [&cutFrom](photos::TFZdjecie& editor) {
            cutFrom = editor.view->pictureSize();
        });
        window.btnFotoClick();
        ASSERT_EQ(*edited, 1);
        EXPECT_NEAR(cutFrom.width(), worked.width(), 1);
        EXPECT_NEAR(cutFrom.height(), worked.height(), 1);
        EXPECT_TRUE(isJpeg(window.photo()));
        EXPECT_LE(std::max(window.photo().Width(), window.photo().Height()), 1024);
        expectAspect(window.photo(), TFEdycja::kStandardPhotoAspect);
    }
}

TEST(RecordEditWindow, TheEditorCutsThePhotoToThePassShapeAndAnulujChangesNothing) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    int asked = 0;
    window.setPhotoAspect([&asked] {
        ++asked;
        return 35.0 / 45.0;
    });
    const TPicture shown = jpegPicture(halves(800, 600));
    window.setPhoto(shown);
    window.setPhotoChangedByUser(false);

    auto answered = whenThePhotoEditorShows(EditorAnswer::cancel);
    window.btnPrzytnij->click();
    EXPECT_EQ(*answered, 1);
    EXPECT_EQ(window.photo().Graphic()->fileData(), shown.Graphic()->fileData());
    EXPECT_FALSE(window.photoChangedByUser());

    answered = whenThePhotoEditorShows(EditorAnswer::ok);
    window.btnPrzytnij->click();
    EXPECT_EQ(*answered, 1);
    EXPECT_EQ(asked, 2); // the design's element is asked each time
    EXPECT_TRUE(isJpeg(window.photo()));
    expectAspect(window.photo(), 35.0 / 45.0);
    EXPECT_LE(window.photo().Height(), 600);
    EXPECT_TRUE(window.photoChangedByUser());
    EXPECT_EQ(window.lblRozmiar->text(),
              QString::fromUtf8("%1 × %2 pikseli").arg(window.photo().Width()).arg(window.photo().Height()));
    EXPECT_EQ(window.photoToStore().Graphic()->fileData(), window.photo().Graphic()->fileData());
}

TEST(RecordEditWindow, APictureFromTheCameraGoesThroughTheEditor) {
    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    const TPicture before = jpegPicture(halves(100, 80));
    window.setPhoto(before);
    window.setPhotoChangedByUser(false);
    const auto unchanged = [&] {
        EXPECT_EQ(window.photo().Graphic()->fileData(), before.Graphic()->fileData());
        EXPECT_FALSE(window.photoChangedByUser());
    };

    // Without a camera it says so, and nothing else happens.
    ScriptedCamera camera;
    const std::array<photos::ICameraService*, 2> services = {nullptr, &camera};
    for (photos::ICameraService* service : services) {
        window.setCameraService(service);
        const std::size_t messages = dialogs.messages.size();
        const auto answered = whenThePhotoEditorShows(EditorAnswer::ok);
        window.btnKamera->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(*answered, 0);
        ASSERT_EQ(dialogs.messages.size(), messages + 1);
        EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Nie znaleziono kamery."));
        EXPECT_TRUE(dialogs.messages.back().plain);
        unchanged();
    }
    EXPECT_TRUE(camera.requests.empty());

    camera.names = {QStringLiteral("Kamera USB")};
    camera.pictures = {halves(640, 480), halves(640, 480), std::nullopt};
    const std::size_t messages = dialogs.messages.size();
    auto answered = whenThePhotoEditorShows(EditorAnswer::cancel);
    window.btnKamera->click();
    EXPECT_EQ(*answered, 1);
    unchanged();

    answered = whenThePhotoEditorShows(EditorAnswer::ok);
    window.btnKamera->click();
    EXPECT_EQ(*answered, 1);
    EXPECT_TRUE(isJpeg(window.photo()));
    expectAspect(window.photo(), TFEdycja::kStandardPhotoAspect);
    EXPECT_TRUE(window.photoChangedByUser());

    // The preview cancelled: no editor, the photo stays.
    const QByteArray taken = window.photo().Graphic()->fileData();
    answered = whenThePhotoEditorShows(EditorAnswer::ok);
    window.btnKamera->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(*answered, 0);
    EXPECT_EQ(window.photo().Graphic()->fileData(), taken);
    EXPECT_EQ(camera.requests, std::vector<int>({0, 0, 0}));
    EXPECT_EQ(dialogs.messages.size(), messages);
}

TEST(RecordEditWindow, TheQtCamerasAreAskedAndNoneIsFoundOnAMachineWithout) {
#ifndef WENDOLARKA_QT_CAMERA
    GTEST_SKIP() << "built without Qt Multimedia";
#else
    if (QFileInfo::exists(QStringLiteral("/dev/video0")))
        GTEST_SKIP() << "this machine has a camera";
    const std::unique_ptr<photos::ICameraService> cameras = photos::makeCameraService();
    EXPECT_TRUE(cameras->cameras().isEmpty());
    EXPECT_FALSE(cameras->takePicture(0, nullptr).has_value());

    ScriptedDialogs dialogs;
    TFEdycja window(dialogs);
    window.setCameraService(cameras.get());
    window.btnKamera->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Nie znaleziono kamery."));
    EXPECT_TRUE(window.photo().isEmpty());
#endif
}
