#pragma once

#include "core/person.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace wendolarka::lists {

// Whether a file's extension is that of a picture a photo may come from: jpg,
// jpeg, png, bmp, tif, tiff, webp, gif, in any letter case.
bool isPictureFileName(const QString& fileName);

// Why a picture file was given to nobody although it names someone.
struct TPhotoAmbiguity {
    enum Kind {
        SharedIndeks, // the file's name is the Indeks of several persons
        SharedName,   // the file's name is the name of several persons
        SeveralFiles, // several files name the same person the same way
    };
    Kind kind = SharedName;
    QStringList files;        // as given
    std::vector<int> persons; // places in the person list, ascending
};

struct TPhotoMatches {
    // Per person, in the order given: the file it gets, empty for none.
    QStringList fileOfPerson;
    // Picture files given to nobody, in the order given.
    QStringList unmatchedFiles;
    std::vector<TPhotoAmbiguity> ambiguities;
};

// Gives picture files to persons by the file's base name. A name equal to a
// person's Indeks (letter case aside) wins; else the name read as "Nazwisko Imię"
// or "Imię Nazwisko", letter case and diacritics aside, with blanks, "_", "-" or
// "." between the words, so "kowalski_jan.jpg", "Jan-Kowalski.png" and
// "JAN.KOWALSKI.JPG" are Jan Kowalski's. A person with only one of the two names
// is matched by that one. Empty texts (a single blank) match nothing. A file
// naming several persons, or a person named by several files of the same kind,
// is matched by none and reported; a person with a file by Indeks takes no file
// by name. Files that are no pictures by their extension are ignored.
TPhotoMatches matchPhotos(const std::vector<TPersonTexts>& persons, const QStringList& files);

// The same for the picture files of a folder (not its subfolders, not hidden
// files), given as full paths in name order.
TPhotoMatches matchPhotosInFolder(const std::vector<TPersonTexts>& persons, const QString& folder);

// The file a list's photo cell names: an absolute path, a file: URL, or a path
// relative to the list's folder; "\" counts as a separator for lists made on
// Windows, and surrounding quotes (a pasted "Copy as path") go. When that file
// does not exist but one of the same name lies beside the list, that one is
// taken (lists moved with their photos from another machine). Empty for an
// empty cell; the path as written otherwise, so an error can name it.
QString resolvePhotoPath(const QString& cellText, const QString& listFolder);
// The same path as written, without a look at the disk: what resolvePhotoPath
// gives whenever that file is there.
QString photoPathAsWritten(const QString& cellText, const QString& listFolder);

} // namespace wendolarka::lists
