#include "person_commands.h"

#include "core/cp1250.h"
#include "database/person_table.h"
#include "grid/sortable_grid.h"
#include "person_command_support.h"
#include "person_grid.h"
#include "platform/dialogs.h"
#include "platform/recent_places.h"
#include "record_conflict.h"
#include "record_edit_window.h"
#include "widgets/form_setup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScopedValueRollback>
#include <QLineEdit>

#include <algorithm>
#include <charconv>

namespace wendolarka {

using namespace person_commands_support;

TPersonCommands::TPersonCommands(IDialogs& dialogs, Windows windows)
    : m_dialogs(dialogs), m_windows(std::move(windows)) {
    m_windows.G1.OnDrawCell = [this](TStringGrid& grid, int col, int row, const TRect& rect, TGridDrawState) {
        if (TCanvas* canvas = grid.Canvas())
            G1DrawCell(*canvas, col, row, rect);
    };
}

TPersonCommands::~TPersonCommands() { m_windows.G1.OnDrawCell = nullptr; }

void TPersonCommands::requireDatabase() const {
    if (!m_db)
        throw Exception(utf8("Nie ma otwartej bazy danych.\nOtwórz bazę poleceniem „Otwórz bazę” z menu „Baza”."));
}

std::int64_t TPersonCommands::requireCurrentId() const {
    requireDatabase();
    if (!m_currentId)
        throw Exception(utf8("Nie wybrano osoby.\nWybierz osobę w tabeli na stronie „Baza danych”."));
    return *m_currentId;
}

int TPersonCommands::dataRows() const { return m_loaded ? m_loadedRows : 0; }

int TPersonCommands::rowOfId(std::int64_t id) const {
    const QString wanted = QString::number(id);
    for (int r = 1; r < m_windows.G1.RowCount(); ++r)
        if (m_windows.G1.Cells(kIdColumn, r) == wanted)
            return r;
    return -1;
}

// ---- files and display ---------------------------------------------------------------

void TPersonCommands::NowaBaza1Click() {
    FileDialogOptions options;
    options.fileName = QStringLiteral("zerowa.db");
    options.filter = kDatabaseFilter;
    options.place = TFilePlace::Databases;
    options.defaultExt = QStringLiteral("db");
    options.confirmOverwrite = false; // an existing file gets the command's own answer below
    const auto chosen = m_dialogs.SaveFile(options);
    if (!chosen)
        return;
    if (QFileInfo::exists(chosen->fileName)) {
        m_dialogs.MessageDlg(utf8("Plik taki już istnieje - proszę podaj inną nazwę lub zmień katalog!"),
                             TMsgDlgType::mtInformation, mbOK);
        return;
    }
    // Made apart and written whole or not at all; the open database stays the one shown.
    person_table::CreateDatabase(chosen->fileName);
    if (m_recent)
        m_recent->databaseUsed(chosen->fileName);
}

void TPersonCommands::OtworzBaze1Click() {
    FileDialogOptions options;
    options.filter = kDatabaseFilter;
    options.place = TFilePlace::Databases;
    const auto chosen = m_dialogs.OpenFile(options);
    if (chosen)
        openDatabaseFile(chosen->fileName);
    m_windows.G1.HideColumnRange(kFirstHiddenPersonColumn, kPersonGridColumns - 1);
    m_windows.G1.Repaint();
}

void TPersonCommands::OtworzOstatniaBazeClick() {
    const QString fileName = m_recent ? m_recent->lastDatabase() : QString();
    if (fileName.isEmpty())
        return;
    if (!QFileInfo(fileName).isFile()) {
        m_recent->forgetDatabase(fileName);
        m_dialogs.MessageDlg(utf8("Nie ma już pliku bazy %1 — został przeniesiony lub usunięty.\n"
                                  "Usunięto go z menu; wskaż bazę poleceniem „Otwórz bazę”.")
                                 .arg(QDir::toNativeSeparators(fileName)),
                             TMsgDlgType::mtWarning, mbOK);
        return;
    }
    openDatabaseFile(fileName);
    m_windows.G1.HideColumnRange(kFirstHiddenPersonColumn, kPersonGridColumns - 1);
    m_windows.G1.Repaint();
}

void TPersonCommands::openDatabaseFile(const QString& fileName) {
    try {
        person_table::OpenExisting(fileName); // checked before anything is replaced
    } catch (const EPersonDatabase& e) {
        m_dialogs.MessageDlg(e.message(), TMsgDlgType::mtWarning, mbOK);
        return;
    }
    useDatabase(fileName);
}

void TPersonCommands::useDatabase(const QString& fileName) {
    m_dbFileName = fileName;
    // A person of another file is nobody here: not in the grid, the editing window or on the pass.
    m_currentId.reset();
    m_readRow.reset();
    m_chosenRow = -1;
    forgetShownPerson();
    LoadGrid();
    m_windows.FEdycja.lblBaza->setText(QFileInfo(fileName).fileName());
    if (m_recent && m_db)
        m_recent->databaseUsed(fileName);
}

void TPersonCommands::LoadGrid() {
    TFajny& grid = m_windows.G1;
    // The window paints while a long load goes on; nothing may choose a row meanwhile.
    const QScopedValueRollback loading(m_loading, true);
    m_loadedRows = 0;
    try {
        grid.ClearAllRows();
        setPersonColumns(grid);
        m_db.reset(); // the previous connection closes before the file is opened again
        m_db = person_table::OpenExisting(m_dbFileName, m_busyTimeoutMs);
        TTextTable texts = person_table::SelectTextsForGrid(*m_db);
        m_currentTable.reset(); // the person chosen next is read with its photo
        m_windows.LabelCount.setText(QString::number(texts.rows));
        // An empty table keeps the titles: one blank body row, so the title row stays fixed.
        grid.setRowCount(std::max(2, texts.rows + 1));
        grid.setFixedRows(1);
        grid.setSortOnClick(false);
        m_loadedRows = texts.rows;
        m_loaded = true;
        fillGrid(std::move(texts));
        grid.HideColumnRange(kFirstHiddenPersonColumn, kPersonGridColumns - 1);
        if (m_lastPrintShown)
            showLastPrintColumn(grid, m_db.get());
        grid.Repaint();
    } catch (const Exception& e) {
        m_db.reset(); // the connection always belongs to the file shown
        // A lock or a damaged file is named as the reason; the engine's own words stay out of the plain case.
        const auto* engine = dynamic_cast<const ESQLiteException*>(&e);
        const auto* refusal = dynamic_cast<const EPersonDatabase*>(&e);
        QString text = utf8("Błąd podczas odczytu bazy danych!");
        if ((engine && (engine->isBusy() || engine->isCorrupt())) || refusal)
            text += QStringLiteral("\n\n") + failureText(e, m_dbFileName);
        m_dialogs.MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
    }
}

void TPersonCommands::setLastPrintShown(bool shown) {
    // On only once the register was read: a failed read leaves the column off.
    if (shown)
        showLastPrintColumn(m_windows.G1, m_db.get());
    else
        removeLastPrintColumn(m_windows.G1);
    m_lastPrintShown = shown;
    m_windows.G1.Repaint();
}

void TPersonCommands::refreshLastPrint() {
    if (m_lastPrintShown)
        showLastPrintColumn(m_windows.G1, m_db.get());
    m_windows.G1.Repaint();
}

void TPersonCommands::fillGrid(TTextTable texts) {
    TFajny& grid = m_windows.G1;
    // The columns of SelectTextsForGrid: ID, then the eleven texts; the row
    // numbers go into the same block, so the whole list is a few allocations.
    const int columns = std::min(texts.columns, kPersonGridColumns - 1);
    const qsizetype numbersAt = texts.text.size();
    std::vector<qsizetype> numberEnds;
    numberEnds.reserve(std::size_t(texts.rows));
    for (int row = 1; row <= texts.rows; ++row) {
        char digits[16];
        const char* end = std::to_chars(digits, digits + sizeof digits, row).ptr;
        cp1250::appendDecoded(texts.text, digits, end - digits);
        numberEnds.push_back(texts.text.size());
    }
    const auto block = std::make_shared<const QString>(std::move(texts.text));
    grid.adoptTextBlock(block);
    const QStringView all(*block);
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    for (int row = 1; row <= texts.rows; ++row) {
        const qsizetype numberAt = row == 1 ? numbersAt : numberEnds[std::size_t(row - 2)];
        grid.setCellFromBlock(0, row, all.mid(numberAt, numberEnds[std::size_t(row - 1)] - numberAt));
        for (int c = 0; c < columns; ++c) {
            const std::size_t i = std::size_t(row - 1) * std::size_t(texts.columns) + std::size_t(c);
            grid.setCellFromBlock(c + 1, row, all.mid(texts.bounds[i], texts.bounds[i + 1] - texts.bounds[i]));
        }
        // Rows show as they come, a few times a second; the window keeps painting.
        if (sinceRepaint.elapsed() >= kRepaintInterval) {
            grid.Repaint();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sinceRepaint.restart();
        }
    }
}

void TPersonCommands::G1Click() {
    TFajny& grid = m_windows.G1;
    const int row = grid.Row();
    // The ID cell tells whether the row holds a person; the title row never does,
    // even after an empty table made it an ordinary row.
    const QString idText = grid.Cells(kIdColumn, row);
    bool isNumber = false;
    const std::int64_t id = idText.toLongLong(&isNumber);
    if (row < 1 || !isNumber) {
        if (!m_currentId)
            grid.setCurrentRowShown(false); // a row of nobody: nothing looks chosen
        return;
    }
    requireDatabase();
    // Read first: a read that fails (a lock, damage, a person deleted elsewhere)
    // leaves the shown person, the counter and the grid's row as they were.
    std::shared_ptr<ISQLiteTable> table;
    TPersonRow person;
    try {
        table = person_table::SelectById(*m_db, id);
        person = person_table::ReadRow(*table);
    } catch (const Exception& e) {
        backToShownRow();
        throw Exception(failureText(e, m_dbFileName));
    }
    TFEdycja& editor = m_windows.FEdycja;
    m_currentRowNo = grid.Cells(0, row).toInt();
    editor.edID->setText(idText);
    editor.Label1->setText(QString::number(m_currentRowNo));
    editor.lblRekordy->setText(editor.Label1->text() + QStringLiteral(" z ") + QString::number(grid.RowCount() - 1));
    m_chosenRow = row;
    m_currentTable = table;
    grid.setCurrentRowShown(true);
    showPerson(person);
}

void TPersonCommands::backToShownRow() {
    TFajny& grid = m_windows.G1;
    int row = m_currentId ? rowOfId(*m_currentId) : -1;
    if (row < 0)
        row = m_chosenRow;
    if (row >= 1 && row < grid.RowCount() && row != grid.Row())
        grid.setSelection({kIdColumn, row, kIdColumn, row});
    else if (row < 1)
        grid.setCurrentRowShown(false); // nobody shown, so no row looks chosen
}

void TPersonCommands::markRowOf(std::int64_t id) {
    TFajny& grid = m_windows.G1;
    const int row = rowOfId(id);
    if (row < 1)
        return;
    TFEdycja& editor = m_windows.FEdycja;
    grid.setSelection({kIdColumn, row, kIdColumn, row});
    m_chosenRow = row;
    m_currentRowNo = grid.Cells(0, row).toInt();
    editor.Label1->setText(QString::number(m_currentRowNo));
    editor.lblRekordy->setText(editor.Label1->text() + QStringLiteral(" z ") + QString::number(dataRows()));
}

void TPersonCommands::forgetShownPerson() {
    TFEdycja& editor = m_windows.FEdycja;
    editor.btnZerujClick();
    editor.setPhotoChangedByUser(false);
    editor.edID->clear();
    editor.Label1->setText(QStringLiteral("00"));
    editor.lblRekordy->setText(QStringLiteral("00"));
    TPersonTexts blank;
    blank.fill(QStringLiteral(" "));
    if (m_windows.showOnPass)
        m_windows.showOnPass(blank, TPicture());
    m_windows.G1.setCurrentRowShown(false);
}

void TPersonCommands::gridClicked() {
    if (m_loading)
        return;
    if (m_windows.G1.LeavingFocus() && m_windows.G1.Row() == m_chosenRow)
        return; // unsaved typing in the editing window stays
    G1Click();
}

void TPersonCommands::ShowCurrentRecord() {
    if (m_currentTable)
        showPerson(person_table::ReadRow(*m_currentTable));
}

void TPersonCommands::showPerson(const TPersonRow& person) {
    TFEdycja& editor = m_windows.FEdycja;
    m_currentId = person.ID;
    editor.edID->setText(QString::number(person.ID));
    editor.setTexts(person.texts);
    m_readRow = person;
    editor.setPhotoChangedByUser(false);
    // Both photos are emptied first: a photo that cannot be read never leaves
    // the previous person's face behind.
    TPicture photo;
    QString photoError;
    if (person.picture) {
        try {
            photo = TPicture::FromStoredBytes(*person.picture);
        } catch (const Exception& e) {
            photoError = e.message();
        }
    }
    if (m_windows.showOnPass)
        m_windows.showOnPass(person.texts, photo);
    editor.setPhoto(photo);
    if (person.picture && photoError.isEmpty())
        scrollGridToCurrent();
    if (!photoError.isEmpty() && !(m_warnPhotoOnce && m_photoWarned)) {
        m_photoWarned = true;
        m_dialogs.MessageDlg(utf8("Zdjęcia tej osoby nie da się wyświetlić.\n\n") + photoError,
                             TMsgDlgType::mtWarning, mbOK);
    }
}

void TPersonCommands::scrollGridToCurrent() {
    TFajny& grid = m_windows.G1;
    // A click that chose the person ends here: the rows move away from the pointer.
    grid.EndMouseSelection();
    const int visible = grid.VisibleRowCount();
    grid.setTopRow(visible < m_currentRowNo ? m_currentRowNo - visible + 1 : 1);
}

void TPersonCommands::Edytuj1Click() {
    G1Click();
    m_windows.FEdycja.show();
    m_windows.FEdycja.raise();
    scrollGridToCurrent();
}

void TPersonCommands::mnuRegenerujClick() {
    requireDatabase();
    try {
        person_table::Regenerate(*m_db);
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e, m_dbFileName);
    }
    // The current person stays current; without one, the first of the table.
    std::shared_ptr<ISQLiteTable> table;
    if (m_currentId)
        table = person_table::SelectById(*m_db, *m_currentId);
    if (!table || table->Count() == 0)
        table = person_table::SelectAll(*m_db);
    m_currentTable = table;
    if (table->Count() > 0) {
        // The grid's chosen row follows the person shown, also one not chosen before.
        const TPersonRow person = person_table::ReadRow(*table);
        markRowOf(person.ID);
        showPerson(person);
    }
    refreshLastPrint(); // passes printed by another program meanwhile
    m_dialogs.ShowMessage(QStringLiteral("Plik bazowy  ") + m_windows.FEdycja.lblBaza->text() +
                          utf8("  został zregenerowany."));
}

void TPersonCommands::G1DrawCell(TCanvas& canvas, int col, int row, const TRect& rect) {
    if (col == kSurnameColumn)
        canvas.Brush.Color = clLime;
    if (col > 0 && row > 0) {
        canvas.FillRect(rect);
        canvas.TextOut(rect.Left, rect.Top, m_windows.G1.Cells(col, row));
    }
}

// ---- record operations -------------------------------------------------------------------

void TPersonCommands::chooseCurrentAgain() {
    TFajny& grid = m_windows.G1;
    const int rows = dataRows();
    if (rows == 0 || !m_db) // a reload that failed has said so already
        return;
    int row = m_currentId ? rowOfId(*m_currentId) : -1;
    if (row < 0)
        row = std::clamp(grid.Row(), 1, rows);
    grid.setSelection({kIdColumn, row, kIdColumn, row});
    G1Click();
}

void TPersonCommands::mnuDodajRekordClick() {
    TFEdycja& editor = m_windows.FEdycja;
    if (!editor.isVisible()) {
        m_dialogs.ShowMessage(utf8("Dodaję rekordy tylko przy otwartym oknie Podglądu i edycji rekordu\n\r\n\r"
                                   "       Proszę otwórz to okno i powtórz operację dodawania"));
        return;
    }
    requireDatabase();
    // The photo goes straight from memory, in its own format, together with the person.
    const QByteArray photo = editor.photoToStore().Graphic()->fileData();
    try {
        m_currentId = person_table::Insert(*m_db, storedPersonTexts(editor.texts()), photo);
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e, m_dbFileName);
    }
    LoadGrid();
    chooseCurrentAgain();
    m_dialogs.ShowMessage(QStringLiteral("Rekord dodany do bazy. "));
}

QByteArray TPersonCommands::photoForOverwrite() const {
    const TFEdycja& editor = m_windows.FEdycja;
    // The record keeps its photo as stored unless the user changed it.
    if (!editor.photoChangedByUser() && m_readRow && m_readRow->picture && !m_readRow->picture->isEmpty())
        return *m_readRow->picture;
    return editor.photoToStore().Graphic()->fileData();
}

TPersonRow TPersonCommands::readRowOf(std::int64_t id) {
    if (m_readRow && m_readRow->ID == id)
        return *m_readRow;
    // Current without having been read here (an add whose reload failed): what is stored now is the base.
    try {
        const auto table = person_table::SelectById(*m_db, id);
        if (table->Count() > 0)
            return person_table::ReadRow(*table);
    } catch (const Exception& e) {
        throw Exception(failureText(e, m_dbFileName));
    }
    TPersonRow gone;
    gone.ID = id;
    return gone;
}

person_table::TGuardedWrite TPersonCommands::writeGuarded(const std::function<person_table::TGuardedWrite()>& write) {
    try {
        return write();
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e, m_dbFileName);
    }
}

void TPersonCommands::takeInStoredChanges(const TPersonRow& stored) {
    TFEdycja& editor = m_windows.FEdycja;
    const TPersonTexts texts = record_conflict::merged(editor.texts(), *m_readRow, stored);
    editor.setTexts(texts);
    // The stored photo comes in unless the user chose another one.
    if (!editor.photoChangedByUser()) {
        TPicture photo;
        try {
            if (stored.picture)
                photo = TPicture::FromStoredBytes(*stored.picture);
        } catch (const Exception&) {
            // An unreadable photo shows as none; the stored bytes stay the record's.
        }
        editor.setPhoto(photo);
        editor.setPhotoChangedByUser(false);
    }
    if (m_windows.showOnPass)
        m_windows.showOnPass(texts, editor.photo());
    m_readRow = stored; // the next save compares with what is stored now
    // The grid shows the stored row; the choice and the counter stay on this
    // person (who may sort elsewhere now) without re-reading them.
    LoadGrid();
    markRowOf(stored.ID);
}

void TPersonCommands::mnuWstawRekordClick() {
    // Checked before the question: with nobody to overwrite there is nothing to confirm.
    requireCurrentId();
    if (m_dialogs.MessageDlg(utf8("Wstawić do tego rekordu nowe dane?"), TMsgDlgType::mtConfirmation,
                             mbYes | mbNo) != mrYes)
        return;
    TFEdycja& editor = m_windows.FEdycja;
    m_readRow = readRowOf(*m_currentId);
    for (;;) {
        const TPersonTexts typed = storedPersonTexts(editor.texts());
        const QByteArray photo = photoForOverwrite();
        const auto result = writeGuarded([&] {
            return person_table::UpdateIfUnchanged(*m_db, *m_readRow, typed, photo);
        });
        if (result.outcome == person_table::TGuardedWrite::Written)
            break;
        if (result.outcome == person_table::TGuardedWrite::GoneMeanwhile) {
            // The typed input is never dropped: it stays in the window or becomes a new person.
            if (m_dialogs.MessageDlg(record_conflict::goneQuestion(), TMsgDlgType::mtWarning, mbYes | mbNo) != mrYes)
                return;
            try {
                m_currentId = person_table::Insert(*m_db, typed, photo);
            } catch (const ESQLiteException& e) {
                rethrowWriteFailure(e, m_dbFileName);
            }
            m_readRow.reset();
            LoadGrid();
            chooseCurrentAgain();
            m_dialogs.ShowMessage(QStringLiteral("Rekord dodany do bazy. "));
            return;
        }
        const TModalResult answer = m_dialogs.MessageDlg(record_conflict::changedQuestion(*m_readRow, result.stored),
                                                         TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel);
        if (answer == mrYes) {
            m_readRow = result.stored; // overwrite what is stored now, unless it changes again
            continue;
        }
        if (answer == mrNo)
            takeInStoredChanges(result.stored);
        return;
    }
    LoadGrid();
    chooseCurrentAgain();
}

void TPersonCommands::mnuDeleteRekordClick() {
    requireDatabase();
    if (m_windows.LabelCount.text().toInt() <= 1)
        return;
    const std::int64_t id = requireCurrentId();
    // The box names the row of the person who is deleted.
    TFajny& grid = m_windows.G1;
    const int row = rowOfId(id);
    const QString rowNo = grid.Cells(0, row >= 0 ? row : grid.Row());
    const TModalResult answer =
        m_dialogs.MessageDlg(utf8("Zniszczyć rekord ") + rowNo + utf8("  jesteś tego pewny ?"),
                             TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
    if (answer == mrYes) {
        TPersonRow asRead = readRowOf(id);
        for (;;) {
            const auto result = writeGuarded([&] { return person_table::DeleteIfUnchanged(*m_db, asRead); });
            if (result.outcome != person_table::TGuardedWrite::ChangedMeanwhile) {
                m_currentId.reset(); // deleted, here or elsewhere
                break;
            }
            // Changed elsewhere since it was read: deleted only when the user says so knowing what changed.
            if (m_dialogs.MessageDlg(record_conflict::changedBeforeDeleteQuestion(asRead, result.stored),
                                     TMsgDlgType::mtWarning, mbYes | mbNo) != mrYes)
                break;
            asRead = result.stored;
        }
    }
    LoadGrid();
    chooseCurrentAgain();
}

void TPersonCommands::SelectGridRow() {
    TFEdycja& editor = m_windows.FEdycja;
    editor.Label1->setText(QString::number(m_currentRowNo));
    m_windows.G1.setSelection({std::min(m_currentRowNo, 2), m_currentRowNo, 5, m_currentRowNo});
    G1Click();
}

void TPersonCommands::navigateTo(int rowNo) {
    TFEdycja& editor = m_windows.FEdycja;
    // A step reads its person twice (choice, then the editing window): one warning is enough.
    const QScopedValueRollback warnOnce(m_warnPhotoOnce, true);
    m_photoWarned = false;
    // A step that cannot read its person moves nothing: counter and row stay with the person shown.
    const int shownRowNo = m_currentRowNo;
    const QString shownLabel = editor.Label1->text(), shownId = editor.edID->text();
    try {
        m_currentRowNo = rowNo;
        editor.Label1->setText(QString::number(rowNo));
        SelectGridRow();
        editor.edID->setText(m_windows.G1.Cells(kIdColumn, m_windows.G1.Row()));
        Edytuj1Click();
    } catch (...) {
        m_currentRowNo = shownRowNo;
        editor.Label1->setText(shownLabel);
        editor.edID->setText(shownId);
        backToShownRow();
        throw;
    }
}

void TPersonCommands::mnuPierwszyClick() {
    if (dataRows() > 0)
        navigateTo(1);
}

void TPersonCommands::mnuPoprzedniClick() {
    const int rows = dataRows();
    if (rows == 0)
        return;
    // Steps stay among the rows that exist, also after a smaller file was opened.
    const int n = std::clamp(m_windows.FEdycja.Label1->text().toInt(), 1, rows);
    m_currentRowNo = n;
    if (n == 1)
        return;
    navigateTo(n - 1);
}

void TPersonCommands::mnuNastepnyClick() {
    const int rows = dataRows();
    if (rows == 0)
        return;
    const int n = std::clamp(m_windows.FEdycja.Label1->text().toInt(), 1, rows);
    m_currentRowNo = n;
    if (n == rows)
        return;
    navigateTo(n + 1);
}

void TPersonCommands::mnuOstatniClick() {
    const int rows = dataRows();
    if (rows > 0)
        navigateTo(rows);
}

} // namespace wendolarka
