#pragma once

#include "core/canvas.h"
#include "core/person.h"
#include "core/picture.h"
#include "database/person_table.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QWidget;

namespace wendolarka {

class IDialogs;
class ISQLiteDatabase;
class ISQLiteTable;
class TFajny;
class TFEdycja;
class TRecentPlaces;

// The main window's database commands and record operations, with the state
// they share: the database file, its connection, the last result fetched and
// the current person. The main window's handlers forward to these.
class TPersonCommands {
public:
    // Puts a person on the pass (texts and photo; an empty photo when none).
    using PassDisplay = std::function<void(const TPersonTexts&, const TPicture&)>;

    struct Windows {
        TFajny& G1;
        TFEdycja& FEdycja;
        QLabel& LabelCount; // the main window's hidden record count
        PassDisplay showOnPass;
    };

    TPersonCommands(IDialogs& dialogs, Windows windows);
    ~TPersonCommands();

    // Where databases opened, made or filled are remembered; none: nowhere.
    void setRecentPlaces(TRecentPlaces* places) { m_recent = places; }

    // Files and display.
    void NowaBaza1Click();
    void OtworzBaze1Click();
    // "Otwórz ostatnią bazę": the database remembered last, as "&Otwórz bazę" opens
    // one; a file since gone is said so and forgotten.
    void OtworzOstatniaBazeClick();
    // Persons from a list file into the database shown (or one chosen or made
    // for them), and the persons shown out to a list file; dialogs over `parent`.
    void ImportujOsobyClick(QWidget* parent);
    void EksportujOsobyClick(QWidget* parent);
    // The stored photos of the marked persons (or all) that lack the pass photo's
    // proportions (`aspect`, width / height), cropped around the face as the user accepts.
    void DopasujZdjeciaClick(QWidget* parent, double aspect);
    void LoadGrid();
    void G1Click();
    // The grid's click event; the one it raises when the focus leaves it
    // re-reads the person only when another row was chosen meanwhile.
    void gridClicked();
    void ShowCurrentRecord();
    void Edytuj1Click();
    void G1DblClick() { Edytuj1Click(); }
    void mnuRegenerujClick();
    // The grid's "Ostatni wydruk" column on or off; it follows every load of the grid.
    void setLastPrintShown(bool shown);
    bool lastPrintShown() const { return m_lastPrintShown; }
    // The column read again from the print register, after passes went out.
    void refreshLastPrint();
    void G1DrawCell(TCanvas& canvas, int col, int row, const TRect& rect);

    // Record operations.
    void mnuDodajRekordClick();
    void mnuWstawRekordClick();
    void mnuDeleteRekordClick();
    void mnuPierwszyClick();
    void mnuPoprzedniClick();
    void mnuNastepnyClick();
    void mnuOstatniClick();
    void SelectGridRow();

    const QString& DbFileName() const { return m_dbFileName; }
    const std::shared_ptr<ISQLiteDatabase>& Db() const { return m_db; }
    const std::shared_ptr<ISQLiteTable>& CurrentTable() const { return m_currentTable; }
    // The current person's ID; none before a person is chosen in this database.
    std::optional<std::int64_t> CurrentId() const { return m_currentId; }
    int CurrentRowNo() const { return m_currentRowNo; }
    // The grid row holding that ID, or -1.
    int rowOfId(std::int64_t id) const;

    // How long a command waits for another program's lock on the database.
    void setBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }

    // How often a long load lets the window repaint, in milliseconds.
    static constexpr int kRepaintInterval = 250;

private:
    void requireDatabase() const;
    // The chosen file shown when it is a person database, else said why.
    void openDatabaseFile(const QString& fileName);
    // Shows that database: its persons in the grid, nobody chosen yet.
    void useDatabase(const QString& fileName);
    std::int64_t requireCurrentId() const;
    int dataRows() const;
    void scrollGridToCurrent();
    void fillGrid(TTextTable texts);
    // After a reload: the row of the current person, else the grid's row.
    void chooseCurrentAgain();
    void navigateTo(int rowNo);
    QByteArray photoForOverwrite() const;
    // Shows a person read from the table in the editing window and on the pass.
    void showPerson(const TPersonRow& person);
    // Nobody is shown: the editing window as after clearing, the pass without a person.
    void forgetShownPerson();
    // After a failed read: the grid's row goes back to the person shown.
    void backToShownRow();
    // The grid's chosen row and the counter go to this person's row, nobody is read.
    void markRowOf(std::int64_t id);
    // The person as read when shown, the base a change is checked against.
    TPersonRow readRowOf(std::int64_t id);
    person_table::TGuardedWrite writeGuarded(const std::function<person_table::TGuardedWrite()>& write);
    // Another program's changes into the fields the user left alone; nothing is written.
    void takeInStoredChanges(const TPersonRow& stored);

    IDialogs& m_dialogs;
    Windows m_windows;
    TRecentPlaces* m_recent = nullptr;
    QString m_dbFileName;
    std::shared_ptr<ISQLiteDatabase> m_db;
    std::shared_ptr<ISQLiteTable> m_currentTable;
    std::optional<std::int64_t> m_currentId;
    std::optional<TPersonRow> m_readRow; // the current person as read, photo as stored
    int m_currentRowNo = 0;
    int m_chosenRow = -1; // the grid row of the last choice
    bool m_loaded = false;
    bool m_lastPrintShown = false;
    bool m_loading = false;
    int m_loadedRows = 0;
    bool m_warnPhotoOnce = false; // within one command, an unreadable photo is said once
    bool m_photoWarned = false;
    int m_busyTimeoutMs = person_table::kBusyTimeoutMs;
};

} // namespace wendolarka
