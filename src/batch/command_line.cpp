#include "command_line.h"

#include "controls/host_form.h"
#include "core/exception.h"
#include "core/picture.h"
#include "core/safe_file.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "designer/picture_export.h"
#include "command_line_support.h"
#include "pass_batch.h"
#include "person_list_commands.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <unistd.h>

namespace wendolarka {
namespace {

using namespace command_line;

struct Options {
    QString mode; // "batch" or "export"
    QStringList given;
    QString templateFile;
    QString database;
    QString out;
    QString filter;
    QString ids;
    QString id;
    QString perPage = QStringLiteral("auto");
    QString dpi;
    QString printedAfter;
    QString card; // empty: sheets
    QString back;
    QString duplex;
    QString validUntil;
    QString numberFrom;
    bool bleed = false;
    bool notPrinted = false;
    bool landscape = false;
    bool cutMarks = false;
    bool strict = false;
};

Options parse(const QStringList& arguments) {
    Options options;
    // Options that take a value, and where it goes.
    const QHash<QString, QString Options::*> valued = {
        {QStringLiteral("--batch"), &Options::templateFile}, {QStringLiteral("--export"), &Options::templateFile},
        {QStringLiteral("--database"), &Options::database},  {QStringLiteral("--out"), &Options::out},
        {QStringLiteral("--filter"), &Options::filter},      {QStringLiteral("--ids"), &Options::ids},
        {QStringLiteral("--id"), &Options::id},              {QStringLiteral("--per-page"), &Options::perPage},
        {QStringLiteral("--dpi"), &Options::dpi},            {QStringLiteral("--printed-after"), &Options::printedAfter},
        {QStringLiteral("--back"), &Options::back},          {QStringLiteral("--duplex"), &Options::duplex},
        {QStringLiteral("--valid-until"), &Options::validUntil}, {QStringLiteral("--number-from"), &Options::numberFrom}};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        options.given << argument;
        if (argument == u"--landscape") {
            options.landscape = true;
        } else if (argument == u"--cut-marks") {
            options.cutMarks = true;
        } else if (argument == u"--not-printed") {
            options.notPrinted = true;
        } else if (argument == u"--strict") {
            options.strict = true;
        } else if (argument == u"--bleed") {
            options.bleed = true;
        } else if (argument == u"--card") {
            // The size may be left out: a CR80 card is what card printers take.
            const bool sized = i + 1 < arguments.size() && !arguments[i + 1].startsWith(QStringLiteral("--"));
            options.card = sized ? arguments[++i] : QStringLiteral("CR80");
            if (sized && i + 1 < arguments.size() && arguments[i + 1] == u"mm") // "--card 86x54 mm"
                ++i;
        } else if (valued.contains(argument)) {
            if (i + 1 >= arguments.size())
                throw RunError{kUsage, QString::fromUtf8("opcja %1 wymaga wartości").arg(argument)};
            if (argument == u"--batch" || argument == u"--export") {
                if (!options.mode.isEmpty())
                    throw RunError{kUsage, QString::fromUtf8("podaj tylko jedno z --batch i --export")};
                options.mode = argument.mid(2);
            }
            options.*valued.value(argument) = arguments[++i];
        } else {
            throw RunError{kUsage, QString::fromUtf8("nieznana opcja: %1 (zobacz wendolarka --help)").arg(argument)};
        }
    }
    if (options.mode.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("brak --batch albo --export (zobacz wendolarka --help)")};
    if (options.out.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("brak --out: dokąd zapisać wynik")};
    if (options.mode == u"batch" && options.database.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("--batch wymaga --database")};
    if (!options.id.isEmpty() && options.database.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("--id wymaga --database")};
    // An option of the other job would be silently ignored: it is refused instead.
    const QStringList batchOnly = {QStringLiteral("--filter"), QStringLiteral("--ids"), QStringLiteral("--landscape"),
                                   QStringLiteral("--per-page"), QStringLiteral("--cut-marks"),
                                   QStringLiteral("--not-printed"), QStringLiteral("--printed-after"),
                                   QStringLiteral("--card"), QStringLiteral("--back"), QStringLiteral("--duplex"),
                                   QStringLiteral("--bleed"), QStringLiteral("--strict")};
    const QStringList exportOnly = {QStringLiteral("--id")};
    for (const QString& option : options.mode == u"batch" ? exportOnly : batchOnly)
        if (options.given.contains(option))
            throw RunError{kUsage, QString::fromUtf8("opcja %1 nie dotyczy --%2").arg(option, options.mode)};
    if (!options.card.isEmpty())
        for (const QString& option : {QStringLiteral("--per-page"), QStringLiteral("--landscape"), QStringLiteral("--cut-marks")})
            if (options.given.contains(option))
                throw RunError{kUsage, QString::fromUtf8("opcja %1 nie dotyczy --card: na karcie jest jedna przepustka").arg(option)};
    if (options.bleed && options.card.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("--bleed wymaga --card")};
    if (!options.duplex.isEmpty() && options.back.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("--duplex wymaga --back")};
    return options;
}

QByteArray readTemplate(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw RunError{kRefused, QString::fromUtf8("nie mogę otworzyć wzorca %1").arg(path)};
    if (file.size() > 64 * 1024 * 1024)
        throw RunError{kRefused, QString::fromUtf8("%1: plik za duży na wzorzec").arg(path)};
    return file.readAll();
}

std::shared_ptr<ISQLiteDatabase> openDatabase(const QString& path) {
    try {
        return person_table::OpenExisting(path);
    } catch (const Exception& error) {
        throw RunError{kRefused, QStringLiteral("%1: %2").arg(path, error.message().simplified())};
    }
}

// A card larger than any card picture may be is the template's fault: said before anything is drawn.
void requireCardSize(const QString& templatePath, QSize pass, int scale) {
    if (static_cast<qint64>(pass.width()) * scale > kMaxCardSide || static_cast<qint64>(pass.height()) * scale > kMaxCardSide)
        throw RunError{kRefused, QString::fromUtf8("%1: przepustka przy tej rozdzielczości miałaby %2 × %3 pikseli; "
                                                   "najwięcej można %4 na bok")
                                     .arg(templatePath)
                                     .arg(static_cast<qint64>(pass.width()) * scale)
                                     .arg(static_cast<qint64>(pass.height()) * scale)
                                     .arg(kMaxCardSide)};
}

// Dots per inch a picture or a sheet may ask for.
int dotsPerInch(const QString& text, int byDefault) {
    if (text.isEmpty())
        return byDefault;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 72 || value > 1200)
        throw RunError{kUsage, QString::fromUtf8("--dpi: liczba od 72 do 1200: %1").arg(text)};
    return value;
}

// The output written whole or not at all, or one line that names the file that
// failed: the output with its cause, or the database when reading it failed.
template <typename Write>
void namingFailures(const QString& database, Write write) {
    try {
        write();
    } catch (const EFileWrite& error) {
        throw RunError{kRefused, error.message()};
    } catch (const ESQLiteException& error) {
        throw RunError{kRefused, QStringLiteral("%1: %2")
                                     .arg(database, person_table::describeFailure(error, QString()).simplified())};
    }
}

// Person IDs are the engine's 64-bit row ids.
std::int64_t positiveNumber(const QString& text, const char* what) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value <= 0)
        throw RunError{kUsage, QString::fromUtf8("%1: to nie jest dodatnia liczba całkowita: %2").arg(QString::fromUtf8(what), text)};
    return value;
}

// Where the process writes progress: only a terminal sees it.
TBatchProgress terminalProgress(std::FILE* errors) {
    if (!::isatty(::fileno(errors)))
        return {};
    return [errors, last = -1](int done, int total) mutable {
        if (done != last && (done == total || done % 10 == 0)) {
            std::fprintf(errors, "\rPrzepustki: %d z %d", done, total);
            if (done == total)
                std::fputc('\n', errors);
            std::fflush(errors);
            last = done;
        }
        return true;
    };
}

// The pass size a template file gives, or its reader's error naming the file.
QSize templatePassSize(const QString& path, const QByteArray& bytes) {
    try {
        return TPassRenderer(bytes).passSize();
    } catch (const Exception& error) {
        throw RunError{kRefused, QStringLiteral("%1: %2").arg(path, error.message())};
    }
}

TRunFields runFieldsOf(const Options& options) {
    TRunFields run;
    if (!options.validUntil.isEmpty()) {
        run.validUntil = QDate::fromString(options.validUntil, Qt::ISODate);
        if (!run.validUntil->isValid())
            throw RunError{kUsage, QString::fromUtf8("--valid-until: data RRRR-MM-DD: %1").arg(options.validUntil)};
    }
    if (!options.numberFrom.isEmpty()) {
        const std::optional<TRunFields> numbered = withNumberFrom(run, options.numberFrom);
        if (!numbered)
            throw RunError{kUsage, QString::fromUtf8("--number-from: liczba, np. 1 albo 0001 (cztery cyfry): %1")
                                       .arg(options.numberFrom)};
        run = *numbered;
    }
    return run;
}

// A field the template names that this run cannot fill in: a validity date not
// given stops the run (passes would go out without it), a name that is no
// field is said and printed as written.
void checkComposedTexts(const QString& path, const QByteArray& templateFile, const TRunFields& run, std::FILE* errors) {
    TComposedTextProblems problems;
    try {
        problems = TPassRenderer(templateFile, run).composedTextProblems();
    } catch (const Exception& error) {
        throw RunError{kRefused, QStringLiteral("%1: %2").arg(path, error.message())};
    }
    for (const QString& problem : problems.unknown)
        say(errors, QStringLiteral("wendolarka: %1: %2").arg(path, problem));
    if (!problems.unset.isEmpty())
        throw RunError{kUsage, QString::fromUtf8("%1: %2; podaj --valid-until RRRR-MM-DD").arg(path, problems.unset.join(QStringLiteral(", ")))};
}

int runBatch(const Options& options, std::FILE* output, std::FILE* errors) {
    TBatchOptions batchOptions;
    batchOptions.run = runFieldsOf(options);
    if (!options.card.isEmpty()) {
        TCardOptions card;
        if (!parseCardSize(options.card, card.sizeMm))
            throw RunError{kUsage, QString::fromUtf8("--card przyjmuje CR80 albo SZERxWYS w milimetrach (od 20 do 330), "
                                                     "np. 85.6x54: %1")
                                       .arg(options.card)};
        card.bleed = options.bleed;
        batchOptions.card = card;
    }
    if (options.duplex == u"short")
        batchOptions.duplex = TDuplex::ShortEdge;
    else if (!options.duplex.isEmpty() && options.duplex != u"long")
        throw RunError{kUsage, QString::fromUtf8("--duplex przyjmuje long albo short: %1").arg(options.duplex)};
    const QByteArray templateFile = readTemplate(options.templateFile);
    const std::shared_ptr<ISQLiteDatabase> db = openDatabase(options.database);
    TPersonFilter filter;
    filter.phrase = options.filter;
    if (!options.ids.isEmpty()) {
        QSet<std::int64_t> ids;
        for (const QString& part : options.ids.split(u',', Qt::SkipEmptyParts))
            ids.insert(positiveNumber(part.trimmed(), "--ids"));
        filter.ids = ids;
    }
    QDate printedAfter;
    if (!options.printedAfter.isEmpty()) {
        printedAfter = QDate::fromString(options.printedAfter, Qt::ISODate);
        if (!printedAfter.isValid())
            throw RunError{kUsage, QString::fromUtf8("--printed-after: data RRRR-MM-DD: %1").arg(options.printedAfter)};
    }
    TSheetOptions sheet;
    sheet.landscape = options.landscape;
    sheet.cutMarks = options.cutMarks;
    if (!parsePerSheet(options.perPage, sheet))
        throw RunError{kUsage, QString::fromUtf8("--per-page przyjmuje auto albo KOLUMNYxWIERSZE, np. 2x4: %1").arg(options.perPage)};
    const int dpi = dotsPerInch(options.dpi, 300);
    const QSize passSize = templatePassSize(options.templateFile, templateFile);
    if (!batchOptions.card) {
        try {
            computeSheetLayout(passSize, sheet);
        } catch (const Exception& error) {
            throw RunError{kUsage, QStringLiteral("--per-page: ") + error.message()};
        }
    }
    requireCardSize(options.templateFile, passSize, scaleForDpi(dpi));
    checkComposedTexts(options.templateFile, templateFile, batchOptions.run, errors);
    if (!options.back.isEmpty()) {
        batchOptions.backTemplate = readTemplate(options.back);
        requireCardSize(options.back, templatePassSize(options.back, batchOptions.backTemplate), scaleForDpi(dpi));
        checkComposedTexts(options.back, batchOptions.backTemplate, batchOptions.run, errors);
    }
    batchOptions.sheet = sheet;
    std::vector<std::int64_t> persons;
    namingFailures(options.database, [&] {
        if (options.notPrinted)
            filter.leftOut = print_register::PrintedIds(*db);
        if (printedAfter.isValid()) // from the day's start: a pass of that day counts
            filter.onlyAmong = print_register::PrintedSince(*db, printedAfter.startOfDay());
        persons = choosePersons(*db, filter);
    });
    if (persons.empty())
        throw RunError{kNobody, QString::fromUtf8("żadna osoba nie pasuje do wyboru")};
    // Said before anything is drawn, so that a strict run leaves no file.
    std::vector<TUnfitPerson> unfit;
    namingFailures(options.database,
                   [&] { unfit = personsWithUnfitTexts(*db, templateFile, persons, scaleForDpi(dpi), batchOptions.run); });
    if (!unfit.empty()) {
        say(errors, QString::fromUtf8("wendolarka: teksty nie mieszczą się albo kodów nie da się wydrukować na przepustkach tych osób (%1):").arg(unfit.size()));
        for (const QString& line : describeUnfit(unfit))
            say(errors, QStringLiteral("  ") + line);
        if (options.strict)
            return kUnfit;
    }
    TPassBatch batch(*db, templateFile, std::move(persons), batchOptions);
    bool written = false;
    namingFailures(options.database, [&] { written = batch.writePdf(options.out, dpi, terminalProgress(errors)); });
    // The file is there whatever the register says: a failed record is a warning, not a failed run.
    if (written) {
        const QString warning =
            batch.recordPrinted(QFileInfo(options.templateFile).fileName(), QFileInfo(options.out).absoluteFilePath());
        if (!warning.isEmpty())
            say(errors, QStringLiteral("wendolarka: ") + warning);
        say(output, savedSummary(batch.sheetCount(), batch.onCards(), batch.passCount(), options.out));
    }
    return kDone;
}

int runExport(const Options& options, std::FILE* errors) {
    const TRunFields run = runFieldsOf(options);
    const QByteArray templateFile = readTemplate(options.templateFile);
    checkComposedTexts(options.templateFile, templateFile, run, errors);
    picture_export::Format format;
    const QString suffix = QFileInfo(options.out).suffix().toLower();
    if (suffix == u"png")
        format = picture_export::Format::Png;
    else if (suffix == u"jpg" || suffix == u"jpeg")
        format = picture_export::Format::Jpeg;
    else if (suffix == u"bmp")
        format = picture_export::Format::Bmp;
    else
        throw RunError{kUsage, QString::fromUtf8("--out: nazwa pliku ma kończyć się na .png, .jpg albo .bmp: %1").arg(options.out)};
    const int dpi = dotsPerInch(options.dpi, 96);
    const int scale = scaleForDpi(dpi);
    std::unique_ptr<TPassRenderer> renderer;
    try {
        renderer = std::make_unique<TPassRenderer>(templateFile, run);
    } catch (const Exception& error) {
        throw RunError{kRefused, QStringLiteral("%1: %2").arg(options.templateFile, error.message())};
    }
    requireCardSize(options.templateFile, renderer->passSize(), scale);
    QImage pass;
    if (options.database.isEmpty()) {
        pass = renderer->renderAsDesigned(scale);
    } else {
        namingFailures(options.database, [&] {
            const std::shared_ptr<ISQLiteDatabase> db = openDatabase(options.database);
            // Without --id the first person in surname order, photo included.
            std::int64_t id = options.id.isEmpty() ? 0 : positiveNumber(options.id, "--id");
            if (!id) {
                const std::vector<TPersonRow> persons = personList(*db);
                if (persons.empty())
                    throw RunError{kNobody, QString::fromUtf8("baza nie zawiera żadnej osoby")};
                id = persons.front().ID;
            }
            const std::shared_ptr<ISQLiteTable> table = person_table::SelectById(*db, id);
            if (table->Count() == 0)
                throw RunError{kNobody, QString::fromUtf8("w bazie nie ma osoby o numerze %1").arg(id)};
            const TPersonRow row = person_table::ReadRow(*table);
            pass = renderer->render(row.texts, passPhoto(row.picture.value_or(QByteArray())), scale);
        });
    }
    // The picture says its own resolution, so that it prints at the pass's size.
    namingFailures(options.database, [&] { writeFileSafely(options.out, picture_export::encodeCard(pass, format, 96 * scale)); });
    return kDone;
}

} // namespace

bool isCommandLineRun(const QStringList& arguments) {
    // The window takes no arguments of its own; the toolkit's start with one dash
    // (-platform, -style). Anything else asks for work without the window, or is a mistake said so.
    for (const QString& argument : arguments)
        if (argument.startsWith(QStringLiteral("--")) || argument == u"-h" || !argument.startsWith(u'-'))
            return true;
    return false;
}

QString commandLineUsage() {
    return QString::fromUtf8(
        "Użycie:\n"
        "  wendolarka                         okno programu\n"
        "  wendolarka --batch WZORZEC.wzo --database OSOBY.db --out PRZEPUSTKI.pdf\n"
        "             [--filter FRAZA] [--ids 1,5,9] [--landscape] [--per-page auto|KxW]\n"
        "             [--cut-marks] [--dpi 300] [--not-printed] [--printed-after RRRR-MM-DD]\n"
        "             [--card [CR80|SZERxWYS] [--bleed]] [--back TYLNA.wzo [--duplex long|short]]\n"
        "             [--strict] [--valid-until RRRR-MM-DD] [--number-from 0001]\n"
        "      przepustki wybranych osób (w kolejności nazwisk), wiele na arkuszu A4,\n"
        "      do pliku PDF; KxW to kolumny x wiersze, np. 2x4; każda zapisana przepustka\n"
        "      trafia do rejestru wydruków w bazie (tabela wydruki)\n"
        "      --card: jedna przepustka na stronie wielkości karty (CR80: 85,6 × 54 mm,\n"
        "      albo szerokość x wysokość w mm, np. 86x54); --bleed: 1 mm spadu za krawędzią\n"
        "      --back: tylna strona z drugiego wzorca, za każdą stroną przodów; na arkuszach\n"
        "      tyły w lustrzanym układzie, tak by przy druku dwustronnym trafiły za swoje przody\n"
        "      --duplex: arkusz obracany po dłuższej (long, domyślnie) albo krótszej (short) krawędzi\n"
        "      --not-printed: tylko osoby bez wydrukowanej przepustki\n"
        "      --printed-after: tylko osoby z przepustką wydrukowaną tego dnia lub później\n"
        "      osoby, których teksty nie mieszczą się w polach albo kody nie dają się\n"
        "      wydrukować, są wypisane przed drukiem;\n"
        "      --strict: wtedy nic nie jest zapisane, a kod wyjścia to 4\n"
        "      --valid-until: data ważności, pole {WaznaDo} w tekstach złożonych i kodach\n"
        "      --number-from: pierwszy numer przepustki, pole {NrPrzepustki}; tyle cyfr,\n"
        "      ile podano (0001: 0001, 0002, …)\n"
        "  wendolarka --export WZORZEC.wzo [--database OSOBY.db [--id N]] --out PRZEPUSTKA.png|jpg|bmp\n"
        "             [--dpi 96|300] [--valid-until RRRR-MM-DD] [--number-from N]\n"
        "      jedna przepustka jako obraz (bez bazy: wzorzec taki, jaki jest)\n"
        "%1"
        "  wendolarka --help                  ten opis\n"
        "\n"
        "Okno nie jest potrzebne: bez ekranu program pracuje sam.\n"
        "--dpi: od 72 do 1200; przepustka ma zawsze co najmniej tyle punktów na cal.\n"
        "Kody wyjścia: 0 gotowe, 1 plik odrzucony lub nie do zapisania, 2 złe argumenty,\n"
        "3 żadna osoba nie pasuje albo nie ma kogo dodać, 4 teksty lub kody się nie mieszczą (--strict).\n")
        .arg(personListUsage());
}

int runCommandLine(const QStringList& arguments, std::FILE* output, std::FILE* errors) {
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(commandLineUsage().toUtf8().constData(), output);
        return kDone;
    }
    if (isPersonListCommand(arguments))
        return runPersonListCommand(arguments, output, errors);
    return reportingFailures(errors, [&] {
        const Options options = parse(arguments);
        return options.mode == u"batch" ? runBatch(options, output, errors) : runExport(options, errors);
    });
}

} // namespace wendolarka
