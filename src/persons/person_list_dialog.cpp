#include "person_list_dialog.h"

#include "lists/column_mapping.h"
#include "platform/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScopedValueRollback>
#include <QTableWidget>
#include <QVBoxLayout>

namespace wendolarka {

using namespace lists;

namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

constexpr int kFirstValues = 3;
constexpr int kDuplicatesListed = 12;
// Each row with letters Windows-1250 lacks gets a line, so the user sees every
// one before anything is written; past this many a long list is summed up.
constexpr int kLackingRowsListed = 200;

// The field choices in the order the drop-downs list them: "— pomiń —" first.
std::vector<TColumnTarget> targetChoices() {
    std::vector<TColumnTarget> targets = {TColumnTarget::Skip};
    for (std::size_t f = 0; f < kPersonTextCount; ++f)
        targets.push_back(personTextTarget(f));
    targets.push_back(TColumnTarget::Photo);
    return targets;
}

int choiceOf(TColumnTarget target) {
    const std::vector<TColumnTarget> targets = targetChoices();
    return int(std::find(targets.begin(), targets.end(), target) - targets.begin());
}

QTableWidgetItem* fixedItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString characterText(char32_t character) { return QString::fromUcs4(&character, 1); }

// One line a row: each field with its letters and what becomes of them.
QString lackingText(const std::vector<TLackingField>& fields) {
    QStringList lines;
    int rows = 0;
    for (std::size_t i = 0; i < fields.size();) {
        const int sourceRow = fields[i].sourceRow;
        const bool skipped = fields[i].rowSkipped;
        QStringList inRow;
        for (; i < fields.size() && fields[i].sourceRow == sourceRow; ++i) {
            QStringList characters;
            for (const TUnencodableChar& c : fields[i].characters) {
                QString text = utf8("„%1”").arg(characterText(c.character));
                if (!skipped)
                    text += utf8(" → „%1”").arg(c.replacement.value_or(QString()));
                else if (!c.replacement)
                    text += utf8(" (nie ma zastępstwa)");
                characters << text;
            }
            inRow << targetTitle(fields[i].target) + QStringLiteral(": ") + characters.join(QStringLiteral(", "));
        }
        if (++rows <= kLackingRowsListed)
            lines << utf8("wiersz %1 — %2%3")
                         .arg(sourceRow)
                         .arg(inRow.join(QStringLiteral("; ")), skipped ? utf8("; wiersz zostanie pominięty") : QString());
    }
    if (lines.isEmpty())
        return {};
    if (rows > kLackingRowsListed)
        lines << utf8("… i jeszcze ") + polishCount(rows - kLackingRowsListed, "wiersz", "wiersze", "wierszy") + u'.';
    return utf8("Znaki, których Windows-1250 nie ma:\n") + lines.join(u'\n');
}

} // namespace

TFImportOsob::TFImportOsob(IDialogs& dialogs, QString listFile, std::shared_ptr<ISQLiteDatabase> db, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_listFile(std::move(listFile)), m_db(std::move(db)) {
    setObjectName(QStringLiteral("FImportOsob"));
    setWindowTitle(utf8("Importuj osoby z listy – ") + QFileInfo(m_listFile).fileName());
    m_settings.listFolder = QFileInfo(m_listFile).absolutePath();
    TListFileOptions options;
    m_list = readListFile(m_listFile, options); // a list that cannot be read ends here, said by the caller
    buildWindow();
    showColumns(true);
}

TFImportOsob::~TFImportOsob() = default;

void TFImportOsob::buildWindow() {
    auto* layout = new QVBoxLayout(this);

    auto* reading = new QHBoxLayout;
    cbKodowanie = new QComboBox(this);
    cbKodowanie->setObjectName(QStringLiteral("cbKodowanie"));
    for (const TListEncoding encoding : {TListEncoding::Auto, TListEncoding::Utf8, TListEncoding::Windows1250,
                                         TListEncoding::Iso8859_2})
        cbKodowanie->addItem(listEncodingDisplayName(encoding), int(encoding));
    cbSeparator = new QComboBox(this);
    cbSeparator->setObjectName(QStringLiteral("cbSeparator"));
    cbSeparator->addItem(utf8("wykrywany samoczynnie"), QString());
    cbSeparator->addItem(utf8("średnik ;"), QStringLiteral(";"));
    cbSeparator->addItem(utf8("przecinek ,"), QStringLiteral(","));
    cbSeparator->addItem(utf8("tabulator"), QStringLiteral("\t"));
    cbArkusz = new QComboBox(this);
    cbArkusz->setObjectName(QStringLiteral("cbArkusz"));
    cbArkusz->addItems(m_list.sheets);
    auto* labelKodowanie = new QLabel(utf8("&Kodowanie:"), this);
    labelKodowanie->setBuddy(cbKodowanie);
    auto* labelSeparator = new QLabel(utf8("&Separator:"), this);
    labelSeparator->setBuddy(cbSeparator);
    auto* labelArkusz = new QLabel(utf8("&Arkusz:"), this);
    labelArkusz->setBuddy(cbArkusz);
    if (m_list.spreadsheet) {
        reading->addWidget(labelArkusz);
        reading->addWidget(cbArkusz);
        for (QWidget* unused : {static_cast<QWidget*>(labelKodowanie), static_cast<QWidget*>(cbKodowanie),
                                static_cast<QWidget*>(labelSeparator), static_cast<QWidget*>(cbSeparator)})
            unused->hide();
    } else {
        reading->addWidget(labelKodowanie);
        reading->addWidget(cbKodowanie);
        reading->addWidget(labelSeparator);
        reading->addWidget(cbSeparator);
        labelArkusz->hide();
        cbArkusz->hide();
    }
    chkTytuly = new QCheckBox(utf8("Pierwszy wiersz to &tytuły kolumn"), this);
    chkTytuly->setObjectName(QStringLiteral("chkTytuly"));
    reading->addWidget(chkTytuly);
    reading->addStretch();
    layout->addLayout(reading);

    auto* columns = new QGroupBox(utf8("Kolumny listy i pola osoby"), this);
    auto* columnsLayout = new QVBoxLayout(columns);
    gridKolumny = new QTableWidget(0, 3, columns);
    gridKolumny->setObjectName(QStringLiteral("gridKolumny"));
    gridKolumny->setHorizontalHeaderLabels({utf8("Kolumna"), utf8("Pierwsze wartości"), utf8("Pole")});
    gridKolumny->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    gridKolumny->verticalHeader()->hide();
    columnsLayout->addWidget(gridKolumny);
    layout->addWidget(columns, 3);

    auto* preview = new QGroupBox(utf8("Pierwsze wiersze tak, jak zostaną zapisane"), this);
    auto* previewLayout = new QVBoxLayout(preview);
    gridPodglad = new QTableWidget(0, int(kPersonTextCount) + 2, preview);
    gridPodglad->setObjectName(QStringLiteral("gridPodglad"));
    QStringList titles = {utf8("Wiersz")};
    for (std::size_t f = 0; f < kPersonTextCount; ++f)
        titles << targetTitle(personTextTarget(f));
    titles << targetTitle(TColumnTarget::Photo);
    gridPodglad->setHorizontalHeaderLabels(titles);
    gridPodglad->verticalHeader()->hide();
    gridPodglad->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewLayout->addWidget(gridPodglad);
    layout->addWidget(preview, 2);

    auto* choices = new QFormLayout;
    auto* photos = new QHBoxLayout;
    edZdjecia = new QLineEdit(this);
    edZdjecia->setObjectName(QStringLiteral("edZdjecia"));
    edZdjecia->setPlaceholderText(utf8("bez folderu: tylko zdjęcia z kolumny listy"));
    btnZdjecia = new QPushButton(utf8("&Wybierz…"), this);
    btnZdjecia->setObjectName(QStringLiteral("btnZdjecia"));
    photos->addWidget(edZdjecia);
    photos->addWidget(btnZdjecia);
    auto* photosLabel = new QLabel(utf8("&Zdjęcia z folderu:"), this);
    photosLabel->setBuddy(edZdjecia);
    choices->addRow(photosLabel, photos);
    cbDuplikaty = new QComboBox(this);
    cbDuplikaty->setObjectName(QStringLiteral("cbDuplikaty"));
    cbDuplikaty->addItem(utf8("pomiń je"), int(TDuplicateChoice::Skip));
    cbDuplikaty->addItem(utf8("zaktualizuj zapisane dane"), int(TDuplicateChoice::Update));
    cbDuplikaty->addItem(utf8("dodaj mimo to"), int(TDuplicateChoice::Add));
    choices->addRow(utf8("Osoby już zapisane w &bazie:"), cbDuplikaty);
    cbZnaki = new QComboBox(this);
    cbZnaki->setObjectName(QStringLiteral("cbZnaki"));
    cbZnaki->addItem(utf8("zastąp najbliższą literą"), int(TUnencodableChoice::Replace));
    cbZnaki->addItem(utf8("pomiń te wiersze"), int(TUnencodableChoice::SkipRows));
    choices->addRow(utf8("Znaki spoza Windows-1250:"), cbZnaki);
    layout->addLayout(choices);
    // A line for every row with such letters: scrolled, so a long list keeps the dialog's size.
    scrollZnaki = new QScrollArea(this);
    scrollZnaki->setObjectName(QStringLiteral("scrollZnaki"));
    scrollZnaki->setWidgetResizable(true);
    scrollZnaki->setFrameShape(QFrame::NoFrame);
    lblZnaki = new QLabel(scrollZnaki);
    lblZnaki->setObjectName(QStringLiteral("lblZnaki"));
    lblZnaki->setWordWrap(true);
    lblZnaki->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblZnaki->setTextInteractionFlags(Qt::TextSelectableByMouse);
    scrollZnaki->setWidget(lblZnaki);
    scrollZnaki->setFixedHeight(lblZnaki->sizeHint().height()); // an empty label's place until there are lines
    layout->addWidget(scrollZnaki);
    lblStan = new QLabel(this);
    lblStan->setObjectName(QStringLiteral("lblStan"));
    lblStan->setWordWrap(true);
    layout->addWidget(lblStan);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnImportuj = new QPushButton(utf8("&Importuj"), this);
    btnImportuj->setObjectName(QStringLiteral("btnImportuj"));
    btnImportuj->setDefault(true);
    btnAnuluj = new QPushButton(utf8("Anuluj"), this);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    buttons->addWidget(btnImportuj);
    buttons->addWidget(btnAnuluj);
    layout->addLayout(buttons);
    resize(960, 680);

    connect(cbKodowanie, &QComboBox::currentIndexChanged, this, [this] { readList(); });
    connect(cbSeparator, &QComboBox::currentIndexChanged, this, [this] { readList(); });
    connect(cbArkusz, &QComboBox::currentIndexChanged, this, [this] { readList(); });
    connect(chkTytuly, &QCheckBox::toggled, this, [this](bool on) {
        if (m_updating)
            return;
        m_settings.firstRowIsHeader = on;
        showColumns(false);
    });
    connect(edZdjecia, &QLineEdit::editingFinished, this, [this] {
        m_settings.photoFolder = edZdjecia->text().trimmed();
        refresh();
    });
    connect(btnZdjecia, &QPushButton::clicked, this, [this] { choosePhotoFolder(); });
    connect(cbDuplikaty, &QComboBox::currentIndexChanged, this, [this] {
        m_settings.duplicates = TDuplicateChoice(cbDuplikaty->currentData().toInt());
        refresh();
    });
    connect(cbZnaki, &QComboBox::currentIndexChanged, this, [this] {
        m_settings.unencodable = TUnencodableChoice(cbZnaki->currentData().toInt());
        refresh();
    });
    connect(btnImportuj, &QPushButton::clicked, this, [this] {
        m_settings.photoFolder = edZdjecia->text().trimmed();
        refresh();
        if (btnImportuj->isEnabled())
            accept();
    });
    connect(btnAnuluj, &QPushButton::clicked, this, &QDialog::reject);
}

void TFImportOsob::readList() {
    if (m_updating)
        return;
    TListFileOptions options;
    options.text.encoding = TListEncoding(cbKodowanie->currentData().toInt());
    const QString delimiter = cbSeparator->currentData().toString();
    options.text.delimiter = delimiter.isEmpty() ? QChar() : delimiter.front();
    options.sheet = std::max(0, cbArkusz->currentIndex());
    try {
        m_list = readListFile(m_listFile, options);
    } catch (const Exception& e) {
        // The list as it was read last stays, with its fields; the reason is shown where the user looks.
        m_readError = e.message();
        refresh();
        return;
    }
    m_readError.clear();
    // Columns mapped by hand stay while the list keeps its columns.
    showColumns(m_list.table.columnCount() != m_settings.mapping.columnCount());
}

void TFImportOsob::showColumns(bool guess) {
    const QScopedValueRollback<bool> updating(m_updating, true);
    const TListTable& table = m_list.table;
    const int columns = table.columnCount();
    if (guess) {
        const TMappingGuess guessed = table.rows.empty() ? TMappingGuess{} : guessMapping(table.rows.front());
        m_settings.mapping = guessed.mapping.columnCount() > 0 ? guessed.mapping : TColumnMapping(columns);
        m_settings.firstRowIsHeader = guessed.firstRowIsHeader;
        chkTytuly->setChecked(guessed.firstRowIsHeader);
    }
    const bool titled = m_settings.firstRowIsHeader && !table.rows.empty();

    gridKolumny->setRowCount(columns);
    fieldChoices.clear();
    const std::vector<TColumnTarget> targets = targetChoices();
    for (int c = 0; c < columns; ++c) {
        const std::size_t first = titled ? 1 : 0;
        QString title = utf8("Kolumna %1").arg(c + 1);
        if (titled && c < table.rows.front().cells.size())
            title += QStringLiteral(": ") + table.rows.front().cells[c];
        QStringList values;
        for (std::size_t r = first; r < table.rows.size() && values.size() < kFirstValues; ++r)
            if (c < table.rows[r].cells.size() && !table.rows[r].cells[c].trimmed().isEmpty())
                values << table.rows[r].cells[c].simplified();
        gridKolumny->setItem(c, 0, fixedItem(title));
        gridKolumny->setItem(c, 1, fixedItem(values.join(QStringLiteral(" | "))));
        auto* choice = new QComboBox(gridKolumny);
        choice->setObjectName(QStringLiteral("cbPole%1").arg(c + 1));
        for (const TColumnTarget target : targets)
            choice->addItem(targetTitle(target));
        choice->setCurrentIndex(choiceOf(m_settings.mapping.target(c)));
        connect(choice, &QComboBox::currentIndexChanged, this, [this, c](int index) { fieldChosen(c, index); });
        gridKolumny->setCellWidget(c, 2, choice);
        fieldChoices.push_back(choice);
    }
    gridKolumny->resizeColumnToContents(0);
    gridKolumny->setColumnWidth(2, 160);
    m_updating = false;
    refresh();
}

void TFImportOsob::fieldChosen(int column, int choice) {
    if (m_updating)
        return;
    const std::vector<TColumnTarget> targets = targetChoices();
    m_settings.mapping.assign(column, targets[std::size_t(std::clamp(choice, 0, int(targets.size()) - 1))]);
    // A field goes to one column only: the one that had it lets go.
    const QScopedValueRollback<bool> updating(m_updating, true);
    for (int c = 0; c < int(fieldChoices.size()); ++c)
        fieldChoices[std::size_t(c)]->setCurrentIndex(choiceOf(m_settings.mapping.target(c)));
    m_updating = false;
    refresh();
}

void TFImportOsob::refresh() {
    if (m_updating)
        return;
    if (!m_settings.photoFolder.isEmpty() && !QFileInfo(m_settings.photoFolder).isDir()) {
        lblStan->setText(utf8("Nie ma folderu %1.").arg(QDir::toNativeSeparators(m_settings.photoFolder)));
        btnImportuj->setEnabled(false);
        return;
    }
    try {
        m_plan = planImport(m_list.table, m_settings, m_db.get());
    } catch (const Exception& e) {
        lblStan->setText(e.message());
        btnImportuj->setEnabled(false);
        return;
    }
    const int shown = std::min(kPreviewRows, int(m_plan.rows.size()));
    gridPodglad->setRowCount(shown);
    for (int r = 0; r < shown; ++r) {
        const TImportRow& row = m_plan.rows[std::size_t(r)];
        QString where = QString::number(row.sourceRow);
        if (row.unencodable)
            where += utf8(" (pominięty)");
        else if (row.storedId && m_settings.duplicates == TDuplicateChoice::Skip)
            where += utf8(" (już w bazie)");
        else if (row.storedId && m_settings.duplicates == TDuplicateChoice::Update)
            where += utf8(" (zaktualizuje zapisaną)");
        gridPodglad->setItem(r, 0, fixedItem(where));
        for (std::size_t f = 0; f < kPersonTextCount; ++f)
            gridPodglad->setItem(r, int(f) + 1, fixedItem(row.texts[f]));
        const QString photoName = row.photoFile.section(u'/', -1).section(u'\\', -1); // as a list from Windows writes it
        gridPodglad->setItem(r, int(kPersonTextCount) + 1, fixedItem(photoName));
    }
    gridPodglad->resizeColumnsToContents();

    lblZnaki->setText(lackingText(lackingFields(m_plan)));
    if (m_plan.unencodable.empty())
        scrollZnaki->setFixedHeight(lblZnaki->sizeHint().height());
    else
        scrollZnaki->setFixedHeight(std::min(lblZnaki->sizeHint().height(), 8 * fontMetrics().lineSpacing()));
    cbZnaki->setEnabled(!m_plan.unencodable.empty());

    int photos = 0;
    for (const TImportRow& row : m_plan.rows)
        photos += !row.photoFile.isEmpty();
    QString state = utf8("Osób na liście: %1, ze zdjęciem: %2").arg(m_plan.rows.size()).arg(photos);
    if (m_plan.duplicateCount() > 0) {
        QStringList stored;
        for (const TImportRow& row : m_plan.rows)
            if (row.storedId && stored.size() < kDuplicatesListed)
                stored << (row.texts[1].trimmed() + u' ' + row.texts[2].trimmed()).trimmed() +
                              utf8(" (wiersz %1)").arg(row.sourceRow);
        if (m_plan.duplicateCount() > int(stored.size()))
            stored << utf8("…");
        state += utf8("; już w bazie: %1 — %2").arg(m_plan.duplicateCount()).arg(stored.join(QStringLiteral(", ")));
    }
    if (!m_plan.unmatchedPhotoFiles.isEmpty())
        state += utf8("; zdjęć bez osoby: %1").arg(m_plan.unmatchedPhotoFiles.size());
    const bool mapped = m_settings.mapping.mapsAnything();
    if (!mapped)
        state += utf8(". Wybierz pole dla co najmniej jednej kolumny.");
    lblStan->setText(state + (mapped ? QStringLiteral(".") : QString()));
    btnImportuj->setEnabled(mapped && !m_plan.rows.empty());
    if (!m_readError.isEmpty()) {
        // Shown is the list as read before; what is chosen now cannot be read, so it cannot be imported.
        lblStan->setText(m_readError + utf8(" Widać listę odczytaną ostatnio (%1).").arg(m_list.readAs()));
        btnImportuj->setEnabled(false);
    }
}

void TFImportOsob::choosePhotoFolder() {
    const std::optional<QString> folder =
        m_dialogs.ChooseFolder(utf8("Folder ze zdjęciami osób"), edZdjecia->text().isEmpty() ? m_settings.listFolder
                                                                                             : edZdjecia->text());
    if (!folder)
        return;
    edZdjecia->setText(QDir::toNativeSeparators(*folder));
    m_settings.photoFolder = *folder;
    refresh();
}

} // namespace wendolarka
