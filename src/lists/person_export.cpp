#include "lists/person_export.h"

#include "core/cp1250.h"
#include "core/safe_file.h"
#include "database/person_table.h"
#include "lists/column_mapping.h"
#include "lists/person_import.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace wendolarka::lists {
namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

QString csvCell(const QString& text, QChar delimiter) {
    const bool quote = text.contains(delimiter) || text.contains(u'"') || text.contains(u'\n') ||
                       text.contains(u'\r') || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString doubled = text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

// A stored text as the list shows it: the single blank that stands for none is an empty cell.
QString exportedText(const QString& stored) { return stored.trimmed().isEmpty() ? QString() : stored; }

QString pictureSuffix(const QByteArray& photo) {
    if (photo.startsWith("\xFF\xD8"))
        return QStringLiteral("jpg");
    if (photo.startsWith("BM"))
        return QStringLiteral("bmp");
    if (photo.startsWith("\x89PNG"))
        return QStringLiteral("png");
    if (photo.startsWith("GIF8"))
        return QStringLiteral("gif");
    return {};
}

// A name any file system takes: no separators, reserved characters or controls.
QString safeBaseName(QString name) {
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    name = name.simplified();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.left(120);
}

} // namespace

QByteArray personListText(const std::vector<TExportRow>& rows, bool withPhotoColumn, const TExportSettings& settings) {
    QStringList titles;
    for (std::size_t f = 0; f < kPersonTextCount; ++f)
        titles << targetTitle(personTextTarget(f));
    if (withPhotoColumn)
        titles << targetTitle(TColumnTarget::Photo);
    const QChar delimiter = settings.delimiter.isNull() ? QChar(u';') : settings.delimiter;
    QString text = titles.join(delimiter) + QStringLiteral("\r\n");
    for (const TExportRow& row : rows) {
        QStringList cells;
        for (const QString& stored : row.texts)
            cells << csvCell(exportedText(stored), delimiter);
        if (withPhotoColumn)
            cells << csvCell(row.photoPath, delimiter);
        text += cells.join(delimiter) + QStringLiteral("\r\n");
    }
    if (settings.encoding == TExportEncoding::Windows1250)
        return cp1250::encode(text);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString photoFileName(const TPersonTexts& texts, const QByteArray& photo, TPhotoNaming naming, QStringList& taken) {
    QString base;
    if (naming == TPhotoNaming::ByIndeks)
        base = safeBaseName(texts[4].trimmed());
    if (base.isEmpty()) {
        // Without an Indeks the name tells whose photo it is.
        base = safeBaseName(texts[2].trimmed() + u' ' + texts[1].trimmed());
        base.replace(u' ', u'_');
    }
    if (base.isEmpty())
        base = QStringLiteral("osoba");
    const QString suffix = pictureSuffix(photo);
    QString name = base + u'.' + suffix;
    for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n)
        name = base + u'-' + QString::number(n) + u'.' + suffix;
    taken << name;
    return name;
}

TExportSummary exportPersons(ISQLiteDatabase& db, const std::vector<std::int64_t>& ids, const QString& fileName,
                             const TExportSettings& settings, const std::function<bool(int, int)>& progress) {
    TExportSummary summary;
    const std::vector<std::int64_t> chosen = ids.empty() ? person_table::IdsInSurnameOrder(db) : ids;
    const bool withPhotos = !settings.photoFolder.isEmpty();
    bool folderMade = false;
    const QDir listFolder = QFileInfo(fileName).absoluteDir();
    std::vector<TExportRow> rows;
    rows.reserve(chosen.size());
    QStringList taken;
    int done = 0;
    for (const std::int64_t id : chosen) {
        const auto table = person_table::SelectById(db, id);
        if (table->Count() == 0)
            continue; // removed meanwhile: nobody to list
        const TPersonRow person = person_table::ReadRow(*table);
        TExportRow row;
        row.texts = person.texts;
        if (withPhotos && person.picture && !pictureSuffix(*person.picture).isEmpty()) {
            // Made with the first photo: nobody with a photo, no folder.
            if (!folderMade && !QDir().mkpath(settings.photoFolder))
                throw EFileWrite(settings.photoFolder, utf8("nie mogę utworzyć tego folderu"));
            folderMade = true;
            const QString path = QDir(settings.photoFolder).filePath(
                photoFileName(person.texts, *person.picture, settings.naming, taken));
            writeFileSafely(path, *person.picture);
            row.photoPath = QDir::toNativeSeparators(listFolder.relativeFilePath(QFileInfo(path).absoluteFilePath()));
            ++summary.photos;
        }
        rows.push_back(std::move(row));
        if (progress && !progress(++done, int(chosen.size()))) {
            summary.cancelled = true;
            return summary;
        }
    }
    QByteArray bytes;
    try {
        bytes = personListText(rows, withPhotos, settings);
    } catch (const cp1250::EUnencodable& e) {
        throw Exception(utf8("Nie mogę zapisać listy %1 w kodowaniu Windows-1250: znak „%2” (ścieżka zdjęcia) nie "
                             "ma w nim odpowiednika. Wybierz UTF-8.")
                            .arg(QDir::toNativeSeparators(fileName), e.character()));
    }
    writeFileSafely(fileName, bytes);
    summary.persons = int(rows.size());
    return summary;
}

QString TExportSummary::line() const {
    if (cancelled)
        return utf8("Przerwano; listy nie zapisano.");
    QString text = utf8("Zapisano ") + polishCount(persons, "osobę", "osoby", "osób");
    if (photos > 0)
        text += QStringLiteral(", ") + polishCount(photos, "zdjęcie", "zdjęcia", "zdjęć");
    return text + u'.';
}

} // namespace wendolarka::lists
