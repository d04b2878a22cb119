#include "person_commands.h"

#include "database/person_table.h"
#include "grid/sortable_grid.h"
#include "person_grid.h"
#include "platform/dialogs.h"
#include "record_edit_window.h"
#include "widgets/form_setup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScopedValueRollback>
#include <QLineEdit>

#include <algorithm>

namespace wendolarka {
namespace {

const QString kDatabaseFilter = utf8("Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*");

// A write that did not go through: the engine's reason, in the program's words.
[[noreturn]] void rethrowWriteFailure(const Exception& e) {
    throw Exception(utf8("Zmiana nie została zapisana w bazie danych; baza pozostała bez zmian.\n\n") +
                    e.message());
}

} // namespace

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

int TPersonCommands::dataRows() const { return m_loaded ? std::max(0, m_windows.G1.RowCount() - 1) : 0; }

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
    options.defaultExt = QStringLiteral("db");
    const auto chosen = m_dialogs.SaveFile(options);
    if (!chosen)
        return;
    if (QFileInfo::exists(chosen->fileName)) {
        m_dialogs.MessageDlg(utf8("Plik taki już istnieje - proszę podaj inną nazwę lub zmień katalog!"),
                             TMsgDlgType::mtInformation, mbOK);
        return;
    }
    // The new file gets a connection of its own; the open database stays the one shown.
    try {
        person_table::CreateDatabase(chosen->fileName);
    } catch (const ESQLiteException&) {
        QFile::remove(chosen->fileName); // no half-made database left behind
        throw;
    }
}

void TPersonCommands::OtworzBaze1Click() {
    FileDialogOptions options;
    options.filter = kDatabaseFilter;
    const auto chosen = m_dialogs.OpenFile(options);
    if (chosen) {
        bool usable = true;
        try {
            person_table::OpenExisting(chosen->fileName); // checked before anything is replaced
        } catch (const EPersonDatabase& e) {
            usable = false;
            m_dialogs.MessageDlg(e.message(), TMsgDlgType::mtWarning, mbOK);
        }
        if (usable) {
            m_dbFileName = chosen->fileName;
            // A person of another file is nobody here.
            m_currentId.reset();
            m_recordPhoto.reset();
            m_chosenRow = -1;
            LoadGrid();
            m_windows.FEdycja.lblBaza->setText(QFileInfo(chosen->fileName).fileName());
        }
    }
    m_windows.G1.HideColumnRange(kFirstHiddenPersonColumn, m_windows.G1.ColCount() - 1);
    m_windows.G1.Repaint();
}

void TPersonCommands::LoadGrid() {
    TFajny& grid = m_windows.G1;
    // The window paints while a long load goes on; nothing may choose a row meanwhile.
    const QScopedValueRollback loading(m_loading, true);
    try {
        grid.ClearAllRows();
        setPersonColumns(grid);
        m_db.reset(); // the previous connection closes before the file is opened again
        m_db = person_table::OpenExisting(m_dbFileName);
        const std::shared_ptr<ISQLiteTable> table = person_table::SelectForGrid(*m_db);
        m_currentTable = table;
        table->First();
        m_windows.LabelCount.setText(QString::number(table->Count()));
        grid.setRowCount(table->Count() + 1);
        grid.setSortOnClick(false);
        m_loaded = true;
        fillGrid(*table);
        grid.HideColumnRange(kFirstHiddenPersonColumn, grid.ColCount() - 1);
        grid.Repaint();
    } catch (const Exception&) {
        m_db.reset(); // the connection always belongs to the file shown
        m_dialogs.MessageDlg(utf8("Błąd podczas odczytu bazy danych!"), TMsgDlgType::mtWarning, mbOK);
    }
}

void TPersonCommands::fillGrid(ISQLiteTable& table) {
    TFajny& grid = m_windows.G1;
    // The columns of SelectForGrid: ID, then the eleven texts.
    const int columns = std::min(table.ColumnCount(), kPersonGridColumns - 1);
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    for (int row = 1; !table.AtEnd(); ++row, table.Next()) {
        grid.setCells(0, row, QString::number(row));
        for (int c = 0; c < columns; ++c)
            grid.setCells(c + 1, row, table.FieldText(c));
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
    idText.toLongLong(&isNumber);
    if (row < 1 || !isNumber)
        return;
    requireDatabase();
    TFEdycja& editor = m_windows.FEdycja;
    m_currentRowNo = grid.Cells(0, row).toInt();
    editor.edID->setText(idText);
    editor.Label1->setText(QString::number(m_currentRowNo));
    editor.lblRekordy->setText(editor.Label1->text() + QStringLiteral(" z ") + QString::number(grid.RowCount() - 1));
    m_chosenRow = row;
    m_currentTable = person_table::SelectById(*m_db, editor.edID->text().toLongLong());
    ShowCurrentRecord();
}

void TPersonCommands::gridClicked() {
    if (m_loading)
        return;
    if (m_windows.G1.LeavingFocus() && m_windows.G1.Row() == m_chosenRow)
        return; // unsaved typing in the editing window stays
    G1Click();
}

void TPersonCommands::ShowCurrentRecord() {
    const TPersonRow person = person_table::ReadRow(*m_currentTable);
    TFEdycja& editor = m_windows.FEdycja;
    m_currentId = person.ID;
    editor.edID->setText(QString::number(person.ID));
    editor.setTexts(person.texts);
    m_recordPhoto = person.picture;
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
    if (!photoError.isEmpty())
        m_dialogs.MessageDlg(utf8("Zdjęcia tej osoby nie da się wyświetlić.\n\n") + photoError,
                             TMsgDlgType::mtWarning, mbOK);
}

void TPersonCommands::scrollGridToCurrent() {
    TFajny& grid = m_windows.G1;
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
        rethrowWriteFailure(e);
    }
    // The current person stays current; without one, the first of the table.
    std::shared_ptr<ISQLiteTable> table;
    if (m_currentId)
        table = person_table::SelectById(*m_db, *m_currentId);
    if (!table || table->Count() == 0)
        table = person_table::SelectAll(*m_db);
    m_currentTable = table;
    if (table->Count() > 0)
        ShowCurrentRecord();
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
        m_currentId = person_table::Insert(*m_db, editor.texts(), photo);
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e);
    }
    LoadGrid();
    chooseCurrentAgain();
    m_dialogs.ShowMessage(QStringLiteral("Rekord dodany do bazy. "));
}

QByteArray TPersonCommands::photoForOverwrite() const {
    const TFEdycja& editor = m_windows.FEdycja;
    // The record keeps its photo as stored unless the user changed it.
    if (!editor.photoChangedByUser() && m_recordPhoto && !m_recordPhoto->isEmpty())
        return *m_recordPhoto;
    return editor.photoToStore().Graphic()->fileData();
}

void TPersonCommands::mnuWstawRekordClick() {
    if (m_dialogs.MessageDlg(utf8("Wstawić do tego rekordu nowe dane?"), TMsgDlgType::mtConfirmation,
                             mbYes | mbNo) != mrYes)
        return;
    const std::int64_t id = requireCurrentId();
    try {
        person_table::Update(*m_db, id, m_windows.FEdycja.texts(), photoForOverwrite());
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e);
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
        try {
            person_table::Delete(*m_db, id);
        } catch (const ESQLiteException& e) {
            rethrowWriteFailure(e);
        }
        m_currentId.reset();
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
    m_currentRowNo = rowNo;
    m_windows.FEdycja.Label1->setText(QString::number(rowNo));
    SelectGridRow();
    m_windows.FEdycja.edID->setText(m_windows.G1.Cells(kIdColumn, m_windows.G1.Row()));
    Edytuj1Click();
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
