#pragma once

#include "lists/list_file.h"
#include "lists/person_import.h"

#include <QDialog>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace wendolarka {

class IDialogs;
class ISQLiteDatabase;

// "Importuj osoby z listy": the list's columns with their first values and a
// field chosen for each, the first rows exactly as they will be stored, the
// photos' folder, what to do with persons already stored and with letters
// Windows-1250 lacks. Nothing is remembered beyond the dialog; nothing is
// written by it: after Accepted, settings() and plan() say what to import.
class TFImportOsob final : public QDialog {
public:
    // Reads the list; throws EListFile when it cannot be read at all.
    TFImportOsob(IDialogs& dialogs, QString listFile, std::shared_ptr<ISQLiteDatabase> db, QWidget* parent = nullptr);
    ~TFImportOsob() override;

    const lists::TImportSettings& settings() const { return m_settings; }
    const lists::TImportPlan& plan() const { return m_plan; }
    const lists::TListFile& list() const { return m_list; }

    static constexpr int kPreviewRows = 5;

    QComboBox* cbKodowanie = nullptr;
    QComboBox* cbSeparator = nullptr;
    QComboBox* cbArkusz = nullptr;
    QCheckBox* chkTytuly = nullptr;
    QTableWidget* gridKolumny = nullptr; // column, first values, field
    QTableWidget* gridPodglad = nullptr; // the first rows as stored
    QLineEdit* edZdjecia = nullptr;
    QPushButton* btnZdjecia = nullptr;
    QComboBox* cbDuplikaty = nullptr;
    QComboBox* cbZnaki = nullptr;
    QLabel* lblZnaki = nullptr; // every row with letters Windows-1250 lacks, in scrollZnaki
    QScrollArea* scrollZnaki = nullptr;
    QLabel* lblStan = nullptr;
    QPushButton* btnImportuj = nullptr;
    QPushButton* btnAnuluj = nullptr;
    // One choice of field per list column, in column order.
    std::vector<QComboBox*> fieldChoices;

private:
    void buildWindow();
    // Reads the list again with the chosen encoding, delimiter or sheet.
    void readList();
    // The list's columns with their first values and fields; `guess` takes the
    // fields from the first row anew, else the chosen ones stay.
    void showColumns(bool guess);
    void fieldChosen(int column, int choice);
    // Plans the import anew and shows what it would do.
    void refresh();
    void choosePhotoFolder();

    IDialogs& m_dialogs;
    QString m_listFile;
    std::shared_ptr<ISQLiteDatabase> m_db;
    lists::TListFile m_list;
    lists::TImportSettings m_settings;
    lists::TImportPlan m_plan;
    QString m_readError; // why the list cannot be read as now chosen; empty when it was
    bool m_updating = false;
};

} // namespace wendolarka
