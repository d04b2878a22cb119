#pragma once

#include "core/person.h"
#include "lists/column_mapping.h"
#include "lists/list_table.h"
#include "lists/photo_matching.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace wendolarka {
class ISQLiteDatabase;
}

namespace wendolarka::lists {

// What to do with a listed person who is stored already (same Imię, Nazwisko
// and Indeks, letter case and surrounding blanks aside).
enum class TDuplicateChoice { Skip, Update, Add };
// What to do with a row holding characters Windows-1250 cannot store.
enum class TUnencodableChoice { Replace, SkipRows };

struct TImportSettings {
    TColumnMapping mapping;
    bool firstRowIsHeader = true;
    QString listFolder;  // photo paths in the list are relative to it
    QString photoFolder; // pictures given to persons by Indeks or name; empty for none
    TUnencodableChoice unencodable = TUnencodableChoice::Replace;
    TDuplicateChoice duplicates = TDuplicateChoice::Skip;
};

// One person of the list as it will be stored.
struct TImportRow {
    int sourceRow = 0;
    TPersonTexts texts;     // as stored: trimmed, a single blank for none, nearest letters when replacing
    QString photoFile;      // from the photo column (as written) or the folder; empty for none
    QString photoCell;      // the photo column's text: other readings of it are tried when that file is not there
    bool photoFromColumn = false;
    std::int64_t storedId = 0; // the stored person it duplicates, 0 for none
    bool unencodable = false;  // holds a character Windows-1250 lacks even after replacing
};

// What an import would do, worked out without writing anything.
struct TImportPlan {
    std::vector<TImportRow> rows;
    int emptyRows = 0; // rows with nothing in the mapped columns
    std::vector<TUnencodableChar> unencodable; // every such character, with its row, before replacing
    QStringList unmatchedPhotoFiles;           // pictures of the folder given to nobody
    std::vector<TPhotoAmbiguity> photoAmbiguities;

    int duplicateCount() const;
    // Rows that still cannot be stored after replacing (letters with no near one).
    int unreplaceableCount() const;
};

// The characters one field of one row holds that Windows-1250 lacks.
struct TLackingField {
    int sourceRow = 0;
    TColumnTarget target = TColumnTarget::Skip;
    std::vector<TUnencodableChar> characters;
    bool rowSkipped = false; // the row is not stored: a letter with no near one, or rows skipped as chosen
};

// The plan's characters Windows-1250 lacks, grouped by row and field in that order.
std::vector<TLackingField> lackingFields(const TImportPlan& plan);

// Reads the list against the settings and, when `db` is given, the persons
// stored in it (for duplicates). Nothing is written.
TImportPlan planImport(const TListTable& list, const TImportSettings& settings, ISQLiteDatabase* db);

// What an import did.
struct TImportSummary {
    int added = 0;
    int updated = 0;
    int withPhoto = 0;
    int skippedDuplicates = 0;
    int skippedUnencodable = 0;
    int emptyRows = 0;
    QStringList withoutPhoto;       // "Jan Kowalski (wiersz 5)"
    QStringList unmatchedPhotoFiles;
    QStringList warnings;           // photo files missing or unreadable, each naming the file and row
    bool cancelled = false;

    // "Dodano 30 osób, 28 ze zdjęciem; …": one line for the command line and the dialog.
    QString line() const;
    // The line and then everything a user should see: persons without photos,
    // photos given to nobody, the warnings.
    QString report() const;
};

// Called after each person with how many are done; false cancels.
using TImportProgress = std::function<bool(int done, int total)>;

// Writes the plan as one change: a cancel or any failure leaves the database
// as it was (a failure throws). Photos are read and converted one by one.
TImportSummary runImport(ISQLiteDatabase& db, const TImportPlan& plan, const TImportSettings& settings,
                         const TImportProgress& progress = {});

// A database file an import may make: once made it is removed again (with the
// engine's side files) unless kept, so an import that stores nobody leaves no
// new file. Declare it before the connection to the file, so that closes first.
class TMadeDatabase {
public:
    explicit TMadeDatabase(QString path);
    TMadeDatabase(const TMadeDatabase&) = delete;
    TMadeDatabase& operator=(const TMadeDatabase&) = delete;
    ~TMadeDatabase();
    // Whether nothing is there yet, so create() would make it.
    bool isNew() const;
    // Makes it as "Utwórz nową bazę" does, its sample person in it.
    void create();
    void keep() { m_kept = true; }
    const QString& fileName() const { return m_path; }

private:
    QString m_path;
    bool m_made = false;
    bool m_kept = false;
};

// "1 osoba", "2 osoby", "5 osób": Polish counting of a noun.
QString polishCount(int count, const char* one, const char* few, const char* many);

} // namespace wendolarka::lists
