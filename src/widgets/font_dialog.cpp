#include "font_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QGridLayout>
#include <QGroupBox>
#include <QRegularExpressionValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <array>

namespace wendolarka {
namespace {

struct NamedColor {
    TColor color;
    const char* name;
};

constexpr std::array<NamedColor, 16> kBasicColors = {{
    {clBlack, "Czarny"},     {clMaroon, "Kasztanowy"}, {clGreen, "Zielony"},   {clOlive, "Oliwkowy"},
    {clNavy, "Granatowy"},   {clPurple, "Purpurowy"},  {clTeal, "Morski"},     {clGray, "Szary"},
    {clSilver, "Srebrny"},   {clRed, "Czerwony"},      {clLime, "Limonowy"},   {clYellow, "Żółty"},
    {clBlue, "Niebieski"},   {clFuchsia, "Fuksja"},    {clAqua, "Wodny"},      {clWhite, "Biały"},
}};

struct NamedCharset {
    TFontCharset charset;
    const char* name;
};

constexpr std::array<NamedCharset, 9> kCharsets = {{
    {ANSI_CHARSET, "Zachodni"},         {DEFAULT_CHARSET, "Domyślny"},  {2, "Symbol"},
    {EASTEUROPE_CHARSET, "Środkowoeuropejski"}, {204, "Cyrylica"},   {161, "Grecki"},
    {162, "Turecki"},                   {186, "Bałtycki"},              {255, "OEM/DOS"},
}};

// The style list in the order the platform's dialog shows it; the index is the
// bold/italic bits.
constexpr std::array<const char*, 4> kStyles = {"Zwykła", "Pogrubiona", "Kursywa", "Pogrubiona kursywa"};
int styleIndex(TFontStyles style) { return ((style & fsBold) ? 1 : 0) + ((style & fsItalic) ? 2 : 0); }

constexpr std::array<int, 16> kSizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// Names the program's templates use, offered beside the installed families.
constexpr std::array<const char*, 5> kStoredNames = {"Arial", "Arial Black", "MS Sans Serif",
                                                     "Times New Roman", "Courier New"};

QIcon swatch(TColor color) {
    QPixmap pixmap(24, 12);
    pixmap.fill(toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 23, 11);
    return QIcon(pixmap);
}

QListWidget* makeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

// The item reading `text` is the highlighted one; with none, nothing is.
void selectText(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchFixedString);
    if (found.isEmpty()) {
        list->clearSelection();
        list->setCurrentItem(nullptr);
        return;
    }
    list->setCurrentItem(found.constFirst());
    found.constFirst()->setSelected(true);
    list->scrollToItem(found.constFirst(), QAbstractItemView::PositionAtCenter);
}

} // namespace

TFontDialog::TFontDialog(const TFont& initial, QWidget* parent) : QDialog(parent), m_initial(initial) {
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Czcionka"));
    auto* grid = new QGridLayout(this);

    auto* lblNazwa = new QLabel(QStringLiteral("&Czcionka:"), this);
    lstNazwa = makeList(this, "lstNazwa");
    QStringList families = QFontDatabase::families();
    for (const char* name : kStoredNames)
        families << QString::fromUtf8(name);
    families << initial.Name();
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    lstNazwa->addItems(families);
    lblNazwa->setBuddy(lstNazwa);

    auto* lblStyl = new QLabel(QStringLiteral("St&yl czcionki:"), this);
    lstStyl = makeList(this, "lstStyl");
    for (const char* style : kStyles)
        lstStyl->addItem(QString::fromUtf8(style));
    lblStyl->setBuddy(lstStyl);

    auto* lblRozmiar = new QLabel(QStringLiteral("&Rozmiar:"), this);
    edRozmiar = new QLineEdit(this);
    edRozmiar->setObjectName(QStringLiteral("edRozmiar"));
    // Any whole size; the font itself has no limits.
    edRozmiar->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,5}")), edRozmiar));
    lstRozmiar = makeList(this, "lstRozmiar");
    for (int size : kSizes)
        lstRozmiar->addItem(QString::number(size));
    lblRozmiar->setBuddy(edRozmiar);

    auto* efekty = new QGroupBox(QStringLiteral("Efekty"), this);
    auto* efektyLayout = new QGridLayout(efekty);
    chPrzekreslenie = new QCheckBox(QStringLiteral("Prze&kreślenie"), efekty);
    chPrzekreslenie->setObjectName(QStringLiteral("chPrzekreslenie"));
    chPodkreslenie = new QCheckBox(QStringLiteral("&Podkreślenie"), efekty);
    chPodkreslenie->setObjectName(QStringLiteral("chPodkreslenie"));
    cbKolor = new QComboBox(efekty);
    cbKolor->setObjectName(QStringLiteral("cbKolor"));
    for (const NamedColor& entry : kBasicColors)
        cbKolor->addItem(swatch(entry.color), QString::fromUtf8(entry.name), QVariant::fromValue(entry.color));
    if (cbKolor->findData(QVariant::fromValue(initial.Color())) < 0)
        cbKolor->addItem(swatch(initial.Color()), QStringLiteral("Własny"), QVariant::fromValue(initial.Color()));
    auto* lblKolor = new QLabel(QStringLiteral("K&olor:"), efekty);
    lblKolor->setBuddy(cbKolor);
    efektyLayout->addWidget(chPrzekreslenie, 0, 0);
    efektyLayout->addWidget(chPodkreslenie, 1, 0);
    efektyLayout->addWidget(lblKolor, 2, 0);
    efektyLayout->addWidget(cbKolor, 3, 0);

    auto* przyklad = new QGroupBox(QStringLiteral("Przykład"), this);
    auto* przykladLayout = new QVBoxLayout(przyklad);
    lblPrzyklad = new QLabel(QStringLiteral("AaBbĄąŁłŹź"), przyklad);
    lblPrzyklad->setObjectName(QStringLiteral("lblPrzyklad"));
    lblPrzyklad->setAlignment(Qt::AlignCenter);
    lblPrzyklad->setMinimumSize(180, 50);
    lblPrzyklad->setAutoFillBackground(true);
    przykladLayout->addWidget(lblPrzyklad);
    auto* lblSkrypt = new QLabel(QStringLiteral("&Skrypt:"), przyklad);
    cbSkrypt = new QComboBox(przyklad);
    cbSkrypt->setObjectName(QStringLiteral("cbSkrypt"));
    for (const NamedCharset& entry : kCharsets)
        cbSkrypt->addItem(QString::fromUtf8(entry.name), entry.charset);
    if (cbSkrypt->findData(initial.Charset()) < 0)
        cbSkrypt->addItem(QString::number(initial.Charset()), initial.Charset());
    lblSkrypt->setBuddy(cbSkrypt);
    przykladLayout->addWidget(lblSkrypt);
    przykladLayout->addWidget(cbSkrypt);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    grid->addWidget(lblNazwa, 0, 0);
    grid->addWidget(lstNazwa, 1, 0, 2, 1);
    grid->addWidget(lblStyl, 0, 1);
    grid->addWidget(lstStyl, 1, 1, 2, 1);
    grid->addWidget(lblRozmiar, 0, 2);
    grid->addWidget(edRozmiar, 1, 2);
    grid->addWidget(lstRozmiar, 2, 2);
    grid->addWidget(efekty, 3, 0);
    grid->addWidget(przyklad, 3, 1, 1, 2);
    grid->addWidget(buttons, 0, 3, 4, 1, Qt::AlignTop);
    lstNazwa->setMinimumHeight(140);
    resize(sizeHint().expandedTo(QSize(560, 0)));
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    selectText(lstNazwa, initial.Name());
    lstStyl->setCurrentRow(styleIndex(initial.Style()));
    edRozmiar->setText(QString::number(initial.Size()));
    selectText(lstRozmiar, edRozmiar->text());
    chPrzekreslenie->setChecked(initial.Style() & fsStrikeOut);
    chPodkreslenie->setChecked(initial.Style() & fsUnderline);
    cbKolor->setCurrentIndex(cbKolor->findData(QVariant::fromValue(initial.Color())));
    cbSkrypt->setCurrentIndex(cbSkrypt->findData(initial.Charset()));

    connect(lstRozmiar, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && edRozmiar->text() != text)
            edRozmiar->setText(text);
    });
    connect(edRozmiar, &QLineEdit::textChanged, this, [this](const QString& text) {
        selectText(lstRozmiar, text);
        updateSample();
    });
    connect(lstNazwa, &QListWidget::currentRowChanged, this, &TFontDialog::updateSample);
    connect(lstStyl, &QListWidget::currentRowChanged, this, &TFontDialog::updateSample);
    connect(chPrzekreslenie, &QCheckBox::toggled, this, &TFontDialog::updateSample);
    connect(chPodkreslenie, &QCheckBox::toggled, this, &TFontDialog::updateSample);
    connect(cbKolor, &QComboBox::currentIndexChanged, this, &TFontDialog::updateSample);
    updateSample();
}

TFont TFontDialog::selectedFont() const {
    TFont font = m_initial;
    if (const QListWidgetItem* item = lstNazwa->currentItem())
        font.setName(item->text());
    TFontStyles style = 0;
    const int styleRow = std::max(0, lstStyl->currentRow());
    if (styleRow & 1)
        style |= fsBold;
    if (styleRow & 2)
        style |= fsItalic;
    if (chPodkreslenie->isChecked())
        style |= fsUnderline;
    if (chPrzekreslenie->isChecked())
        style |= fsStrikeOut;
    font.setStyle(style);
    bool ok = false;
    const int size = edRozmiar->text().toInt(&ok);
    // An unchanged size keeps the stored height exactly (a pixel height need not
    // be a whole number of points).
    if (ok && size != 0 && size != m_initial.Size())
        font.setSize(size);
    font.setColor(cbKolor->currentData().value<TColor>());
    font.setCharset(static_cast<TFontCharset>(cbSkrypt->currentData().toInt()));
    return font;
}

void TFontDialog::updateSample() {
    const TFont font = selectedFont();
    lblPrzyklad->setFont(font.toQFont());
    QPalette palette = lblPrzyklad->palette();
    palette.setColor(QPalette::WindowText, toQColor(font.Color()));
    palette.setColor(QPalette::Window, Qt::white);
    lblPrzyklad->setPalette(palette);
}

std::optional<TFont> TFontDialog::execute(const TFont& initial, QWidget* parent) {
    TFontDialog dialog(initial, parent);
    // Centred on the screen: the main window sits in a corner, where a dialog
    // centred over it would hang off the screen.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

} // namespace wendolarka
