#include "lists/photo_matching.h"

#include "core/text_folding.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>

namespace wendolarka::lists {
namespace {

// Places in kPersonTextColumns.
constexpr std::size_t kImie = 1, kNazwisko = 2, kIndeks = 4;

// The words of a name, folded, with any run of blanks, "_", "-" and "." between them.
QStringList nameWords(const QString& text) {
    QStringList words;
    QString word;
    for (QChar c : foldedText(text)) {
        if (c.isSpace() || c == u'_' || c == u'-' || c == u'.') {
            if (!word.isEmpty())
                words.append(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

QString nameKey(const QStringList& words) { return words.join(u' '); }

// The Indeks compared as letters only differ in case; an empty one never matches.
QString indeksKey(const QString& text) { return text.trimmed().toCaseFolded(); }

struct TFileClaim {
    enum Kind { None, ByIndeks, ByName } kind = None;
    int person = -1;
};

// The ambiguities of one kind, one per set of persons (a name read both ways
// is one question), in the order of their first file.
struct TSharedKeys {
    QHash<QString, std::size_t> indexOfPersons;
    void add(std::vector<TPhotoAmbiguity>& ambiguities, TPhotoAmbiguity::Kind kind, const QString& file,
             const std::vector<int>& persons) {
        QString key;
        for (int p : persons)
            key += QString::number(p) + u' ';
        const auto found = indexOfPersons.constFind(key);
        if (found != indexOfPersons.cend()) {
            ambiguities[*found].files.append(file);
            return;
        }
        indexOfPersons.insert(key, ambiguities.size());
        ambiguities.push_back({kind, {file}, persons});
    }
};

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

} // namespace

bool isPictureFileName(const QString& fileName) {
    static const QStringList kExtensions = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                                            QStringLiteral("bmp"), QStringLiteral("tif"),  QStringLiteral("tiff"),
                                            QStringLiteral("webp"), QStringLiteral("gif")};
    return kExtensions.contains(QFileInfo(fileName).suffix(), Qt::CaseInsensitive);
}

TPhotoMatches matchPhotos(const std::vector<TPersonTexts>& persons, const QStringList& files) {
    QHash<QString, std::vector<int>> byIndeks, byName;
    for (int p = 0; p < int(persons.size()); ++p)
        if (const QString key = indeksKey(persons[std::size_t(p)][kIndeks]); !key.isEmpty())
            byIndeks[key].push_back(p);
    // Names are folded only once a file is not some person's Indeks: a folder
    // named by Indeks needs none of them.
    bool namesKeyed = false;
    const auto names = [&]() -> const QHash<QString, std::vector<int>>& {
        if (!namesKeyed) {
            namesKeyed = true;
            for (int p = 0; p < int(persons.size()); ++p) {
                const TPersonTexts& person = persons[std::size_t(p)];
                const QStringList first = nameWords(person[kImie]), last = nameWords(person[kNazwisko]);
                const QString lastFirst = nameKey(last + first), firstLast = nameKey(first + last);
                if (!lastFirst.isEmpty())
                    byName[lastFirst].push_back(p);
                if (firstLast != lastFirst)
                    byName[firstLast].push_back(p);
            }
        }
        return byName;
    };

    TPhotoMatches matches;
    matches.fileOfPerson = QStringList(qsizetype(persons.size()), QString());
    TSharedKeys sharedIndeks, sharedName;
    std::vector<TFileClaim> claims(std::size_t(files.size()));
    for (qsizetype f = 0; f < files.size(); ++f) {
        const QString& file = files[f];
        if (!isPictureFileName(file))
            continue;
        const QString base = QFileInfo(file).completeBaseName();
        TFileClaim& claim = claims[std::size_t(f)];
        if (const auto found = byIndeks.constFind(indeksKey(base)); found != byIndeks.cend()) {
            if (found->size() == 1)
                claim = {TFileClaim::ByIndeks, found->front()};
            else
                sharedIndeks.add(matches.ambiguities, TPhotoAmbiguity::SharedIndeks, file, *found);
        } else if (const auto named = names().constFind(nameKey(nameWords(base))); named != byName.cend()) {
            if (named->size() == 1)
                claim = {TFileClaim::ByName, named->front()};
            else
                sharedName.add(matches.ambiguities, TPhotoAmbiguity::SharedName, file, *named);
        }
    }

    // Each person takes its one file of the best kind; two of that kind are a question for the user.
    std::vector<QStringList> claimsByIndeks(persons.size()), claimsByName(persons.size());
    for (qsizetype f = 0; f < files.size(); ++f) {
        const TFileClaim& claim = claims[std::size_t(f)];
        if (claim.kind == TFileClaim::ByIndeks)
            claimsByIndeks[std::size_t(claim.person)].append(files[f]);
        else if (claim.kind == TFileClaim::ByName)
            claimsByName[std::size_t(claim.person)].append(files[f]);
    }
    for (std::size_t p = 0; p < persons.size(); ++p) {
        const QStringList& best = claimsByIndeks[p].isEmpty() ? claimsByName[p] : claimsByIndeks[p];
        if (best.size() == 1)
            matches.fileOfPerson[qsizetype(p)] = best.front();
        else if (best.size() > 1)
            matches.ambiguities.push_back({TPhotoAmbiguity::SeveralFiles, best, {int(p)}});
    }

    for (qsizetype f = 0; f < files.size(); ++f) {
        const TFileClaim& claim = claims[std::size_t(f)];
        const bool taken = claim.kind != TFileClaim::None && matches.fileOfPerson[claim.person] == files[f];
        if (isPictureFileName(files[f]) && !taken)
            matches.unmatchedFiles.append(files[f]);
    }
    return matches;
}

TPhotoMatches matchPhotosInFolder(const std::vector<TPersonTexts>& persons, const QString& folder) {
    const QDir dir(folder);
    QStringList files;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (isPictureFileName(name))
            files.append(dir.absoluteFilePath(name));
    return matchPhotos(persons, files);
}

namespace {

QString cellPath(const QString& cellText) {
    QString text = cellText.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2).trimmed();
    if (text.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        if (const QUrl url(text); url.isLocalFile())
            text = url.toLocalFile();
    return text;
}

QString placedIn(const QDir& dir, const QString& path) { return QDir::cleanPath(dir.absoluteFilePath(path)); }

} // namespace

QString photoPathAsWritten(const QString& cellText, const QString& listFolder) {
    const QString text = cellPath(cellText);
    return text.isEmpty() ? QString() : placedIn(QDir(listFolder), text);
}

QString resolvePhotoPath(const QString& cellText, const QString& listFolder) {
    const QString text = cellPath(cellText);
    if (text.isEmpty())
        return {};
    const QDir dir(listFolder);
    const QString written = placedIn(dir, text);
    if (isFile(written))
        return written;
    QString slashed = text;
    slashed.replace(u'\\', u'/');
    if (slashed != text && isFile(placedIn(dir, slashed)))
        return placedIn(dir, slashed);
    const QString name = slashed.section(u'/', -1);
    if (!name.isEmpty() && isFile(dir.absoluteFilePath(name)))
        return placedIn(dir, name);
    return written;
}

} // namespace wendolarka::lists
