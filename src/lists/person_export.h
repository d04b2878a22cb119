#pragma once

#include "core/person.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace wendolarka {
class ISQLiteDatabase;
}

namespace wendolarka::lists {

// UTF-8 with a byte order mark opens right in Polish spreadsheets; Windows-1250
// is for programs that expect the stored bytes.
enum class TExportEncoding { Utf8Bom, Windows1250 };
// How exported photo files are named: by the person's Indeks, or "Nazwisko_Imię".
enum class TPhotoNaming { ByIndeks, ByName };

struct TExportSettings {
    TExportEncoding encoding = TExportEncoding::Utf8Bom;
    QChar delimiter = u';';
    QString photoFolder; // empty: no photos written and no photo column
    TPhotoNaming naming = TPhotoNaming::ByIndeks;
};

// A person as exported: the eleven texts and, when the list has a photo
// column, the photo file's path as written into the list.
struct TExportRow {
    TPersonTexts texts;
    QString photoPath;
};

// The list's bytes: a title row naming the fields as the import knows them,
// then one row per person; a field that holds none (a single blank) is an
// empty cell, and cells are quoted where the delimiter, a quote, a line break
// or a surrounding blank needs it. Throws Exception for a text Windows-1250
// cannot hold when that encoding is asked for.
QByteArray personListText(const std::vector<TExportRow>& rows, bool withPhotoColumn, const TExportSettings& settings);

// The file name a person's photo gets in the photo folder (without the folder),
// free of characters file systems refuse; `taken` keeps names unique (letter
// case aside) and is extended by the one returned.
QString photoFileName(const TPersonTexts& texts, const QByteArray& photo, TPhotoNaming naming, QStringList& taken);

struct TExportSummary {
    int persons = 0;
    int photos = 0;
    bool cancelled = false;
    QString line() const; // "Zapisano 30 osób, 28 zdjęć."
};

// Writes the persons of `ids` (in that order; empty: all, in surname order) to
// `fileName`, and their photos into the settings' folder, each file through the
// safe writer. Photos are written first, then the list, so a list never names
// a photo that is not there. `progress` gets (done, total); false cancels
// before the list is written.
TExportSummary exportPersons(ISQLiteDatabase& db, const std::vector<std::int64_t>& ids, const QString& fileName,
                             const TExportSettings& settings,
                             const std::function<bool(int, int)>& progress = {});

} // namespace wendolarka::lists
