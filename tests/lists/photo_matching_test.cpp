#include "lists/photo_matching.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

// Failures show the texts, not their bytes.
static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
static void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << "{\"" << texts.join(QStringLiteral("\", \"")).toStdString() << "\"}";
}

using namespace wendolarka;
using namespace wendolarka::lists;

namespace {

QStringList names(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

TPersonTexts person(const char* imie, const char* nazwisko, const char* indeks = " ") {
    TPersonTexts texts;
    texts.fill(QStringLiteral(" "));
    texts[1] = QString::fromUtf8(imie);
    texts[2] = QString::fromUtf8(nazwisko);
    texts[4] = QString::fromUtf8(indeks);
    return texts;
}

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(PhotoMatching, AFileNamesAPersonInEitherOrderCaseAndSpellingAside) {
    const std::vector<TPersonTexts> persons = {person("Jan", "Kowalski"), person("Łukasz", "Żółw"),
                                               person("Anna", "Nowak-Kowalska"), person(" ", "Wiśniewski")};
    const std::vector<std::pair<const char*, int>> cases = {
        {"kowalski_jan.jpg", 0}, {"Jan-Kowalski.png", 0},          {"JAN.KOWALSKI.JPG", 0},
        {"/x/y/jan  kowalski.jpeg", 0}, {"lukasz zolw.tif", 1},    {"ŁUKASZ_ŻÓŁW.webp", 1},
        {"nowak kowalska anna.gif", 2}, {"wisniewski.bmp", 3},
    };
    for (const auto& [file, expected] : cases) {
        const TPhotoMatches matches = matchPhotos(persons, names({file}));
        EXPECT_EQ(matches.fileOfPerson.value(expected), QString::fromUtf8(file));
        EXPECT_TRUE(matches.unmatchedFiles.isEmpty()) << file;
    }
    // Half a name, glued words, a name with more in it, and no picture at all.
    const TPhotoMatches none =
        matchPhotos(persons, names({"kowalski.jpg", "jankowalski.jpg", "jan kowalski 2.jpg", "jan_kowalski.txt"}));
    EXPECT_EQ(none.fileOfPerson, QStringList(4));
    EXPECT_EQ(none.unmatchedFiles, names({"kowalski.jpg", "jankowalski.jpg", "jan kowalski 2.jpg"}));
}

TEST(PhotoMatching, TheIndeksWinsAndEmptyTextsMatchNothing) {
    const std::vector<TPersonTexts> persons = {person("Jan", "Kowalski", "A17"), person(" ", " ")};
    const TPhotoMatches matches = matchPhotos(persons, names({"jan_kowalski.jpg", "a17.JPG", " .jpg", "_.png"}));
    EXPECT_EQ(matches.fileOfPerson, names({"a17.JPG", ""}));
    EXPECT_EQ(matches.unmatchedFiles, names({"jan_kowalski.jpg", " .jpg", "_.png"}));
    EXPECT_TRUE(matches.ambiguities.empty());
}

TEST(PhotoMatching, AmbiguousFilesGoToNobodyAndAreReported) {
    const std::vector<TPersonTexts> persons = {
        person("Jan", "Kowalski", "1"), person("Jan", "Kowalski", "2"),
        person("Kowalski", "Jan"), // the same two words the other way round
        person("Ewa", "Lis", "7"),      person("Olga", "Lis", "7"),     person("Piotr", "Zając"),
    };
    const TPhotoMatches matches =
        matchPhotos(persons, names({"1.jpg", "jan_kowalski.jpg", "7.png", "Kowalski Jan.png", "zajac_piotr.jpg",
                                    "Piotr Zając.png", "olga-lis.jpg"}));
    EXPECT_EQ(matches.fileOfPerson, names({"1.jpg", "", "", "", "olga-lis.jpg", ""}));
    EXPECT_EQ(matches.unmatchedFiles,
              names({"jan_kowalski.jpg", "7.png", "Kowalski Jan.png", "zajac_piotr.jpg", "Piotr Zając.png"}));
    ASSERT_EQ(matches.ambiguities.size(), 3u);
    EXPECT_EQ(matches.ambiguities[0].kind, TPhotoAmbiguity::SharedName);
    EXPECT_EQ(matches.ambiguities[0].files, names({"jan_kowalski.jpg", "Kowalski Jan.png"}));
    EXPECT_EQ(matches.ambiguities[0].persons, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(matches.ambiguities[1].kind, TPhotoAmbiguity::SharedIndeks);
    EXPECT_EQ(matches.ambiguities[1].persons, (std::vector<int>{3, 4}));
    EXPECT_EQ(matches.ambiguities[2].kind, TPhotoAmbiguity::SeveralFiles);
    EXPECT_EQ(matches.ambiguities[2].files, names({"zajac_piotr.jpg", "Piotr Zając.png"}));
    EXPECT_EQ(matches.ambiguities[2].persons, std::vector<int>{5});
}

TEST(PhotoMatching, AFolderGivesItsVisiblePictureFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"b.JPEG", "a.jpg", ".c.jpg", "notes.txt"})
        touch(dir.filePath(QString::fromUtf8(name)));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("d.jpg")));
    const TPhotoMatches matches = matchPhotosInFolder({person("X", "Y", "b"), person("X", "Z", "d")}, dir.path());
    EXPECT_EQ(matches.fileOfPerson, (QStringList{dir.filePath(QStringLiteral("b.JPEG")), QString()}));
    EXPECT_EQ(matches.unmatchedFiles, QStringList{dir.filePath(QStringLiteral("a.jpg"))});
}

TEST(PhotoMatching, APhotoCellIsFoundBesideTheListOrWhereItSays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("zdjęcia")));
    const QString inFolder = dir.filePath(QStringLiteral("zdjęcia/jan.jpg"));
    const QString beside = dir.filePath(QStringLiteral("ewa.jpg"));
    touch(inFolder);
    touch(beside);
    const QString list = dir.path(), elsewhere = QStringLiteral("/elsewhere");
    EXPECT_EQ(resolvePhotoPath(QStringLiteral(" zdjęcia/jan.jpg "), list), inFolder);
    EXPECT_EQ(resolvePhotoPath(QStringLiteral("zdjęcia\\jan.jpg"), list), inFolder);
    EXPECT_EQ(resolvePhotoPath(QStringLiteral("\"./zdjęcia/../zdjęcia/jan.jpg\""), list), inFolder);
    EXPECT_EQ(resolvePhotoPath(inFolder, elsewhere), inFolder);
    EXPECT_EQ(resolvePhotoPath(QUrl::fromLocalFile(inFolder).toString(), elsewhere), inFolder);
    EXPECT_EQ(resolvePhotoPath(QStringLiteral("C:\\Users\\Ewa\\Zdjęcia\\ewa.jpg"), list), beside);
    EXPECT_EQ(resolvePhotoPath(QStringLiteral("brak/ola.jpg"), list), dir.filePath(QStringLiteral("brak/ola.jpg")));
    EXPECT_EQ(resolvePhotoPath(QStringLiteral("  "), list), QString());
}
