#include "person_list_commands.h"

#include "command_line_support.h"

#include "core/exception.h"
#include "core/safe_file.h"
#include "database/person_table.h"
#include "lists/list_file.h"
#include "lists/person_export.h"
#include "lists/person_import.h"

#include <QFileInfo>
#include <QHash>

namespace wendolarka {
namespace {

using namespace lists;
using namespace command_line;

constexpr int kNothing = kNobody; // nothing to import

QString utf8(const char* text) { return QString::fromUtf8(text); }

struct Options {
    QString mode; // "import" or "export-persons"
    QString list;
    QString database;
    QString out;
    QString photos;
    QString encoding = QStringLiteral("auto");
    QString delimiter = QStringLiteral("auto");
    QString sheet;
    QString duplicates = QStringLiteral("skip");
    QString unencodable = QStringLiteral("replace");
    QString photoNames = QStringLiteral("indeks");
};

Options parse(const QStringList& arguments) {
    Options options;
    const QHash<QString, QString Options::*> valued = {
        {QStringLiteral("--import"), &Options::list},         {QStringLiteral("--export-persons"), &Options::database},
        {QStringLiteral("--database"), &Options::database},   {QStringLiteral("--out"), &Options::out},
        {QStringLiteral("--photos"), &Options::photos},       {QStringLiteral("--encoding"), &Options::encoding},
        {QStringLiteral("--delimiter"), &Options::delimiter}, {QStringLiteral("--sheet"), &Options::sheet},
        {QStringLiteral("--duplicates"), &Options::duplicates}, {QStringLiteral("--unencodable"), &Options::unencodable},
        {QStringLiteral("--photo-names"), &Options::photoNames}};
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!valued.contains(argument))
            throw RunError{kUsage, utf8("nieznana opcja: %1 (zobacz wendolarka --help)").arg(argument)};
        if (i + 1 >= arguments.size())
            throw RunError{kUsage, utf8("opcja %1 wymaga wartości").arg(argument)};
        if (given.contains(argument))
            throw RunError{kUsage, utf8("opcja %1 podana dwa razy").arg(argument)};
        given << argument;
        if (argument == u"--import" || argument == u"--export-persons") {
            if (!options.mode.isEmpty())
                throw RunError{kUsage, utf8("podaj tylko jedno z --import i --export-persons")};
            options.mode = argument.mid(2);
        }
        options.*valued.value(argument) = arguments[++i];
    }
    if (options.mode == u"import") {
        if (options.database.isEmpty())
            throw RunError{kUsage, utf8("--import wymaga --database")};
        for (const char* other : {"--out", "--photo-names"})
            if (given.contains(QString::fromLatin1(other)))
                throw RunError{kUsage, utf8("opcja %1 nie dotyczy --import").arg(QString::fromLatin1(other))};
    } else {
        if (options.out.isEmpty())
            throw RunError{kUsage, utf8("brak --out: dokąd zapisać listę")};
        for (const char* other : {"--database", "--sheet", "--duplicates", "--unencodable", "--delimiter"})
            if (given.contains(QString::fromLatin1(other)))
                throw RunError{kUsage, utf8("opcja %1 nie dotyczy --export-persons").arg(QString::fromLatin1(other))};
    }
    return options;
}

TListFileOptions listOptions(const Options& options) {
    TListFileOptions read;
    const std::optional<TListEncoding> encoding = parseListEncoding(options.encoding);
    if (!encoding)
        throw RunError{kUsage, utf8("--encoding: auto, utf-8, windows-1250 albo iso-8859-2, nie %1").arg(options.encoding)};
    read.text.encoding = *encoding;
    const std::optional<QChar> delimiter = parseListDelimiter(options.delimiter);
    if (!delimiter)
        throw RunError{kUsage, utf8("--delimiter: auto, ';', ',' albo tab, nie %1").arg(options.delimiter)};
    read.text.delimiter = *delimiter;
    if (!options.sheet.isEmpty()) {
        bool ok = false;
        const int sheet = options.sheet.toInt(&ok);
        if (!ok || sheet < 1)
            throw RunError{kUsage, utf8("--sheet: numer arkusza od 1, nie %1").arg(options.sheet)};
        read.sheet = sheet - 1;
    }
    return read;
}

template <typename Choice>
Choice choiceOf(const QString& option, const QString& value, std::initializer_list<std::pair<const char*, Choice>> choices) {
    QStringList names;
    for (const auto& [name, choice] : choices) {
        if (value.compare(QString::fromLatin1(name), Qt::CaseInsensitive) == 0)
            return choice;
        names << QString::fromLatin1(name);
    }
    throw RunError{kUsage, utf8("%1: %2, nie %3").arg(option, names.join(QStringLiteral(" | ")), value)};
}

QString describeDatabaseFailure(const QString& database, const Exception& error) {
    if (const auto* engine = dynamic_cast<const ESQLiteException*>(&error))
        return database + QStringLiteral(": ") + person_table::describeFailure(*engine, database).simplified();
    return database + QStringLiteral(": ") + error.message().simplified();
}

// The database to import into; one that is not there yet is made as the program makes a new one.
std::shared_ptr<ISQLiteDatabase> databaseForImport(TMadeDatabase& made) {
    const QString& path = made.fileName();
    try {
        if (made.isNew())
            made.create();
        return person_table::OpenExisting(path);
    } catch (const EFileWrite& error) {
        throw RunError{kRefused, error.message()};
    } catch (const Exception& error) {
        throw RunError{kRefused, describeDatabaseFailure(path, error)};
    }
}

QString characterName(char32_t character) {
    return QStringLiteral("„%1” (U+%2)")
        .arg(QString::fromUcs4(&character, 1), QString::number(quint32(character), 16).toUpper().rightJustified(4, u'0'));
}

int runImport(const Options& options, std::FILE* output, std::FILE* errors) {
    const TListFileOptions read = listOptions(options);
    TImportSettings settings;
    settings.duplicates = choiceOf<TDuplicateChoice>(
        QStringLiteral("--duplicates"), options.duplicates,
        {{"skip", TDuplicateChoice::Skip}, {"update", TDuplicateChoice::Update}, {"add", TDuplicateChoice::Add}});
    settings.unencodable = choiceOf<TUnencodableChoice>(
        QStringLiteral("--unencodable"), options.unencodable,
        {{"replace", TUnencodableChoice::Replace}, {"skip", TUnencodableChoice::SkipRows}});
    if (!options.photos.isEmpty() && !QFileInfo(options.photos).isDir())
        throw RunError{kRefused, utf8("%1: nie ma takiego folderu ze zdjęciami").arg(options.photos)};
    settings.photoFolder = options.photos;
    settings.listFolder = QFileInfo(options.list).absolutePath();

    TListFile list;
    try {
        list = readListFile(options.list, read);
    } catch (const Exception& error) {
        throw RunError{kRefused, error.message()};
    }
    if (list.table.rows.empty())
        throw RunError{kNothing, utf8("%1: lista jest pusta").arg(options.list)};
    const TMappingGuess guess = guessMapping(list.table.rows.front());
    if (!guess.firstRowIsHeader)
        throw RunError{kRefused, utf8("%1, wiersz %2: pierwszy wiersz nie nazywa żadnego pola osoby (np. Imię, Nazwisko, "
                                      "Indeks, Zdjęcie); dodaj wiersz tytułów albo przypisz kolumny w oknie programu")
                                     .arg(options.list)
                                     .arg(list.table.rows.front().sourceRow)};
    settings.mapping = guess.mapping;
    settings.firstRowIsHeader = true;

    TMadeDatabase made(options.database); // outlives the connection below
    const std::shared_ptr<ISQLiteDatabase> db = databaseForImport(made);
    const QString listName = QFileInfo(options.list).fileName();
    TImportPlan plan;
    TImportSummary summary;
    try {
        plan = planImport(list.table, settings, db.get());
        summary = lists::runImport(*db, plan, settings);
    } catch (const EFileWrite& error) {
        throw RunError{kRefused, error.message()};
    } catch (const ESQLiteException& error) {
        throw RunError{kRefused, describeDatabaseFailure(options.database, error)};
    }
    // One line a field: the characters it lacks and what became of them.
    for (const TLackingField& field : lackingFields(plan)) {
        QStringList characters;
        for (const TUnencodableChar& lacking : field.characters)
            characters << characterName(lacking.character) +
                              (!field.rowSkipped && lacking.replacement ? utf8(" → „%1”").arg(*lacking.replacement)
                                                                        : QString());
        say(errors, utf8("wendolarka: %1, wiersz %2, pole %3: znaki spoza Windows-1250: %4; %5")
                        .arg(listName)
                        .arg(field.sourceRow)
                        .arg(targetTitle(field.target), characters.join(QStringLiteral(", ")),
                             field.rowSkipped ? utf8("wiersz pominięty") : utf8("zastąpione")));
    }
    for (const QString& warning : summary.warnings)
        say(errors, QStringLiteral("wendolarka: %1: %2").arg(listName, warning));
    const bool photosExpected = !settings.photoFolder.isEmpty() || settings.mapping.columnOf(TColumnTarget::Photo);
    if (photosExpected) {
        for (const QString& person : summary.withoutPhoto)
            say(errors, utf8("wendolarka: %1: bez zdjęcia: %2").arg(listName, person));
        for (const QString& file : summary.unmatchedPhotoFiles)
            say(errors, utf8("wendolarka: zdjęcie %1 nie pasuje do nikogo z listy").arg(file));
    }
    say(output, summary.line());
    if (summary.added + summary.updated == 0)
        return kNothing;
    made.keep();
    return kDone;
}

int runExportPersons(const Options& options, std::FILE* output) {
    TExportSettings settings;
    const QString encoding = options.encoding == u"auto" ? QStringLiteral("utf-8") : options.encoding;
    settings.encoding = choiceOf<TExportEncoding>(
        QStringLiteral("--encoding"), encoding,
        {{"utf-8", TExportEncoding::Utf8Bom}, {"windows-1250", TExportEncoding::Windows1250}});
    settings.naming = choiceOf<TPhotoNaming>(QStringLiteral("--photo-names"), options.photoNames,
                                             {{"indeks", TPhotoNaming::ByIndeks}, {"nazwisko", TPhotoNaming::ByName}});
    settings.photoFolder = options.photos;
    std::shared_ptr<ISQLiteDatabase> db;
    try {
        db = person_table::OpenExisting(options.database);
        const TExportSummary summary = exportPersons(*db, {}, options.out, settings);
        say(output, summary.line());
    } catch (const EFileWrite& error) {
        throw RunError{kRefused, error.message()};
    } catch (const Exception& error) {
        throw RunError{kRefused, describeDatabaseFailure(options.database, error)};
    }
    return kDone;
}

} // namespace

bool isPersonListCommand(const QStringList& arguments) {
    return arguments.contains(QStringLiteral("--import")) || arguments.contains(QStringLiteral("--export-persons"));
}

QString personListUsage() {
    return utf8("  wendolarka --import LISTA.csv|.xlsx|.ods --database OSOBY.db [--photos KATALOG]\n"
                "             [--encoding auto|utf-8|windows-1250|iso-8859-2] [--delimiter auto|';'|','|tab]\n"
                "             [--sheet N] [--duplicates skip|update|add] [--unencodable replace|skip]\n"
                "      osoby z listy (pierwszy wiersz: tytuły kolumn) do bazy, jedną zmianą; zdjęcia\n"
                "      z kolumny Zdjęcie albo z katalogu (po Indeksie lub imieniu i nazwisku)\n"
                "  wendolarka --export-persons OSOBY.db --out LISTA.csv [--photos KATALOG]\n"
                "             [--photo-names indeks|nazwisko] [--encoding utf-8|windows-1250]\n"
                "      wszystkie osoby do listy CSV (separator ;), zdjęcia do katalogu, nazwane\n"
                "      Indeksem (bez Indeksu: Nazwisko_Imię) albo nazwiskiem i imieniem\n");
}

int runPersonListCommand(const QStringList& arguments, std::FILE* output, std::FILE* errors) {
    return reportingFailures(errors, [&] {
        const Options options = parse(arguments);
        return options.mode == u"import" ? runImport(options, output, errors) : runExportPersons(options, output);
    });
}

} // namespace wendolarka
