#include "lists/person_import.h"

#include "lists/photo_prefetch.h"

#include "core/cp1250.h"
#include "core/photo_storage.h"
#include "database/person_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <map>

namespace wendolarka::lists {
namespace {

constexpr std::size_t kImie = 1;
constexpr std::size_t kNazwisko = 2;
constexpr std::size_t kIndeks = 4;

QString utf8(const char* text) { return QString::fromUtf8(text); }

// Who a person is for finding the same one stored: Imię, Nazwisko and Indeks.
QString identityKey(const QString& imie, const QString& nazwisko, const QString& indeks) {
    return (imie.trimmed() + u'\x1f' + nazwisko.trimmed() + u'\x1f' + indeks.trimmed()).toCaseFolded();
}

QHash<QString, std::int64_t> storedIdentities(ISQLiteDatabase& db) {
    QHash<QString, std::int64_t> ids;
    const TTextTable stored = db.QueryTexts(QStringLiteral("SELECT ID, Imie, Nazwisko, Indeks FROM osoby ORDER BY ID"));
    for (int r = 0; r < stored.rows; ++r) {
        const QString key = identityKey(stored.cell(r, 1).toString(), stored.cell(r, 2).toString(),
                                        stored.cell(r, 3).toString());
        if (!ids.contains(key))
            ids.insert(key, stored.cell(r, 0).toLongLong());
    }
    return ids;
}

bool storable(const TPersonTexts& texts) {
    for (const QString& text : texts)
        if (cp1250::firstUnencodable(text))
            return false;
    return true;
}

bool blank(const TPersonTexts& texts) {
    for (const QString& text : texts)
        if (text != QStringLiteral(" "))
            return false;
    return true;
}

QString rowWord(int sourceRow) { return QStringLiteral("wiersz %1").arg(sourceRow); }

QString personName(const TImportRow& row) {
    QString name = (row.texts[kImie].trimmed() + u' ' + row.texts[kNazwisko].trimmed()).trimmed();
    if (name.isEmpty())
        name = row.texts[kIndeks].trimmed();
    if (name.isEmpty())
        name = utf8("bez nazwiska");
    return name + QStringLiteral(" (") + rowWord(row.sourceRow) + u')';
}

QString shownPath(const QString& path) { return utf8("„") + QDir::toNativeSeparators(path) + utf8("”"); }

// The photo of a row as stored, or nothing with a warning when its file fails.
// Runs on the prefetch thread: every failure becomes the warning.
TPhotoPrefetch::TPhoto loadPhoto(const TImportRow& row, const QString& listFolder) {
    TPhotoPrefetch::TPhoto photo;
    if (row.photoFile.isEmpty())
        return photo;
    QString file = row.photoFile;
    try {
        try {
            photo.bytes = photoFileForStorage(file);
        } catch (const Exception&) {
            // Not where the column says: a Windows path, or a list moved with its photos.
            if (!row.photoFromColumn || QFileInfo(file).isFile())
                throw;
            file = resolvePhotoPath(row.photoCell, listFolder);
            if (file == row.photoFile)
                throw;
            photo.bytes = photoFileForStorage(file);
        }
    } catch (const Exception& e) {
        // The file is looked for only now: most photos are there.
        if (!QFileInfo(file).isFile())
            photo.warning = utf8("Nie ma pliku zdjęcia %1 (%2); osoba zapisana bez zdjęcia.")
                                .arg(shownPath(file), rowWord(row.sourceRow));
        else
            photo.warning = e.message() + QStringLiteral(" (") + rowWord(row.sourceRow) +
                            utf8("; osoba zapisana bez zdjęcia.)");
    } catch (const std::exception&) {
        photo.warning = utf8("Nie mogę odczytać zdjęcia %1 (%2): brak pamięci; osoba zapisana bez zdjęcia.")
                            .arg(shownPath(file), rowWord(row.sourceRow));
    }
    return photo;
}

// Whether the import writes the row (and so needs its photo).
bool writes(const TImportRow& row, const TImportSettings& settings) {
    return !row.unencodable && !(row.storedId != 0 && settings.duplicates == TDuplicateChoice::Skip);
}

QString ambiguityWarning(const TPhotoAmbiguity& ambiguity) {
    QStringList files;
    for (const QString& file : ambiguity.files)
        files << shownPath(QFileInfo(file).fileName());
    switch (ambiguity.kind) {
    case TPhotoAmbiguity::SharedIndeks:
        return utf8("Zdjęcie %1 pasuje do kilku osób o tym samym Indeksie; nie dano go nikomu.").arg(files.join(u' '));
    case TPhotoAmbiguity::SharedName:
        return utf8("Zdjęcie %1 pasuje do kilku osób o tym samym imieniu i nazwisku; nie dano go nikomu.")
            .arg(files.join(u' '));
    case TPhotoAmbiguity::SeveralFiles:
        break;
    }
    return utf8("Kilka zdjęć pasuje do tej samej osoby (%1); nie wzięto żadnego.").arg(files.join(QStringLiteral(", ")));
}

} // namespace

int TImportPlan::duplicateCount() const {
    int count = 0;
    for (const TImportRow& row : rows)
        count += row.storedId != 0;
    return count;
}

int TImportPlan::unreplaceableCount() const {
    int count = 0;
    for (const TImportRow& row : rows)
        count += row.unencodable;
    return count;
}

TImportPlan planImport(const TListTable& list, const TImportSettings& settings, ISQLiteDatabase* db) {
    TImportPlan plan;
    const TUnencodablePolicy policy = settings.unencodable == TUnencodableChoice::Replace
                                          ? TUnencodablePolicy::Nearest
                                          : TUnencodablePolicy::Keep;
    const std::size_t first = settings.firstRowIsHeader && !list.rows.empty() ? 1 : 0;
    for (std::size_t i = first; i < list.rows.size(); ++i) {
        const TListRow& source = list.rows[i];
        TImportRow row;
        row.sourceRow = source.sourceRow;
        row.texts = storedTextsOf(source, settings.mapping, policy);
        const QString photoCell = photoCellOf(source, settings.mapping);
        if (blank(row.texts) && photoCell.isEmpty()) {
            ++plan.emptyRows;
            continue;
        }
        const std::vector<TUnencodableChar> lacking = unencodableIn(source, settings.mapping);
        plan.unencodable.insert(plan.unencodable.end(), lacking.begin(), lacking.end());
        row.unencodable = !storable(row.texts);
        if (!photoCell.isEmpty()) {
            // Looked for on the disk only when read, on the photo thread: most are where they are said to be.
            row.photoFile = photoPathAsWritten(photoCell, settings.listFolder);
            row.photoCell = photoCell;
            row.photoFromColumn = true;
        }
        plan.rows.push_back(std::move(row));
    }
    if (!settings.photoFolder.isEmpty()) {
        std::vector<TPersonTexts> persons;
        persons.reserve(plan.rows.size());
        for (const TImportRow& row : plan.rows)
            persons.push_back(row.texts);
        const TPhotoMatches matches = matchPhotosInFolder(persons, settings.photoFolder);
        for (std::size_t i = 0; i < plan.rows.size(); ++i)
            if (plan.rows[i].photoFile.isEmpty() && i < std::size_t(matches.fileOfPerson.size()))
                plan.rows[i].photoFile = matches.fileOfPerson[qsizetype(i)];
        plan.unmatchedPhotoFiles = matches.unmatchedFiles;
        plan.photoAmbiguities = matches.ambiguities;
    }
    if (db) {
        const QHash<QString, std::int64_t> stored = storedIdentities(*db);
        for (TImportRow& row : plan.rows)
            row.storedId = stored.value(identityKey(row.texts[kImie], row.texts[kNazwisko], row.texts[kIndeks]), 0);
    }
    return plan;
}

TImportSummary runImport(ISQLiteDatabase& db, const TImportPlan& plan, const TImportSettings& settings,
                         const TImportProgress& progress) {
    TImportSummary summary;
    summary.emptyRows = plan.emptyRows;
    summary.unmatchedPhotoFiles = plan.unmatchedPhotoFiles;
    for (const TPhotoAmbiguity& ambiguity : plan.photoAmbiguities)
        summary.warnings << ambiguityWarning(ambiguity);
    person_table::TPersonBatch batch(db);
    const int total = int(plan.rows.size());
    TPhotoPrefetch photos(plan.rows.size(), [&plan, &settings](std::size_t i) {
        const TImportRow& row = plan.rows[i];
        return writes(row, settings) ? loadPhoto(row, settings.listFolder) : TPhotoPrefetch::TPhoto{};
    });
    for (int i = 0; i < total; ++i) {
        const TImportRow& row = plan.rows[std::size_t(i)];
        // Taken for every row, written or not, so the reading thread goes on.
        TPhotoPrefetch::TPhoto taken = photos.take(std::size_t(i));
        if (row.unencodable) {
            ++summary.skippedUnencodable;
        } else if (row.storedId != 0 && settings.duplicates == TDuplicateChoice::Skip) {
            ++summary.skippedDuplicates;
        } else {
            if (!taken.warning.isEmpty())
                summary.warnings << taken.warning;
            const std::optional<QByteArray>& photo = taken.bytes;
            bool hasPhoto = photo.has_value();
            if (row.storedId != 0 && settings.duplicates == TDuplicateChoice::Update) {
                // Only what the list gives changes; the other fields and a photo stay as stored.
                const auto stored = person_table::SelectById(db, row.storedId);
                TPersonTexts texts = row.texts;
                if (stored->Count() > 0) {
                    const TPersonRow current = person_table::ReadRow(*stored);
                    for (std::size_t f = 0; f < kPersonTextCount; ++f)
                        if (!settings.mapping.columnOf(personTextTarget(f)))
                            texts[f] = current.texts[f];
                    hasPhoto = hasPhoto || (current.picture && !current.picture->isEmpty());
                }
                batch.update(row.storedId, texts, photo);
                ++summary.updated;
            } else {
                batch.insert(row.texts, photo.value_or(QByteArray()));
                ++summary.added;
            }
            if (hasPhoto)
                ++summary.withPhoto;
            else
                summary.withoutPhoto << personName(row);
        }
        if (progress && !progress(i + 1, total)) {
            batch.rollBack();
            TImportSummary cancelled;
            cancelled.cancelled = true;
            return cancelled;
        }
    }
    batch.commit();
    return summary;
}

std::vector<TLackingField> lackingFields(const TImportPlan& plan) {
    QSet<int> skipped;
    for (const TImportRow& row : plan.rows)
        if (row.unencodable)
            skipped.insert(row.sourceRow);
    std::map<std::pair<int, int>, TLackingField> fields;
    for (const TUnencodableChar& lacking : plan.unencodable) {
        TLackingField& field = fields[{lacking.sourceRow, int(lacking.target)}];
        field.sourceRow = lacking.sourceRow;
        field.target = lacking.target;
        field.rowSkipped = skipped.contains(lacking.sourceRow);
        field.characters.push_back(lacking);
    }
    std::vector<TLackingField> grouped;
    grouped.reserve(fields.size());
    for (auto& [where, field] : fields)
        grouped.push_back(std::move(field));
    return grouped;
}

TMadeDatabase::TMadeDatabase(QString path) : m_path(std::move(path)) {}

TMadeDatabase::~TMadeDatabase() {
    if (!m_made || m_kept)
        return;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(m_path + QLatin1String(suffix));
}

bool TMadeDatabase::isNew() const { return !QFileInfo::exists(m_path) && !QFileInfo(m_path).isSymLink(); }

void TMadeDatabase::create() {
    person_table::CreateDatabase(m_path);
    m_made = true;
}

QString polishCount(int count, const char* one, const char* few, const char* many) {
    const int tens = count % 100;
    const int units = count % 10;
    const char* noun = count == 1 ? one : (units >= 2 && units <= 4 && (tens < 12 || tens > 14)) ? few : many;
    return QString::number(count) + u' ' + utf8(noun);
}

QString TImportSummary::line() const {
    if (cancelled)
        return utf8("Przerwano; w bazie nic się nie zmieniło.");
    QString text = utf8("Dodano ") + polishCount(added, "osobę", "osoby", "osób");
    if (updated > 0)
        text += utf8(" i zaktualizowano ") + QString::number(updated);
    text += QStringLiteral(", %1 ze zdjęciem").arg(withPhoto);
    QStringList skipped;
    if (skippedDuplicates > 0)
        skipped << polishCount(skippedDuplicates, "osobę już zapisaną", "osoby już zapisane", "osób już zapisanych");
    if (skippedUnencodable > 0)
        skipped << polishCount(skippedUnencodable, "wiersz", "wiersze", "wierszy") +
                       utf8(" ze znakami spoza Windows-1250");
    if (emptyRows > 0)
        skipped << polishCount(emptyRows, "pusty wiersz", "puste wiersze", "pustych wierszy");
    if (!skipped.isEmpty())
        text += utf8("; pominięto ") + skipped.join(QStringLiteral(", "));
    if (!withoutPhoto.isEmpty() && withPhoto > 0)
        text += utf8("; bez zdjęcia: ") + QString::number(withoutPhoto.size());
    if (!unmatchedPhotoFiles.isEmpty())
        text += utf8("; zdjęć bez osoby: ") + QString::number(unmatchedPhotoFiles.size());
    return text + u'.';
}

QString TImportSummary::report() const {
    QString text = line();
    if (cancelled)
        return text;
    if (!withoutPhoto.isEmpty())
        text += utf8("\n\nBez zdjęcia:\n") + withoutPhoto.join(u'\n');
    if (!unmatchedPhotoFiles.isEmpty()) {
        QStringList names;
        for (const QString& file : unmatchedPhotoFiles)
            names << QDir::toNativeSeparators(file);
        text += utf8("\n\nZdjęcia, których nie dopasowano do nikogo:\n") + names.join(u'\n');
    }
    if (!warnings.isEmpty())
        text += utf8("\n\nUwagi:\n") + warnings.join(u'\n');
    return text;
}

} // namespace wendolarka::lists
