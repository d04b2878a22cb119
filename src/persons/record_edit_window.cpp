#include "record_edit_window.h"

#include "core/image_codecs.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/error_handler.h"
#include "core/cp1250_validator.h"
#include "widgets/form_setup.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

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

} // namespace

TFEdycja::TFEdycja(IDialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
    initForm(*this, {QStringLiteral("FEdycja"), QStringLiteral("Edycja rekordu"), kOuterSize - kToolWindowFrame,
                     clBtnShadow, TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), true});
    m_placeholder = makePlaceholder();
    buildUpperPanel();
    buildLowerPanel();
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

    ScrollBox1 = named(new QScrollArea(p), "ScrollBox1");
    ScrollBox1->setGeometry(24, 24, 152, 192);
    ScrollBox1->setWidgetResizable(false);
    Image1 = named(new QLabel, "Image1");
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->resize(0, 0);
    ScrollBox1->setWidget(Image1);
    Image2 = named(new QLabel(ScrollBox1->viewport()), "Image2");
    Image2->setPixmap(QPixmap::fromImage(m_placeholder.image()));
    Image2->hide();

    btnFoto = button(p, "btnFoto", utf8("&Foto"), "Wstawia do okna obraz", QRect(24, 224, 75, 25));
    btnUsuwa = button(p, "btnUsuwa", utf8("&Usuń"), "Usuwa z okna tylko Fotkę", QRect(104, 224, 75, 25));
    bitZeruj = button(p, "bitZeruj", utf8("Wyczyść dane z rekordu"), "Obraz i wszystkie pola rekordu są wymazywane",
                      QRect(216, 224, 217, 25));
    connect(btnFoto, &QPushButton::clicked, this, [this] { guardOrRun(m_errors, [this] { btnFotoClick(); }); });
    connect(btnUsuwa, &QPushButton::clicked, this, [this] { guardOrRun(m_errors, [this] { btnUsuwaClick(); }); });
    connect(bitZeruj, &QPushButton::clicked, this, [this] { guardOrRun(m_errors, [this] { btnZerujClick(); }); });

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
            guardOrRun(m_errors, [this, command] {
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
    const QImage image = m_photo.image();
    Image1->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    // The image sizes itself to its picture; a large one makes the box scroll.
    Image1->resize(m_photo.Width(), m_photo.Height());
    Image1->repaint();
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
    const auto chosen = m_dialogs.OpenFile(options);
    if (!chosen)
        return;
    setPhoto(TPicture::LoadFromFile(chosen->fileName)); // a failure leaves the photo as it was
    m_photoChanged = true;
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
