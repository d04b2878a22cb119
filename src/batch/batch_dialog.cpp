#include "batch_dialog.h"

#include "run_checks.h"
#include "run_fields_box.h"

#include "core/exception.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "platform/dialogs.h"
#include "platform/error_handler.h"
#include "platform/printers.h"
#include "calibration_dialog.h"
#include "printing/print_preview.h"
#include "widgets/form_setup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace wendolarka {

QStringList prioritiesPresent(const std::vector<TPersonRow>& persons) {
    QStringList found;
    for (const TPersonRow& person : persons) {
        const QString priority = person.texts[3].trimmed();
        if (!found.contains(priority))
            found << priority;
    }
    found.sort();
    return found;
}

TFWieleOsob::TFWieleOsob(IDialogs& dialogs, IPrinterService& printers, Source source, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_printers(printers), m_source(std::move(source)),
      m_passSize(TPassRenderer(m_source.templateFile).passSize()), m_persons(personList(*m_source.db)),
      m_printed(print_register::PrintedIds(*m_source.db)) {
    initForm(*this, {QStringLiteral("FWieleOsob"), utf8("Przepustki dla wielu osób"), QSize(980, 640), clBtnFace,
                     TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), false});
    auto* persons = named(new QGroupBox(utf8("Osoby"), this), "GroupOsoby");
    rbAll = named(new QRadioButton(utf8("Wszystkie osoby z bazy"), persons), "rbAll");
    rbSelected = named(new QRadioButton(utf8("Zaznaczone wiersze siatki (%1)").arg(m_source.selectedIds.size()), persons),
                       "rbSelected");
    rbPhrase = named(new QRadioButton(utf8("Pasujące do frazy:"), persons), "rbPhrase");
    edPhrase = named(new QLineEdit(persons), "edPhrase");
    chkLitery = named(new QCheckBox(utf8("Uwzględnij wielkość liter"), persons), "chkLitery");
    chkSlowa = named(new QCheckBox(utf8("Uwzględnij tylko całe wyrazy"), persons), "chkSlowa");
    rbPriority = named(new QRadioButton(utf8("O priorytecie:"), persons), "rbPriority");
    lstPriorytety = named(new QListWidget(persons), "lstPriorytety");
    for (const QString& priority : prioritiesPresent(m_persons)) {
        auto* item = new QListWidgetItem(priority.isEmpty() ? utf8("(bez priorytetu)") : priority, lstPriorytety);
        item->setData(Qt::UserRole, priority);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    lstPriorytety->setMaximumHeight(90);
    chkNotPrinted = named(new QCheckBox(utf8("Tylko osoby bez przepustki"), persons), "chkNotPrinted");
    chkPrintedAfter = named(new QCheckBox(utf8("Tylko wydrukowane od dnia:"), persons), "chkPrintedAfter");
    dtPrintedAfter = named(new QDateEdit(QDate::currentDate(), persons), "dtPrintedAfter");
    dtPrintedAfter->setCalendarPopup(true);
    dtPrintedAfter->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* personsLayout = new QVBoxLayout(persons);
    for (QWidget* w : std::initializer_list<QWidget*>{rbAll, rbSelected, rbPhrase, edPhrase, chkLitery, chkSlowa, rbPriority,
                                                      lstPriorytety, chkNotPrinted})
        personsLayout->addWidget(w);
    auto* printedAfter = new QHBoxLayout;
    printedAfter->addWidget(chkPrintedAfter);
    printedAfter->addWidget(dtPrintedAfter, 1);
    personsLayout->addLayout(printedAfter);
    (m_source.selectedIds.size() > 1 ? rbSelected : rbAll)->setChecked(true);
    rbSelected->setEnabled(!m_source.selectedIds.isEmpty());

    auto* sheet = named(new QGroupBox(utf8("Arkusz A4"), this), "GroupArkusz");
    rbPortrait = named(new QRadioButton(utf8("Pionowo"), sheet), "rbPortrait");
    rbLandscape = named(new QRadioButton(utf8("Poziomo"), sheet), "rbLandscape");
    auto* orientation = new QButtonGroup(sheet);
    orientation->addButton(rbPortrait);
    orientation->addButton(rbLandscape);
    rbPortrait->setChecked(true);
    rbFit = named(new QRadioButton(utf8("Tyle przepustek, ile się zmieści"), sheet), "rbFit");
    rbGrid = named(new QRadioButton(utf8("Kolumny × wiersze:"), sheet), "rbGrid");
    auto* count = new QButtonGroup(sheet);
    count->addButton(rbFit);
    count->addButton(rbGrid);
    rbFit->setChecked(true);
    spColumns = named(new QSpinBox(sheet), "spColumns");
    spColumns->setRange(1, 20);
    spColumns->setValue(2);
    spRows = named(new QSpinBox(sheet), "spRows");
    spRows->setRange(1, 40);
    spRows->setValue(4);
    const TSheetOptions defaults;
    spMargin = named(new QDoubleSpinBox(sheet), "spMargin");
    spMargin->setRange(0, 50);
    spMargin->setSuffix(QStringLiteral(" mm"));
    spMargin->setValue(defaults.marginMm);
    spGap = named(new QDoubleSpinBox(sheet), "spGap");
    spGap->setRange(0, 50);
    spGap->setSuffix(QStringLiteral(" mm"));
    spGap->setValue(defaults.gapMm);
    chkCutMarks = named(new QCheckBox(utf8("Znaczniki cięcia"), sheet), "chkCutMarks");
    rbCard = named(new QRadioButton(utf8("Jedna karta na stronę:"), sheet), "rbCard");
    count->addButton(rbCard);
    const TCardOptions card;
    const auto cardSide = [sheet](const char* name, double value) {
        auto* spin = named(new QDoubleSpinBox(sheet), name);
        spin->setRange(20, 330);
        spin->setDecimals(1);
        spin->setSuffix(QStringLiteral(" mm"));
        spin->setValue(value);
        return spin;
    };
    spCardWidth = cardSide("spCardWidth", card.sizeMm.width());
    spCardHeight = cardSide("spCardHeight", card.sizeMm.height());
    chkBleed = named(new QCheckBox(utf8("Spad 1 mm"), sheet), "chkBleed");

    auto* back = named(new QGroupBox(utf8("Tylna strona"), this), "GroupTyl");
    chkBack = named(new QCheckBox(utf8("Tył z wzorca:"), back), "chkBack");
    lblBack = named(new QLabel(utf8("(nie wybrano)"), back), "lblBack");
    btnBack = named(new QPushButton(utf8("&Wybierz…"), back), "btnBack");
    btnBack->setAutoDefault(false);
    rbLongEdge = named(new QRadioButton(utf8("Obracanie po dłuższej krawędzi"), back), "rbLongEdge");
    rbShortEdge = named(new QRadioButton(utf8("Obracanie po krótszej krawędzi"), back), "rbShortEdge");
    rbLongEdge->setChecked(true);
    chkBack->setEnabled(false); // until a template is chosen
    auto* backLayout = new QGridLayout(back);
    backLayout->addWidget(chkBack, 0, 0);
    backLayout->addWidget(lblBack, 0, 1);
    backLayout->addWidget(btnBack, 0, 2);
    backLayout->addWidget(rbLongEdge, 1, 0, 1, 3);
    backLayout->addWidget(rbShortEdge, 2, 0, 1, 3);
    btnCalibrate = named(new QPushButton(utf8("&Kalibracja drukarki…"), this), "btnCalibrate");
    btnCalibrate->setAutoDefault(false);
    chkCalibratedPdf = named(new QCheckBox(utf8("Kalibracja drukarki także w PDF"), this), "chkCalibratedPdf");
    auto* sheetLayout = new QGridLayout(sheet);
    sheetLayout->addWidget(rbPortrait, 0, 0);
    sheetLayout->addWidget(rbLandscape, 0, 1);
    sheetLayout->addWidget(rbFit, 1, 0, 1, 3);
    sheetLayout->addWidget(rbGrid, 2, 0);
    sheetLayout->addWidget(spColumns, 2, 1);
    sheetLayout->addWidget(spRows, 2, 2);
    sheetLayout->addWidget(new QLabel(utf8("Margines:"), sheet), 3, 0);
    sheetLayout->addWidget(spMargin, 3, 1);
    sheetLayout->addWidget(new QLabel(utf8("Odstęp:"), sheet), 4, 0);
    sheetLayout->addWidget(spGap, 4, 1);
    sheetLayout->addWidget(chkCutMarks, 5, 0, 1, 3);
    sheetLayout->addWidget(rbCard, 6, 0);
    sheetLayout->addWidget(spCardWidth, 6, 1);
    sheetLayout->addWidget(spCardHeight, 6, 2);
    sheetLayout->addWidget(chkBleed, 7, 0, 1, 3);

    lblCount = named(new QLabel(this), "lblCount");
    btnPreview = named(new QPushButton(utf8("&Podgląd"), this), "btnPreview");
    btnPdf = named(new QPushButton(utf8("Zapisz &PDF…"), this), "btnPdf");
    btnPrint = named(new QPushButton(utf8("&Drukuj…"), this), "btnPrint");
    btnClose = named(new QPushButton(utf8("&Zamknij"), this), "btnClose");
    for (QPushButton* button : {btnPreview, btnPdf, btnPrint, btnClose})
        button->setAutoDefault(false);

    Preview = named(new TPrintPreview(this), "Preview");
    Preview->setUnits(mmPixel);
    Preview->setPrinterService(&m_printers);
    btnPrevPage = named(new QPushButton(QStringLiteral("<"), this), "btnPrevPage");
    btnNextPage = named(new QPushButton(QStringLiteral(">"), this), "btnNextPage");
    lblPage = named(new QLabel(this), "lblPage");

    auto* left = new QVBoxLayout;
    left->addWidget(persons);
    left->addWidget(sheet);
    left->addWidget(back);
    RunFields = new TRunFieldsBox(this);
    left->addWidget(RunFields);
    auto* calibration = new QHBoxLayout;
    calibration->addWidget(btnCalibrate);
    calibration->addWidget(chkCalibratedPdf, 1);
    left->addLayout(calibration);
    left->addWidget(lblCount);
    auto* buttons = new QGridLayout;
    buttons->addWidget(btnPreview, 0, 0);
    buttons->addWidget(btnPdf, 0, 1);
    buttons->addWidget(btnPrint, 1, 0);
    buttons->addWidget(btnClose, 1, 1);
    left->addLayout(buttons);
    left->addStretch();
    auto* pages = new QHBoxLayout;
    pages->addWidget(btnPrevPage);
    pages->addWidget(lblPage, 1, Qt::AlignCenter);
    pages->addWidget(btnNextPage);
    auto* right = new QVBoxLayout;
    right->addWidget(Preview, 1);
    right->addLayout(pages);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    const auto guarded = [this](auto work) { return [this, work] { guardOrRun(m_errors, work); }; };
    for (QRadioButton* button :
         {rbAll, rbSelected, rbPhrase, rbPriority, rbPortrait, rbLandscape, rbFit, rbGrid, rbCard, rbLongEdge, rbShortEdge})
        connect(button, &QRadioButton::toggled, this, guarded([this] { updateCount(); }));
    for (QCheckBox* box : {chkLitery, chkSlowa, chkCutMarks, chkNotPrinted, chkPrintedAfter, chkBleed, chkBack})
        connect(box, &QCheckBox::toggled, this, guarded([this] { updateCount(); }));
    connect(edPhrase, &QLineEdit::textChanged, this, guarded([this] {
                if (!rbPhrase->isChecked())
                    rbPhrase->setChecked(true);
                updateCount();
            }));
    connect(lstPriorytety, &QListWidget::itemChanged, this, guarded([this] {
                if (!rbPriority->isChecked())
                    rbPriority->setChecked(true);
                updateCount();
            }));
    for (QSpinBox* spin : {spColumns, spRows})
        connect(spin, &QSpinBox::valueChanged, this, guarded([this] {
                    rbGrid->setChecked(true);
                    updateCount();
                }));
    connect(dtPrintedAfter, &QDateEdit::dateChanged, this, guarded([this] {
                if (!chkPrintedAfter->isChecked())
                    chkPrintedAfter->setChecked(true);
                updateCount();
            }));
    for (QDoubleSpinBox* spin : {spMargin, spGap})
        connect(spin, &QDoubleSpinBox::valueChanged, this, guarded([this] { updateCount(); }));
    for (QDoubleSpinBox* spin : {spCardWidth, spCardHeight})
        connect(spin, &QDoubleSpinBox::valueChanged, this, guarded([this] {
                    rbCard->setChecked(true);
                    updateCount();
                }));
    connect(btnBack, &QPushButton::clicked, this, guarded([this] { chooseBackTemplate(); }));
    connect(btnCalibrate, &QPushButton::clicked, this, guarded([this] { calibrate(); }));
    connect(btnPreview, &QPushButton::clicked, this, guarded([this] { showPreview(); }));
    connect(btnPdf, &QPushButton::clicked, this, guarded([this] { savePdf(); }));
    connect(btnPrint, &QPushButton::clicked, this, guarded([this] { print(); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnPrevPage, &QPushButton::clicked, this, [this] { Preview->setCurrentPage(Preview->CurrentPage() - 1); });
    connect(btnNextPage, &QPushButton::clicked, this, [this] { Preview->setCurrentPage(Preview->CurrentPage() + 1); });
    Preview->OnChange = [this](TPrintPreview&) { showPage(); };
    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(300);
    connect(m_previewTimer, &QTimer::timeout, this, guarded([this] { showPreview(); }));
    updateCount();
}

TFWieleOsob::~TFWieleOsob() = default;

TPersonFilter TFWieleOsob::filter() const {
    TPersonFilter filter;
    if (rbSelected->isChecked()) {
        filter.ids = m_source.selectedIds;
    } else if (rbPhrase->isChecked()) {
        filter.phrase = edPhrase->text();
        filter.matchCase = chkLitery->isChecked();
        filter.wholeWords = chkSlowa->isChecked();
    } else if (rbPriority->isChecked()) {
        QSet<QString> chosen;
        for (int i = 0; i < lstPriorytety->count(); ++i)
            if (lstPriorytety->item(i)->checkState() == Qt::Checked)
                chosen.insert(lstPriorytety->item(i)->data(Qt::UserRole).toString());
        filter.priorities = chosen;
    }
    if (chkNotPrinted->isChecked())
        filter.leftOut = m_printed;
    if (chkPrintedAfter->isChecked())
        filter.onlyAmong = print_register::PrintedSince(*m_source.db, dtPrintedAfter->date().startOfDay());
    return filter;
}

TSheetOptions TFWieleOsob::sheetOptions() const {
    TSheetOptions options;
    options.landscape = rbLandscape->isChecked();
    if (rbGrid->isChecked()) {
        options.columns = spColumns->value();
        options.rows = spRows->value();
    }
    options.marginMm = spMargin->value();
    options.gapMm = spGap->value();
    options.cutMarks = chkCutMarks->isChecked();
    return options;
}

void TFWieleOsob::setRunFields(const TRunFields& run) { RunFields->setRunFields(run); }

std::optional<TRunFields> TFWieleOsob::runFields() const { return RunFields->runFields(); }

TBatchOptions TFWieleOsob::batchOptions() const {
    TBatchOptions options;
    options.sheet = sheetOptions();
    if (rbCard->isChecked())
        options.card = TCardOptions{QSizeF(spCardWidth->value(), spCardHeight->value()), chkBleed->isChecked()};
    if (chkBack->isChecked())
        options.backTemplate = m_backTemplate;
    options.duplex = rbShortEdge->isChecked() ? TDuplex::ShortEdge : TDuplex::LongEdge;
    options.run = RunFields->runFields().value_or(TRunFields{});
    return options;
}

void TFWieleOsob::setBackTemplate(const QByteArray& templateFile, const QString& name) {
    const QSize size = templateFile.isEmpty() ? QSize() : TPassRenderer(templateFile).passSize();
    m_backTemplate = templateFile;
    m_backPassSize = size;
    lblBack->setText(templateFile.isEmpty() ? utf8("(nie wybrano)") : name);
    chkBack->setEnabled(!templateFile.isEmpty());
    chkBack->setChecked(!templateFile.isEmpty());
    updateCount();
}

bool TFWieleOsob::chooseBackTemplate() {
    FileDialogOptions options;
    options.title = utf8("Wzorzec tylnej strony");
    options.filter = utf8("Wzorzec przepustki|*.wzo");
    options.place = TFilePlace::Templates;
    options.defaultExt = QStringLiteral("wzo");
    const auto chosen = m_dialogs.OpenFile(options);
    if (!chosen)
        return false;
    QFile file(chosen->fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(utf8("Nie mogę otworzyć wzorca %1: %2").arg(QDir::toNativeSeparators(chosen->fileName), file.errorString()));
    setBackTemplate(file.readAll(), QFileInfo(chosen->fileName).fileName());
    return true;
}

QSettings& TFWieleOsob::settings() {
    if (m_settings)
        return *m_settings;
    if (!m_userSettings)
        m_userSettings = userSettings();
    return *m_userSettings;
}

void TFWieleOsob::calibrate() {
    const TBatchOptions options = batchOptions();
    const QSizeF page = options.card ? options.card->sizeMm : options.sheet.landscape ? QSizeF(297, 210) : QSizeF(210, 297);
    TFKalibracja dialog(m_dialogs, m_printers, settings(), page, this);
    dialog.exec();
}

std::vector<std::int64_t> TFWieleOsob::chosenPersons() const { return choosePersons(m_persons, filter()); }

void TFWieleOsob::updateCount() {
    if (m_busy)
        return; // the choices cannot change under a job; its events come through the progress dialog
    const int persons = static_cast<int>(chosenPersons().size());
    bool fits = true;
    QString text;
    const bool cards = rbCard->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{rbPortrait, rbLandscape, spMargin, spGap, chkCutMarks})
        w->setEnabled(!cards);
    chkBleed->setEnabled(cards);
    rbLongEdge->setEnabled(chkBack->isChecked());
    rbShortEdge->setEnabled(chkBack->isChecked());
    try {
        if (cards) {
            text = polishPlural(persons, "osoba", "osoby", "osób") + QStringLiteral(", ") +
                   polishPlural(persons, "karta", "karty", "kart");
        } else {
            const TSheetLayout layout = computeSheetLayout(m_passSize, sheetOptions());
            text = passCountText(persons, layout.sheetsFor(persons)) +
                   utf8(" (po %1 na arkuszu)").arg(layout.perSheet());
        }
        if (chkBack->isChecked())
            text += utf8(", z tyłem");
    } catch (const Exception& error) {
        fits = false;
        text = error.message();
    }
    lblCount->setText(text);
    for (QPushButton* button : {btnPreview, btnPdf, btnPrint})
        button->setEnabled(fits && persons > 0);
    // A few sheets are shown at once; a long list waits for "Podgląd".
    constexpr int kShownAtOnce = 100;
    Preview->Clear();
    showPage();
    if (fits && persons > 0 && persons <= kShownAtOnce)
        m_previewTimer->start();
    else if (fits && persons > 0)
        lblPage->setText(utf8("Arkusze pokaże przycisk „Podgląd”."));
}

std::unique_ptr<TPassBatch> TFWieleOsob::makeBatch() const {
    std::vector<std::int64_t> persons = chosenPersons();
    if (persons.empty())
        throw Exception(utf8("Żadna osoba nie pasuje do wyboru."));
    return std::make_unique<TPassBatch>(*m_source.db, m_source.templateFile, std::move(persons), batchOptions());
}

bool TFWieleOsob::acceptUnfitTexts(const TPassBatch& batch, int scale) {
    return acceptRun(m_dialogs, *m_source.db, m_source.templateFile, batch.persons(), scale, RunFields->runFields());
}

bool TFWieleOsob::withProgress(const QString& title, const std::function<bool(const TBatchProgress&)>& work) {
    m_previewTimer->stop();
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(m_busy);
    QProgressDialog progress(title, utf8("Anuluj"), 0, 100, this);
    progress.setWindowTitle(utf8("Przepustki"));
    progress.setMinimumWidth(360);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400); // a moment's work shows no dialog
    return work([&progress](int done, int total) {
        progress.setMaximum(std::max(1, total));
        progress.setValue(done);
        return !progress.wasCanceled();
    });
}

void TFWieleOsob::showPreview() {
    if (m_busy)
        return;
    std::unique_ptr<TPassBatch> batch = makeBatch();
    if (batch->onCards()) {
        // The paper in screen pixels, as the preview counts it.
        const QSizeF card = batch->layout().sheetMm;
        Preview->setOrientation(poPortrait);
        Preview->setPaperWidth(qRound(card.width() / 25.4 * 96));
        Preview->setPaperHeight(qRound(card.height() / 25.4 * 96));
    } else {
        Preview->setOrientation(poPortrait);
        Preview->setPaperType(pA4);
        Preview->setOrientation(sheetOptions().landscape ? poLandscape : poPortrait);
    }
    m_previewBacks.clear();
    for (const TPlannedPage& page : batch->plan().pages)
        m_previewBacks.push_back(page.back);
    m_previewCards = batch->onCards();
    Preview->BeginDoc();
    const bool done = withProgress(utf8("Przygotowuję podgląd arkuszy…"), [&](const TBatchProgress& progress) {
        try {
            for (int sheet = 0; sheet < batch->pageCount(); ++sheet) {
                if (sheet > 0)
                    Preview->NewPage();
                if (!batch->drawPage(*Preview->Canvas(), sheet, 96, 1, progress))
                    return false;
            }
        } catch (...) {
            Preview->EndDoc();
            throw;
        }
        return true;
    });
    Preview->EndDoc();
    if (!done)
        Preview->Clear();
    showPage();
}

void TFWieleOsob::showPage() {
    const int page = Preview->CurrentPage(), pages = Preview->TotalPages();
    const bool backs = static_cast<int>(m_previewBacks.size()) == pages &&
                       std::find(m_previewBacks.begin(), m_previewBacks.end(), true) != m_previewBacks.end();
    QString text;
    if (pages && backs)
        text = utf8("Strona %1 z %2: %3").arg(page).arg(pages).arg(m_previewBacks[static_cast<std::size_t>(page - 1)] ? utf8("tył") : utf8("przód"));
    else if (pages)
        text = utf8(m_previewCards ? "Karta %1 z %2" : "Arkusz %1 z %2").arg(page).arg(pages);
    lblPage->setText(text);
    btnPrevPage->setEnabled(Preview->CurrentPage() > 1);
    btnNextPage->setEnabled(Preview->CurrentPage() < Preview->TotalPages());
}

bool TFWieleOsob::savePdf() {
    if (m_busy)
        return false;
    std::unique_ptr<TPassBatch> batch = makeBatch();
    if (!acceptUnfitTexts(*batch, scaleForDpi(300)))
        return false;
    FileDialogOptions options;
    options.filter = utf8("Plik PDF|*.pdf");
    options.place = TFilePlace::Exports;
    options.filterIndex = 0;
    options.defaultExt = QStringLiteral("pdf");
    const auto chosen = m_dialogs.SaveFile(options);
    if (!chosen)
        return false;
    QString fileName = chosen->fileName;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".pdf");
    if (chkCalibratedPdf->isChecked())
        batch->setOffsetMm(calibrationOffsetMm(settings(), calibrationPrinterName(m_printers.printer())));
    const bool written = withProgress(utf8("Zapisuję przepustki do pliku PDF…"),
                                      [&](const TBatchProgress& progress) { return batch->writePdf(fileName, 300, progress); });
    if (written)
        recordPrinted(*batch, QFileInfo(fileName).absoluteFilePath());
    return written;
}

void TFWieleOsob::recordPrinted(TPassBatch& batch, const QString& output) {
    const QString warning = batch.recordPrinted(m_templateName, output);
    if (!warning.isEmpty()) {
        m_dialogs.ShowMessage(warning);
        return;
    }
    for (const std::int64_t id : batch.persons())
        m_printed.insert(id);
    updateCount();
}

bool TFWieleOsob::print() {
    if (m_busy)
        return false;
    std::unique_ptr<TPassBatch> batch = makeBatch();
    QPrinter& printer = m_printers.printer();
    if (!m_dialogs.PrinterSetup(printer))
        return false;
    // The page is A4 in the chosen orientation or the card, drawn from its physical corner.
    printer.setFullPage(true);
    if (batch->onCards())
        printer.setPageLayout(pageLayoutMm(batch->layout().sheetMm));
    else
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                          sheetOptions().landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                          QMarginsF()));
    printer.setDocName(utf8("Przepustki"));
    // Both sides on one sheet when there is a back; the shared printer gets its own setting back after.
    const QPrinter::DuplexMode duplex = printer.duplex();
    printer.setDuplex(!batch->hasBack()                                 ? QPrinter::DuplexNone
                      : batchOptions().duplex == TDuplex::ShortEdge ? QPrinter::DuplexShortSide
                                                                        : QPrinter::DuplexLongSide);
    struct RestoreDuplex {
        QPrinter& printer;
        QPrinter::DuplexMode mode;
        ~RestoreDuplex() { printer.setDuplex(mode); }
    } restoreDuplex{printer, duplex};
    batch->setOffsetMm(calibrationOffsetMm(settings(), calibrationPrinterName(printer)));
    const int dpi = printer.resolution();
    // Passes at the printer's resolution, but no finer than 384 dpi: more dots
    // than that only cost memory and time on the way to the printer.
    const int scale = std::min(scaleForDpi(dpi), 4);
    if (!acceptUnfitTexts(*batch, scale))
        return false;
    // Named before the job: printing to a file goes through a temporary one.
    const QString output =
        printer.outputFileName().isEmpty() ? printer.printerName() : QFileInfo(printer.outputFileName()).absoluteFilePath();
    TPrintToFile job(printer);
    QPainter painter;
    if (!beginPrinting(painter, printer))
        throw Exception(utf8("Nie można rozpocząć drukowania na drukarce %1.").arg(printer.printerName()));
    const bool done = withProgress(utf8("Drukuję przepustki…"), [&](const TBatchProgress& progress) {
        for (int sheet = 0; sheet < batch->pageCount(); ++sheet) {
            if (sheet > 0)
                printer.newPage();
            if (!batch->drawPage(painter, sheet, dpi, scale, progress))
                return false;
        }
        return true;
    });
    if (!done)
        printer.abort();
    const bool ended = painter.end();
    if (done && (!ended || printer.printerState() == QPrinter::Error))
        throw Exception(QStringLiteral("Drukowanie nie powiodło się; strona nie została wydrukowana."));
    if (done) {
        job.commit();
        recordPrinted(*batch, output);
    }
    return done;
}

} // namespace wendolarka
