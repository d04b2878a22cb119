#pragma once

#include "core/pass_fields.h"
#include "designer/pass_person.h"
#include "core/person.h"
#include "database/person_table.h"
#include "page_plan.h"
#include "pass_document.h"
#include "sheet_layout.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace wendolarka {

class ISQLiteDatabase;
class TPassDesign;
class TPicture;

// Which persons get a pass. With nothing set, everybody.
struct TPersonFilter {
    std::optional<QSet<std::int64_t>> ids;   // these persons only
    QString phrase;                          // a cell matching it, by the grid's search rules
    bool matchCase = false;
    bool wholeWords = false;
    std::optional<QSet<QString>> priorities; // a "Priorytet" among these
    // What the print register answered, as the caller asked it: persons left
    // out (those who hold a pass) and persons kept only (printed since a date).
    std::optional<QSet<std::int64_t>> leftOut;
    std::optional<QSet<std::int64_t>> onlyAmong;
};

// Every person without the photo, in surname order.
std::vector<TPersonRow> personList(ISQLiteDatabase& db);
// The IDs of the persons the filter lets through, in surname order.
std::vector<std::int64_t> choosePersons(const std::vector<TPersonRow>& persons, const TPersonFilter& filter);
std::vector<std::int64_t> choosePersons(ISQLiteDatabase& db, const TPersonFilter& filter);
// Whether one person's texts pass the filter (IDs aside).
bool personMatches(const TPersonTexts& texts, const TPersonFilter& filter);

// A stored photo for a pass; one that cannot be read leaves the pass without one, as in the grid.
TPicture passPhoto(const QByteArray& stored);
// The whole-number scale of a pass drawn with at least `dotsPerInch` (a screen pixel is 1/96 inch).
inline int scaleForDpi(int dotsPerInch) { return std::max(1, (dotsPerInch + 95) / 96); }

// Draws passes from a template, one person at a time, on a design of its own
// with no window: the user's pass window stays as it is.
class TPassRenderer {
public:
    // `templateFile` is the bytes of a *.wzo file; throws the template reader's error.
    // Composed texts and codes are filled in from `run`, the pass number counting
    // from its first by the `passIndex` of each pass.
    explicit TPassRenderer(const QByteArray& templateFile, const TRunFields& run = {});
    ~TPassRenderer();
    QSize passSize() const; // in screen pixels
    // The pass of that person, `scale` times its screen size.
    const QImage& render(const TPersonTexts& texts, const TPicture& photo, int scale, qint64 passIndex = 0);
    // The same into `into`, which is reused when it has the size.
    void render(const TPersonTexts& texts, const TPicture& photo, int scale, QImage& into, qint64 passIndex = 0);
    // The pass of that person for a document: text and JPEG pictures apart from the pixels.
    TDocumentPass document(const TPersonTexts& texts, const TPicture& photo, int scale, bool keepFaces = false,
                           qint64 passIndex = 0);
    // The pass as the template holds it, nobody's data on it.
    const QImage& renderAsDesigned(int scale);
    // The shown labels whose text that person's pass cuts, drawn `scale` times
    // larger, and the shown codes that cannot be made of it.
    QStringList unfitLabels(const TPersonTexts& texts, int scale);
    // What the template's composed texts and codes name that this run cannot fill in.
    TComposedTextProblems composedTextProblems() const;

private:
    std::unique_ptr<TPassDesign> m_design;
    QImage m_card;
};

// A person whose pass would cut a text, and the labels that cut it.
struct TUnfitPerson {
    std::int64_t id = 0;
    QString name;
    QStringList labels;
};
// Those of `persons` (IDs, in their order) whose texts do not fit; throws the template's error.
std::vector<TUnfitPerson> personsWithUnfitTexts(ISQLiteDatabase& db, const QByteArray& templateFile,
                                                const std::vector<std::int64_t>& persons, int scale,
                                                const TRunFields& run = {});
// One line a person: "Agnieszka Kowalska (nr 5): lblImie".
QStringList describeUnfit(const std::vector<TUnfitPerson>& persons);

// The cut marks of a pass at `place` (millimetres): lines beside its corners.
std::vector<std::pair<QPointF, QPointF>> cutMarks(const QRectF& place);

// Answers "go on?" while sheets are made: (passes done, passes in all).
using TBatchProgress = std::function<bool(int done, int total)>;

// What the passes go onto besides the A4 sheet, and what is on their backs.
struct TBatchOptions {
    TSheetOptions sheet;               // cut marks apply to sheets only
    std::optional<TCardOptions> card;  // one pass a page of the card's size instead of sheets
    QByteArray backTemplate;           // the back's *.wzo file; empty: no back
    TDuplex duplex = TDuplex::LongEdge;
    TRunFields run;                    // validity date and pass numbers of the run
};

// Passes for many persons on A4 sheets or cards, each front page followed by its
// back page when there is a back. Pages are made one at a time: only one pass
// picture is held however many persons there are.
class TPassBatch {
public:
    TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
               const TSheetOptions& options);
    // Throws the template reader's error for either template.
    TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
               const TBatchOptions& options);
    ~TPassBatch();

    int passCount() const { return static_cast<int>(m_persons.size()); }
    const std::vector<std::int64_t>& persons() const { return m_persons; }
    // Writes in the print register that every person of the batch got a pass,
    // to be called once the output is out whole. A failure is only said: the
    // returned warning, empty when recorded.
    QString recordPrinted(const QString& templateName, const QString& output);
    // Sheets of paper, or cards: a front page and its back are one.
    int sheetCount() const { return m_plan.sheets; }
    int pageCount() const { return static_cast<int>(m_plan.pages.size()); }
    bool onCards() const { return m_options.card.has_value(); }
    bool hasBack() const { return m_backRenderer != nullptr; }
    const TSheetLayout& layout() const { return m_layout; }
    const TPagePlan& plan() const { return m_plan; }
    // Millimetres every pass is moved by on the page: a printer's calibration.
    void setOffsetMm(QPointF offsetMm) { m_offsetMm = offsetMm; }

    // One page of the plan on a painter whose device has `dotsPerInch` and whose
    // origin is the page's corner; passes drawn `scale` times their screen size.
    // Returns false when the progress answered to stop.
    bool drawPage(QPainter& painter, int page, double dotsPerInch, int scale, const TBatchProgress& progress = {});
    // Every page into a PDF file at `dotsPerInch`. The file appears only when
    // complete: a cancelled or failed run leaves nothing (and an older file as it was).
    // Returns false when cancelled; throws when the file cannot be written.
    bool writePdf(const QString& fileName, int dotsPerInch = 300, const TBatchProgress& progress = {});

private:
    // The index-th person's texts and stored photo, read from the database.
    std::pair<TPersonTexts, QByteArray> readPerson(int index);
    // The one place a pass goes onto a painter: the person's pass from its side's template at its place.
    void drawPass(QPainter& painter, const TPlacedPass& pass, double dotsPerMm, int scale);
    // Passes drawn in all, backs included: what the progress counts.
    int placedCount() const;

    ISQLiteDatabase& m_db;
    QByteArray m_templateFile;
    TPassRenderer m_renderer;
    std::unique_ptr<TPassRenderer> m_backRenderer;
    std::vector<std::int64_t> m_persons;
    TBatchOptions m_options;
    TSheetLayout m_layout;
    TPagePlan m_plan;
    QPointF m_offsetMm;
    int m_done = 0;
};

} // namespace wendolarka
