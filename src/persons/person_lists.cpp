// The person commands that move whole lists: persons in from a list file and
// out to one.

#include "person_command_support.h"
#include "person_commands.h"
#include "person_grid.h"
#include "person_list_dialog.h"

#include "grid/sortable_grid.h"
#include "lists/person_export.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace wendolarka {

using namespace person_commands_support;
using namespace lists;

namespace {

const QString kListFilter = utf8("Listy osób (*.csv, *.txt, *.xlsx, *.ods)|*.csv;*.txt;*.tsv;*.xlsx;*.xlsm;*.ods|"
                                 "Dowolne pliki (*.*)|*.*");
const QString kExportFilter = utf8("Lista CSV w UTF-8 (*.csv)|*.csv|Lista CSV w Windows-1250 (*.csv)|*.csv");

} // namespace

void TPersonCommands::ImportujOsobyClick(QWidget* parent) {
    std::optional<TMadeDatabase> made; // before the connection: it closes first
    std::shared_ptr<ISQLiteDatabase> db = m_db;
    if (!m_db) {
        // A list needs a database: one chosen, or made as "Utwórz nową bazę" makes it.
        FileDialogOptions options;
        options.title = utf8("Baza, do której dodać osoby z listy");
        options.filter = kDatabaseFilter;
        options.place = TFilePlace::Databases;
        options.defaultExt = QStringLiteral("db");
        options.confirmOverwrite = false; // persons are added to an existing file, never replacing it
        const auto chosen = m_dialogs.SaveFile(options);
        if (!chosen)
            return;
        made.emplace(chosen->fileName);
        if (!made->isNew()) {
            person_table::OpenExisting(chosen->fileName); // a file that is no person database is said so here
            useDatabase(chosen->fileName);
            if (!m_db)
                return; // the reload said why
            db = m_db;
        }
    }
    FileDialogOptions options;
    options.title = utf8("Importuj osoby z listy");
    options.filter = kListFilter;
    options.place = TFilePlace::Lists;
    const auto list = m_dialogs.OpenFile(options);
    if (!list)
        return;
    // A new database is made only once the user has asked for the import.
    TFImportOsob dialog(m_dialogs, list->fileName, db, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool isNew = !db;
    const QString fileName = isNew ? made->fileName() : m_dbFileName;
    TImportPlan newPlan;
    if (isNew) {
        made->create();
        db = person_table::OpenExisting(fileName, m_busyTimeoutMs);
        newPlan = planImport(dialog.list().table, dialog.settings(), db.get()); // its sample person is stored
    }
    TImportSummary summary;
    try {
        TListProgress progress(utf8("Zapisuję osoby z listy do bazy…"), parent);
        summary = runImport(*db, isNew ? newPlan : dialog.plan(), dialog.settings(), std::ref(progress));
    } catch (const ESQLiteException& e) {
        rethrowWriteFailure(e, fileName);
    }
    if (isNew) {
        db.reset();
        if (!summary.cancelled && summary.added + summary.updated > 0) {
            made->keep();
            useDatabase(fileName);
        }
    } else if (!summary.cancelled) {
        LoadGrid();
        chooseCurrentAgain();
    }
    m_dialogs.MessageDlg(summary.report(), TMsgDlgType::mtInformation, mbOK);
}

void TPersonCommands::EksportujOsobyClick(QWidget* parent) {
    requireDatabase();
    // The marked persons in the order shown; without marks, everyone.
    std::vector<std::int64_t> ids;
    const TFajny& grid = m_windows.G1;
    std::vector<int> marked = grid.SelectedRows();
    std::sort(marked.begin(), marked.end());
    for (const int row : marked) {
        bool isNumber = false;
        const std::int64_t id = grid.Cells(kIdColumn, row).toLongLong(&isNumber);
        if (isNumber && row >= grid.FixedRows() && row < grid.RowCount())
            ids.push_back(id);
    }
    FileDialogOptions options;
    options.title = utf8("Eksportuj osoby do pliku");
    options.filter = kExportFilter;
    options.place = TFilePlace::Lists;
    options.defaultExt = QStringLiteral("csv");
    options.fileName = QFileInfo(m_dbFileName).completeBaseName() + QStringLiteral(".csv");
    const auto chosen = m_dialogs.SaveFile(options);
    if (!chosen)
        return;
    TExportSettings settings;
    settings.encoding = chosen->filterIndex == 2 ? TExportEncoding::Windows1250 : TExportEncoding::Utf8Bom;
    const QFileInfo listFile(chosen->fileName);
    const QString photoFolder = listFile.absoluteDir().filePath(listFile.completeBaseName() + utf8("_zdjęcia"));
    const TModalResult photos = m_dialogs.MessageDlg(
        utf8("Zapisać też zdjęcia osób do folderu %1?").arg(QDir::toNativeSeparators(photoFolder)),
        TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
    if (photos == mrCancel)
        return;
    if (photos == mrYes) {
        const TModalResult naming =
            m_dialogs.MessageDlg(utf8("Nazwać zdjęcia Indeksem (Tak) czy nazwiskiem i imieniem (Nie)?"),
                                 TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
        if (naming == mrCancel)
            return;
        settings.photoFolder = photoFolder;
        settings.naming = naming == mrNo ? TPhotoNaming::ByName : TPhotoNaming::ByIndeks;
    }
    TExportSummary summary;
    try {
        TListProgress progress(utf8("Zapisuję osoby do listy…"), parent);
        summary = exportPersons(*m_db, ids, chosen->fileName, settings, std::ref(progress));
    } catch (const ESQLiteException& e) {
        throw Exception(failureText(e, m_dbFileName));
    }
    m_dialogs.ShowMessage(summary.line());
}

} // namespace wendolarka
