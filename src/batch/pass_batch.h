#pragma once

#include "core/person.h"
#include "database/person_table.h"
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
class TForm1;
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

// Draws passes from a template, one person at a time, on a window of its own
// that is never shown: the user's pass window stays as it is.
class TPassRenderer {
public:
    // `templateFile` is the bytes of a *.wzo file; throws the template reader's error.
    explicit TPassRenderer(const QByteArray& templateFile);
    ~TPassRenderer();
    QSize passSize() const; // in screen pixels
    // The pass of that person, `scale` times its screen size.
    const QImage& render(const TPersonTexts& texts, const TPicture& photo, int scale);
    // The same into `into`, which is reused when it has the size.
    void render(const TPersonTexts& texts, const TPicture& photo, int scale, QImage& into);
    // The pass as the template holds it, nobody's data on it.
    const QImage& renderAsDesigned(int scale);

private:
    std::unique_ptr<TForm1> m_form;
    QImage m_card;
};

// The cut marks of a pass at `place` (millimetres): lines beside its corners.
std::vector<std::pair<QPointF, QPointF>> cutMarks(const QRectF& place);

// Answers "go on?" while sheets are made: (passes done, passes in all).
using TBatchProgress = std::function<bool(int done, int total)>;

// Passes for many persons on A4 sheets. Pages are made one at a time: only one
// pass picture is held however many persons there are.
class TPassBatch {
public:
    TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
               const TSheetOptions& options);
    ~TPassBatch();

    int passCount() const { return static_cast<int>(m_persons.size()); }
    const std::vector<std::int64_t>& persons() const { return m_persons; }
    // Writes in the print register that every person of the batch got a pass,
    // to be called once the output is out whole. A failure is only said: the
    // returned warning, empty when recorded.
    QString recordPrinted(const QString& templateName, const QString& output);
    int sheetCount() const { return m_layout.sheetsFor(passCount()); }
    const TSheetLayout& layout() const { return m_layout; }

    // One sheet on a painter whose device has `dotsPerInch` and whose origin is
    // the sheet's corner; passes drawn `scale` times their screen size. Returns
    // false when the progress answered to stop.
    bool drawSheet(QPainter& painter, int sheet, double dotsPerInch, int scale, const TBatchProgress& progress = {});
    // Every sheet into a PDF file at `dotsPerInch`. The file appears only when
    // complete: a cancelled or failed run leaves nothing (and an older file as it was).
    // Returns false when cancelled; throws when the file cannot be written.
    bool writePdf(const QString& fileName, int dotsPerInch = 300, const TBatchProgress& progress = {});

private:
    // The index-th person's texts and stored photo, read from the database.
    std::pair<TPersonTexts, QByteArray> readPerson(int index);
    // The pass of the index-th person, `scale` times its screen size, into `into`.
    void renderPass(int index, int scale, QImage& into);

    ISQLiteDatabase& m_db;
    QByteArray m_templateFile;
    TPassRenderer m_renderer;
    std::vector<std::int64_t> m_persons;
    TSheetOptions m_options;
    TSheetLayout m_layout;
    int m_done = 0;
};

} // namespace wendolarka
