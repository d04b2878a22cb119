#include "record_edit_window.h"

#include "core/image_codecs.h"
#include "core/photo_storage.h"
#include "photos/camera.h"
#include "photos/photo_editor.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/error_handler.h"
#include "core/cp1250_validator.h"
#include "widgets/form_setup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace wendolarka {
namespace {

QFrame* loweredPanel(QWidget* parent, const char* name) {
    auto* panel = named(new QFrame(parent), name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    setBackground(*panel, clBtnShadow);
    return panel;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const char* hint, QRect geometry) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setToolTip(utf8(hint));
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QPushButton* glyphButton(QWidget* parent, const char* name, QStyle::StandardPixmap glyph, const char* hint, int left) {
    QPushButton* b = button(parent, name, QString(), hint, QRect(left, 8, 27, 25));
    b->setIcon(parent->style()->standardIcon(glyph));
    return b;
}

// The placeholder photo a person without one gets: 3 x 3 light grey pixels.
TPicture makePlaceholder() {
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(qRgb(0xE0, 0xE0, 0xE0));
    return TPicture(TJPEGImage::fromImage(image));
}

// The photo formats the file dialog offers, with the dialog's "Description|*.a;*.b" filter.
struct PhotoFormat {
    const char* name;
    const char* qtFormat; // what Qt's reader must know; null: always read
    QStringList extensions;
    bool storedAsJpeg = true; // a bitmap keeps its own format, as the record commands have always stored it
};

const std::vector<PhotoFormat>& photoFormats() {
    static const std::vector<PhotoFormat> formats = {
        {"JPEG", nullptr, {QStringLiteral("jpg"), QStringLiteral("jpeg")}},
        {"PNG", "png", {QStringLiteral("png")}},
        {"BMP", "bmp", {QStringLiteral("bmp")}, false},
        {"TIFF", "tiff", {QStringLiteral("tif"), QStringLiteral("tiff")}},
        {"WebP", "webp", {QStringLiteral("webp")}},
        {"GIF", "gif", {QStringLiteral("gif")}},
    };
    return formats;
}

QString photoFileFilter() {
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    QStringList all;
    QString each;
    for (const PhotoFormat& format : photoFormats()) {
        if (format.qtFormat && !readable.contains(format.qtFormat))
            continue;
        QStringList patterns;
        for (const QString& extension : format.extensions)
            patterns << QStringLiteral("*.") + extension;
        all << patterns;
        each += u'|' + QLatin1String(format.name) + u'|' + patterns.join(u';');
    }
    // Icons and metafiles are still pictures the window takes, in their own format.
    return utf8("Zdjęcia|") + all.join(u';') + each + utf8("|Wszystkie pliki|*.*");
}

// A photo file is taken in as stored photos are (upright JPEG of a bounded size);
// other picture files load by their extension as they always did.
TPicture loadPhotoFile(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    for (const PhotoFormat& format : photoFormats())
        if (format.storedAsJpeg && format.extensions.contains(extension))
            return TPicture(TJPEGImage::fromFileData(photoFileForStorage(fileName)));
    return TPicture::LoadFromFile(fileName);
}

// The chosen photo file as the editor cuts from it: upright, on white, with up
// to kMaxPhotoSide pixels on the longer side (twice what is stored), so a face
// cut from a large photo keeps its detail. `taken` serves when the file will not
// read again.
QImage pictureToCut(const QString& fileName, const TPicture& taken) {
    QImage picture;
    try {
        QFile file(fileName);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            if (bytes.startsWith("\xFF\xD8")) {
                picture = decodeJpeg(bytes, kMaxPhotoSide);
            } else {
                QImageReader reader(fileName);
                reader.setAutoTransform(true);
                const QSize size = reader.size();
                if (size.isValid() && std::max(size.width(), size.height()) > kMaxPhotoSide)
                    reader.setScaledSize(size.scaled(kMaxPhotoSide, kMaxPhotoSide, Qt::KeepAspectRatio));
                picture = reader.read();
            }
        }
    } catch (const Exception&) {
        picture = QImage();
    }
    if (picture.isNull() || picture.width() < taken.Width())
        return taken.image();
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, picture);
    return flat;
}

} // namespace

TFEdycja::TFEdycja(IDialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
    initForm(*this, {QStringLiteral("FEdycja"), QStringLiteral("Edycja rekordu"), kOuterSize - kToolWindowFrame,
                     clBtnShadow, TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), true});
    m_placeholder = makePlaceholder();
    buildUpperPanel();
    buildLowerPanel();
    showPhoto(); // no photo yet: nothing to cut
    // Key preview: the window sees every typed key before its controls.
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    new TOuterFrameKeeper(*this, kOuterSize, [this] { return placementNow(); });
}

void TFEdycja::buildUpperPanel() {
    const QSize client = kOuterSize - kToolWindowFrame;
    pnlMain = loweredPanel(this, "pnlMain");
    pnlMain->setGeometry(0, 0, client.width(), client.height() - 41);
    QWidget* p = pnlMain;

    TFont bold10(QStringLiteral("MS Sans Serif"), 10, fsBold);
    StaticText8 = named(new QLabel(utf8("Otwarta baza:"), p), "StaticText8");
    StaticText8->setGeometry(24, 4, 100, 18);
    setTextColor(*StaticText8, clBlue);
    lblBaza = named(new QLabel(utf8("brak"), p), "lblBaza");
    lblBaza->setGeometry(128, 2, 320, 20);
    lblBaza->setFont(bold10.toQFont());
    setTextColor(*lblBaza, clMaroon);
    StaticText9 = named(new QLabel(utf8("Dane rekordu nr:"), p), "StaticText9");
    StaticText9->setGeometry(248, 28, 110, 18);
    setTextColor(*StaticText9, clBlue);
    lblRekordy = named(new QLabel(utf8("00"), p), "lblRekordy");
    lblRekordy->setGeometry(360, 28, 90, 18);
    setTextColor(*lblRekordy, clMaroon);

    // The photo's column (24..176, 24..216): the whole photo scaled into the box,
    // its size under it, then the editor's and the camera's buttons.
    ScrollBox1 = named(new QScrollArea(p), "ScrollBox1");
    ScrollBox1->setGeometry(24, 24, 152, 128);
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Image1 = named(new QLabel, "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setWidget(Image1);
    ScrollBox1->viewport()->installEventFilter(this); // refits the photo
    Image2 = named(new QLabel(ScrollBox1->viewport()), "Image2");
    Image2->setPixmap(QPixmap::fromImage(m_placeholder.image()));
    Image2->hide();
    lblRozmiar = named(new QLabel(p), "lblRozmiar");
    lblRozmiar->setGeometry(24, 153, 152, 16);
    lblRozmiar->setAlignment(Qt::AlignCenter);
    btnPrzytnij = button(p, "btnPrzytnij", utf8("&Przytnij zdjęcie…"),
                         "Kadruje, obraca i rozjaśnia zdjęcie na kształt zdjęcia na przepustce",
                         QRect(24, 170, 152, 22));
    btnKamera = button(p, "btnKamera", utf8("Zdjęcie z &kamery…"), "Robi zdjęcie kamerą przy biurku",
                       QRect(24, 194, 152, 22));
    connect(btnPrzytnij, &QPushButton::clicked, this, [this] { runCommand([this] { btnPrzytnijClick(); }); });
    connect(btnKamera, &QPushButton::clicked, this, [this] { runCommand([this] { btnKameraClick(); }); });

    btnFoto = button(p, "btnFoto", utf8("&Foto"), "Wstawia do okna obraz", QRect(24, 224, 75, 25));
    btnUsuwa = button(p, "btnUsuwa", utf8("&Usuń"), "Usuwa z okna tylko Fotkę", QRect(104, 224, 75, 25));
    bitZeruj = button(p, "bitZeruj", utf8("Wyczyść dane z rekordu"), "Obraz i wszystkie pola rekordu są wymazywane",
                      QRect(216, 224, 217, 25));
    connect(btnFoto, &QPushButton::clicked, this, [this] { runCommand([this] { btnFotoClick(); }); });
    connect(btnUsuwa, &QPushButton::clicked, this, [this] { runCommand([this] { btnUsuwaClick(); }); });
    connect(bitZeruj, &QPushButton::clicked, this, [this] { runCommand([this] { btnZerujClick(); }); });

    struct Field {
        QLineEdit** edit;
        const char* name;
        const char* caption;
        int left, top, width;
    };
    const std::array<Field, 11> fields = {{
        {&edTytul, "edTytul", "Tytuł:", 248, 54, 185},
        {&edImie, "edImie", "Imię:", 248, 88, 185},
        {&edNazwisko, "edNazwisko", "Nazwisko:", 256, 122, 177},
        {&edPriorytet, "edPriorytet", "Priorytet:", 248, 158, 185},
        {&edIndeks, "edIndeks", "Indeks:", 248, 192, 185},
        {&edAdres1, "edAdres1", "Adres 1:", 80, 260, 353},
        {&edAdres2, "edAdres2", "Adres 2:", 80, 292, 353},
        {&edTelefon1, "edTelefon1", "Telefon 1:", 80, 324, 353},
        {&edTelefon2, "edTelefon2", "Telefon 2:", 80, 358, 353},
        {&edUsluga1, "edUsluga1", "Usługa 1:", 80, 392, 353},
        {&edUsluga2, "edUsluga2", "Usługa 2:", 80, 426, 353},
    }};
    for (const Field& f : fields) {
        auto* edit = named(new QLineEdit(p), f.name);
        edit->setGeometry(f.left, f.top, f.width, 21);
        edit->setValidator(new TCp1250Validator(edit));
        *f.edit = edit;
        auto* caption = new QLabel(utf8(f.caption), p);
        caption->setObjectName(QStringLiteral("StaticText_") + QLatin1String(f.name + 2));
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setGeometry(f.left - 72, f.top, 66, 21);
        caption->setBuddy(edit);
    }
    edID = named(new QLineEdit(utf8("11"), p), "edID");
    edID->setReadOnly(true);
    edID->hide();
}

void TFEdycja::buildLowerPanel() {
    const QSize client = kOuterSize - kToolWindowFrame;
    pnlDolny = loweredPanel(this, "pnlDolny");
    pnlDolny->setGeometry(0, client.height() - 41, client.width(), 41);
    QWidget* p = pnlDolny;
    Label1 = named(new QLabel(utf8("00"), p), "Label1");
    Label1->move(8, 12);
    Label1->hide();
    bitPierwszy = glyphButton(p, "bitPierwszy", QStyle::SP_MediaSkipBackward, "Pierwszy rekord", 60);
    bitPoprzedni = glyphButton(p, "bitPoprzedni", QStyle::SP_MediaSeekBackward, "Poprzedni rekord", 88);
    bitNastepny = glyphButton(p, "bitNastepny", QStyle::SP_MediaSeekForward, "Następny rekord", 116);
    bitOstatni = glyphButton(p, "bitOstatni", QStyle::SP_MediaSkipForward, "Ostatni rekord", 144);
    bitDodaj = glyphButton(p, "bitDodaj", QStyle::SP_FileDialogNewFolder, "Dodaje rekord", 216);
    btnWstaw = glyphButton(p, "btnWstaw", QStyle::SP_DialogSaveButton, "Wstawia dane do aktualnego rekordu", 244);
    bitDelete = glyphButton(p, "bitDelete", QStyle::SP_TrashIcon, "Usuwa widoczny rekord", 272);
    btnZamknij = button(p, "btnZamknij", utf8("Zamknij"), "Zamyka to okno", QRect(320, 8, 82, 25));
    connect(btnZamknij, &QPushButton::clicked, this, &TFEdycja::ZamknijClick);

    const auto forward = [this](QPushButton* b, void (IRecordCommands::*command)()) {
        connect(b, &QPushButton::clicked, this, [this, command] {
            runCommand([this, command] {
                if (m_commands)
                    (m_commands->*command)();
            });
        });
    };
    forward(bitDodaj, &IRecordCommands::mnuDodajRekordClick);
    forward(btnWstaw, &IRecordCommands::mnuWstawRekordClick);
    forward(bitDelete, &IRecordCommands::mnuDeleteRekordClick);
    forward(bitPierwszy, &IRecordCommands::mnuPierwszyClick);
    forward(bitPoprzedni, &IRecordCommands::mnuPoprzedniClick);
    forward(bitNastepny, &IRecordCommands::mnuNastepnyClick);
    forward(bitOstatni, &IRecordCommands::mnuOstatniClick);
}

void TFEdycja::runCommand(const std::function<void()>& command) {
    const bool wasActive = isActiveWindow();
    guardOrRun(m_errors, command);
    // A dialog closed over this window leaves the focus to whichever window the
    // window manager picks, often the main window: the user was working here.
    if (wasActive && isVisible() && !isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void TFEdycja::setPlacement(const IDesktop* desktop, int mainWindowOuterHeight) {
    m_desktop = desktop;
    m_mainWindowOuterHeight = mainWindowOuterHeight;
}

QPoint TFEdycja::placement(const QRect& virtualDesktop, int mainWindowOuterHeight) {
    return {virtualDesktop.width() - kOuterSize.width() - 70,
            virtualDesktop.height() - kOuterSize.height() - mainWindowOuterHeight - 100};
}

std::array<QLineEdit*, kPersonTextCount> TFEdycja::textEdits() const {
    return {edTytul, edImie, edNazwisko, edPriorytet, edIndeks, edAdres1,
            edAdres2, edTelefon1, edTelefon2, edUsluga1, edUsluga2};
}

TPersonTexts TFEdycja::texts() const {
    TPersonTexts result;
    const auto edits = textEdits();
    for (std::size_t i = 0; i < edits.size(); ++i)
        result[i] = edits[i]->text();
    return result;
}

void TFEdycja::setTexts(const TPersonTexts& values) {
    const auto edits = textEdits();
    for (std::size_t i = 0; i < edits.size(); ++i)
        edits[i]->setText(values[i]);
}

void TFEdycja::setPhoto(const TPicture& photo) {
    m_photo = photo;
    showPhoto();
}

void TFEdycja::showPhoto() {
    fitPhotoToBox();
    // The placeholder's 3 x 3 pixels are no photo's size.
    lblRozmiar->setText(hasOwnPhoto() ? QStringLiteral("%1 × %2 pikseli").arg(m_photo.Width()).arg(m_photo.Height())
                                      : QString());
    btnPrzytnij->setEnabled(hasOwnPhoto());
    Image1->repaint();
}

void TFEdycja::fitPhotoToBox() {
    // Display only: the photo itself keeps its pixels and bytes.
    const QImage image = m_photo.image();
    const QSize box = ScrollBox1->viewport()->size();
    if (image.isNull() || box.isEmpty()) {
        Image1->setPixmap(QPixmap());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap shown = QPixmap::fromImage(image.scaled(box * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    shown.setDevicePixelRatio(ratio);
    Image1->setPixmap(shown);
}

bool TFEdycja::hasOwnPhoto() const {
    if (m_photo.isEmpty() || m_photo.image().isNull())
        return false;
    return m_photo.Graphic()->fileData() != m_placeholder.Graphic()->fileData();
}

double TFEdycja::photoAspect() const {
    const double aspect = m_photoAspect ? m_photoAspect() : kStandardPhotoAspect;
    return aspect > 0 ? aspect : kStandardPhotoAspect;
}

void TFEdycja::editPhoto(const QImage& picture) {
    photos::TFZdjecie editor(picture, photoAspect(), this);
    if (editor.exec() != QDialog::Accepted)
        return;
    setPhoto(TPicture(TJPEGImage::fromFileData(editor.storedResult())));
    m_photoChanged = true;
}

QPoint TFEdycja::placementNow() const {
    static const QtDesktop systemDesktop;
    const IDesktop& desktop = m_desktop ? *m_desktop : systemDesktop;
    return placement(desktop.VirtualDesktop(), m_mainWindowOuterHeight);
}

void TFEdycja::FormShow() { move(placementNow()); }

void TFEdycja::btnFotoClick() {
    FileDialogOptions options;
    options.title = utf8("Pobranie pliku graficznego dla bazy");
    options.filter = photoFileFilter();
    options.place = TFilePlace::Photos;
    const auto chosen = m_dialogs.OpenFile(options);
    if (!chosen)
        return;
    setPhoto(loadPhotoFile(chosen->fileName)); // a failure leaves the photo as it was
    m_photoChanged = true;
    // Straight on to cutting it to the pass's shape; Anuluj keeps the file's photo as taken in.
    if (hasOwnPhoto())
        editPhoto(pictureToCut(chosen->fileName, m_photo));
}

void TFEdycja::btnPrzytnijClick() {
    if (hasOwnPhoto())
        editPhoto(m_photo.image());
}

void TFEdycja::btnKameraClick() {
    if (!m_cameras || m_cameras->cameras().isEmpty()) {
        m_dialogs.ShowMessage(utf8("Nie znaleziono kamery."));
        return;
    }
    // The camera window offers the choice when there are several.
    const std::optional<QImage> picture = m_cameras->takePicture(0, this);
    if (picture && !picture->isNull())
        editPhoto(*picture);
}

void TFEdycja::btnUsuwaClick() {
    // Only OK removes it.
    if (m_dialogs.MessageDlg(utf8("Usunąć to zdjęcie z bazy?"), TMsgDlgType::mtConfirmation, mbOK | mbCancel) != mrOk)
        return;
    setPhoto(m_placeholder);
    m_photoChanged = true;
}

void TFEdycja::btnZerujClick() {
    setPhoto(m_placeholder);
    m_photoChanged = true;
    for (QLineEdit* edit : textEdits())
        edit->setText(QStringLiteral(" "));
}

void TFEdycja::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TFEdycja::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::Resize)
        fitPhotoToBox();
    // A box holding only the blank of a cleared field has it selected when entered,
    // so that typing replaces it (after the click that entered has placed the cursor).
    if (event->type() == QEvent::FocusIn)
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && edit->text() == QStringLiteral(" "))
            QTimer::singleShot(0, edit, [edit] {
                if (edit->text() == QStringLiteral(" "))
                    edit->selectAll();
            });
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A typed double quote becomes a single one before the box sees it.
        if (key->text() == QStringLiteral("\"")) {
            QKeyEvent apostrophe(QEvent::KeyPress, Qt::Key_Apostrophe, key->modifiers(), QStringLiteral("'"),
                                 key->isAutoRepeat(), static_cast<quint16>(key->count()));
            QApplication::sendEvent(watched, &apostrophe);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace wendolarka
