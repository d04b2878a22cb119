#include "pass_batch.h"

#include "core/exception.h"
#include "core/picture.h"
#include "core/safe_file.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "designer/pass_person.h"
#include "designer/pass_template.h"
#include "designer/pass_design.h"
#include "controls/barcode.h"
#include "controls/label.h"
#include "grid/grid_sorting.h"

#include "core/image_codecs.h"
#include "pass_document.h"
#include "pdf_sheets.h"

#include <QHash>
#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include <array>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>

#include <cmath>

namespace wendolarka {
namespace {

constexpr double kCutMarkWidthMm = 0.25;

} // namespace


bool personMatches(const TPersonTexts& texts, const TPersonFilter& filter) {
    if (filter.priorities && !filter.priorities->contains(texts[3].trimmed()))
        return false;
    if (filter.phrase.isEmpty())
        return true;
    // The grid's own rules: a part of a cell or the whole cell, with or without case.
    grid_rules::CellMatcher matcher;
    matcher.keyType = filter.matchCase ? soStringCaseSensitive : soString;
    matcher.substring = !filter.wholeWords;
    matcher.text = matcher.substring && !filter.matchCase ? grid_rules::searchFold(filter.phrase) : filter.phrase;
    for (const QString& cell : texts)
        if (matcher.matches(cell))
            return true;
    return false;
}

std::vector<TPersonRow> personList(ISQLiteDatabase& db) {
    std::vector<TPersonRow> persons;
    const std::shared_ptr<ISQLiteTable> table = person_table::SelectForGrid(db);
    for (table->First(); !table->AtEnd(); table->Next())
        persons.push_back(person_table::ReadRow(*table));
    return persons;
}

std::vector<std::int64_t> choosePersons(const std::vector<TPersonRow>& persons, const TPersonFilter& filter) {
    std::vector<std::int64_t> chosen;
    for (const TPersonRow& row : persons)
        if ((!filter.ids || filter.ids->contains(row.ID)) && (!filter.leftOut || !filter.leftOut->contains(row.ID)) &&
            (!filter.onlyAmong || filter.onlyAmong->contains(row.ID)) && personMatches(row.texts, filter))
            chosen.push_back(row.ID);
    return chosen;
}

std::vector<std::int64_t> choosePersons(ISQLiteDatabase& db, const TPersonFilter& filter) {
    return choosePersons(personList(db), filter);
}

TPassRenderer::TPassRenderer(const QByteArray& templateFile, const TRunFields& run)
    : m_design(std::make_unique<TPassDesign>()) {
    m_design->setRunFields(run);
    pass_template::loadFile(*m_design, templateFile);
    m_design->applyShownStyles(); // the elements as the pass window shows them (a stretched photo)
}

TPassRenderer::~TPassRenderer() = default;

QSize TPassRenderer::passSize() const { return m_design->clientSize(); }

const QImage& TPassRenderer::render(const TPersonTexts& texts, const TPicture& photo, int scale, qint64 passIndex) {
    render(texts, photo, scale, m_card, passIndex);
    return m_card;
}

void TPassRenderer::render(const TPersonTexts& texts, const TPicture& photo, int scale, QImage& into, qint64 passIndex) {
    showPersonOnPass(*m_design, texts, photo, passIndex);
    m_design->renderCard(into, scale);
}

TDocumentPass TPassRenderer::document(const TPersonTexts& texts, const TPicture& photo, int scale, bool keepFaces,
                                      qint64 passIndex) {
    showPersonOnPass(*m_design, texts, photo, passIndex);
    return drawForDocument(*m_design, scale, keepFaces);
}

const QImage& TPassRenderer::renderAsDesigned(int scale) {
    m_design->renderCard(m_card, scale);
    return m_card;
}

QStringList TPassRenderer::unfitLabels(const TPersonTexts& texts, int scale) {
    showPersonOnPass(*m_design, texts, TPicture());
    QStringList labels;
    for (const TLabel* label : m_design->textLabels())
        if (label && label->Visible() && !label->TextFits(scale))
            labels << label->Name();
    // A code said with why: an empty field prints no code, and a text it cannot hold prints the reason.
    for (const TControl* element : m_design->client().Controls()) {
        const auto* code = dynamic_cast<const TBarcode*>(element);
        if (!code || !code->Visible())
            continue;
        if (code->CodedText().isEmpty())
            labels << QStringLiteral("%1 (brak tekstu do zakodowania)").arg(code->Name());
        else if (!code->CodeError().isEmpty())
            labels << QStringLiteral("%1 (%2)").arg(code->Name(), code->CodeError());
        else if (!code->CodeFits(scale))
            labels << QString::fromUtf8("%1 (kod się nie mieści)").arg(code->Name());
    }
    return labels;
}

TComposedTextProblems TPassRenderer::composedTextProblems() const { return wendolarka::composedTextProblems(*m_design); }

std::vector<TUnfitPerson> personsWithUnfitTexts(ISQLiteDatabase& db, const QByteArray& templateFile,
                                                const std::vector<std::int64_t>& persons, int scale, const TRunFields& run) {
    TPassRenderer renderer(templateFile, run);
    QHash<std::int64_t, TPersonTexts> texts;
    for (TPersonRow& row : personList(db))
        texts.insert(row.ID, std::move(row.texts));
    std::vector<TUnfitPerson> unfit;
    for (const std::int64_t id : persons) {
        const TPersonTexts& person = texts[id];
        QStringList labels = renderer.unfitLabels(person, scale);
        if (!labels.isEmpty())
            unfit.push_back({id, (person[1].trimmed() + u' ' + person[2].trimmed()).trimmed(), std::move(labels)});
    }
    return unfit;
}

QStringList describeUnfit(const std::vector<TUnfitPerson>& persons) {
    QStringList lines;
    for (const TUnfitPerson& person : persons)
        lines << QStringLiteral("%1 (nr %2): %3").arg(person.name).arg(person.id).arg(person.labels.join(QStringLiteral(", ")));
    return lines;
}

namespace {

TSheetLayout layoutFor(QSize passPixels, const TBatchOptions& options) {
    return options.card ? computeCardLayout(passPixels, *options.card) : computeSheetLayout(passPixels, options.sheet);
}

std::optional<QSizeF> passMm(const TPassRenderer* renderer) {
    if (!renderer)
        return std::nullopt;
    return QSizeF(renderer->passSize()) * (25.4 / 96);
}

} // namespace

TPassBatch::TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
                       const TSheetOptions& options)
    : TPassBatch(db, templateFile, std::move(persons), TBatchOptions{options, {}, {}, TDuplex::LongEdge, {}}) {}

TPassBatch::TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
                       const TBatchOptions& options)
    : m_db(db), m_templateFile(templateFile), m_renderer(templateFile, options.run),
      m_backRenderer(options.backTemplate.isEmpty() ? nullptr
                                                    : std::make_unique<TPassRenderer>(options.backTemplate, options.run)),
      m_persons(std::move(persons)), m_options(options), m_layout(layoutFor(m_renderer.passSize(), options)),
      m_plan(planPages(passCount(), m_layout, passMm(m_backRenderer.get()), options.duplex)) {}

int TPassBatch::placedCount() const { return m_backRenderer ? 2 * passCount() : passCount(); }

TPassBatch::~TPassBatch() = default;

std::vector<std::pair<QPointF, QPointF>> cutMarks(const QRectF& place) {
    // Short lines beside each corner, along both edges, a millimetre off the pass.
    constexpr double gap = 1.0, length = 4.0;
    std::vector<std::pair<QPointF, QPointF>> marks;
    for (const QPointF corner : {place.topLeft(), place.topRight(), place.bottomLeft(), place.bottomRight()}) {
        const double sx = corner.x() == place.left() ? -1 : 1, sy = corner.y() == place.top() ? -1 : 1;
        marks.emplace_back(QPointF(corner.x() + sx * gap, corner.y()), QPointF(corner.x() + sx * (gap + length), corner.y()));
        marks.emplace_back(QPointF(corner.x(), corner.y() + sy * gap), QPointF(corner.x(), corner.y() + sy * (gap + length)));
    }
    return marks;
}

std::pair<TPersonTexts, QByteArray> TPassBatch::readPerson(int index) {
    const std::shared_ptr<ISQLiteTable> row = person_table::SelectById(m_db, m_persons[static_cast<std::size_t>(index)]);
    if (row->Count() == 0)
        return {};
    TPersonRow person = person_table::ReadRow(*row);
    return {person.texts, person.picture.value_or(QByteArray())};
}

TPicture passPhoto(const QByteArray& stored) {
    if (stored.isEmpty())
        return {};
    try {
        return TPicture::FromStoredBytes(stored);
    } catch (const Exception&) {
        return {};
    }
}

namespace {

// Designs that draw passes on the encoder threads: one per thread, since a
// design is filled with one person at a time. A job takes a free one and gives it back.
class TRendererPool {
public:
    TRendererPool(const QByteArray& templateFile, const TRunFields& run, int count) {
        for (int k = 0; k < count; ++k) {
            m_renderers.push_back(std::make_unique<TPassRenderer>(templateFile, run));
            m_free.push_back(m_renderers.back().get());
        }
    }
    TPassRenderer& take() {
        std::unique_lock lock(m_mutex);
        m_available.wait(lock, [this] { return !m_free.empty(); });
        TPassRenderer* renderer = m_free.back();
        m_free.pop_back();
        return *renderer;
    }
    void giveBack(TPassRenderer& renderer) {
        {
            std::lock_guard lock(m_mutex);
            m_free.push_back(&renderer);
        }
        m_available.notify_one();
    }

private:
    std::vector<std::unique_ptr<TPassRenderer>> m_renderers;
    std::vector<TPassRenderer*> m_free;
    std::mutex m_mutex;
    std::condition_variable m_available;
};

} // namespace

QString TPassBatch::recordPrinted(const QString& templateName, const QString& output) {
    return print_register::RecordOrWarn(m_db, m_persons, templateName, output);
}

void TPassBatch::drawPass(QPainter& painter, const TPlacedPass& pass, double dotsPerMm, int scale) {
    const auto [texts, stored] = readPerson(pass.person);
    // As in the PDF: a printer that keeps text (a PDF or PostScript queue) gets text.
    const TDocumentPass drawn =
        (pass.back ? *m_backRenderer : m_renderer).document(texts, passPhoto(stored), scale, true, pass.person);
    const QRectF mm = pass.placeMm.translated(m_offsetMm);
    paintDocumentPass(painter, drawn, QRectF(mm.topLeft() * dotsPerMm, mm.size() * dotsPerMm));
}

bool TPassBatch::drawPage(QPainter& painter, int page, double dotsPerInch, int scale, const TBatchProgress& progress) {
    const double dotsPerMm = dotsPerInch / 25.4;
    const TPlannedPage& planned = m_plan.pages[static_cast<std::size_t>(page)];
    for (const TPlacedPass& placed : planned.passes) {
        if (progress && !progress(m_done, placedCount()))
            return false;
        drawPass(painter, placed, dotsPerMm, scale);
        ++m_done;
    }
    if (m_options.sheet.cutMarks && !onCards() && !planned.back) {
        // After every pass: with no gap a neighbour would cover the marks between them.
        painter.setPen(QPen(Qt::black, std::max(1.0, kCutMarkWidthMm * dotsPerMm)));
        for (const TPlacedPass& placed : planned.passes)
            for (const auto& [from, to] : cutMarks(placed.placeMm.translated(m_offsetMm)))
                painter.drawLine(from * dotsPerMm, to * dotsPerMm);
    }
    return true;
}

namespace {

// The one place a pass goes into the PDF: the person's pass from one side's
// template, drawn and encoded on a pool of threads of our own (Qt's global pool
// serves its own image work), each thread with its own pass window per side,
// and placed at its place on the open page. A few passes wait at most, so
// memory stays flat however many persons there are.
// Passes into a PDF as documents: drawn on a pool of threads of our own (Qt's
// global pool serves its own image work), each thread with its own design,
// and written in their order. A page goes out once its passes are drawn; a
// few passes wait at most, so memory stays flat however many persons there are.
class TPdfPassEmitter {
public:
    TPdfPassEmitter(TPdfSheetWriter& pdf, const QByteArray& front, const QByteArray& back, const TRunFields& run, int scale)
        : m_pdf(pdf), m_scale(scale), m_threads(std::max(1, QThread::idealThreadCount())) {
        m_sides[0].pool = std::make_unique<TRendererPool>(front, run, m_threads);
        if (!back.isEmpty())
            m_sides[1].pool = std::make_unique<TRendererPool>(back, run, m_threads);
        for (Side& side : m_sides)
            if (side.pool) {
                // The pixels every pass of a side shares, once in the file; a pass adds only where it differs.
                TPassRenderer& renderer = side.pool->take();
                auto base = std::make_shared<QImage>(renderer.document({}, {}, m_scale).raster);
                side.pool->giveBack(renderer);
                side.baseObject = m_pdf.writeRaster(deflateRgb(*base, base->rect()), base->size());
                side.base = std::move(base);
            }
        m_workers.setMaxThreadCount(m_threads);
    }
    // Nothing may outlive the emitter: the jobs use its designs.
    ~TPdfPassEmitter() { drain(); }

    void beginPage(QSizeF pageMm) { m_pages.push_back({pageMm, {}, {}}); }

    void emitPass(bool back, qint64 passIndex, TPersonTexts texts, QByteArray stored, const QRectF& placeMm) {
        auto promise = std::make_shared<std::promise<Drawn>>();
        m_pages.back().passes.push_back({back, placeMm, promise->get_future()});
        Side& side = m_sides[back ? 1 : 0];
        m_workers.start([promise, &side, passIndex, texts = std::move(texts), stored = std::move(stored), scale = m_scale] {
            try {
                TPassRenderer& renderer = side.pool->take();
                struct GiveBack {
                    TRendererPool& pool;
                    TPassRenderer& renderer;
                    ~GiveBack() { pool.giveBack(renderer); }
                } giveBack{*side.pool, renderer};
                Drawn drawn{renderer.document(texts, passPhoto(stored), scale, false, passIndex), {}};
                drawn.patches = patchesOver(*side.base, drawn.pass.raster);
                drawn.pass.raster = QImage(); // what differs is in the patches
                promise->set_value(std::move(drawn));
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        });
        ++m_waiting;
        while (m_waiting > 2 * m_threads && m_pages.size() > 1)
            writeOldestPage();
    }
    void line(QPointF fromMm, QPointF toMm, double widthMm) { m_pages.back().lines.push_back({fromMm, toMm, widthMm}); }
    // The page is complete; it goes out when its passes are drawn.
    void endPage() {
        while (m_waiting > 2 * m_threads && !m_pages.empty())
            writeOldestPage();
    }
    // Every page still waiting into the file.
    void finish() {
        while (!m_pages.empty())
            writeOldestPage();
    }

private:
    struct Drawn {
        TDocumentPass pass;
        std::vector<TRasterPatch> patches;
    };
    struct PendingPass {
        bool back;
        QRectF placeMm;
        std::future<Drawn> drawn;
    };
    struct Line {
        QPointF from, to;
        double widthMm;
    };
    struct PendingPage {
        QSizeF sizeMm;
        std::vector<PendingPass> passes;
        std::vector<Line> lines;
    };
    struct Side {
        std::unique_ptr<TRendererPool> pool;
        std::shared_ptr<const QImage> base;
        int baseObject = 0;
    };
    void writeOldestPage() {
        PendingPage& page = m_pages.front();
        m_pdf.beginPage(page.sizeMm);
        for (PendingPass& pass : page.passes) {
            const Drawn drawn = pass.drawn.get();
            --m_waiting;
            m_pdf.placeDocumentPass(drawn.pass, m_sides[pass.back ? 1 : 0].baseObject, drawn.patches, pass.placeMm);
        }
        for (const Line& mark : page.lines)
            m_pdf.line(mark.from, mark.to, mark.widthMm);
        m_pdf.endPage();
        m_pages.pop_front();
    }
    void drain() {
        for (PendingPage& page : m_pages)
            for (PendingPass& pass : page.passes)
                if (pass.drawn.valid())
                    pass.drawn.wait();
    }

    TPdfSheetWriter& m_pdf;
    int m_scale;
    int m_threads;
    std::array<Side, 2> m_sides;
    std::deque<PendingPage> m_pages;
    int m_waiting = 0;
    QThreadPool m_workers; // last: its threads end before the pools they use
};

} // namespace

bool TPassBatch::writePdf(const QString& fileName, int dotsPerInch, const TBatchProgress& progress) {
    TSafeFile file(fileName);
    file.open();
    m_done = 0;
    // Every screen pixel of a pass becomes `scale` x `scale` dots: never below the resolution asked for.
    const int scale = scaleForDpi(dotsPerInch);
    TPdfSheetWriter pdf(file, m_layout.sheetMm);
    try {
        TPdfPassEmitter passes(pdf, m_templateFile, m_options.backTemplate, m_options.run, scale);
        for (const TPlannedPage& page : m_plan.pages) {
            passes.beginPage(page.sizeMm);
            for (const TPlacedPass& placed : page.passes) {
                if (progress && !progress(m_done, placedCount())) {
                    file.discard();
                    return false;
                }
                auto [texts, stored] = readPerson(placed.person);
                passes.emitPass(placed.back, placed.person, std::move(texts), std::move(stored),
                                placed.placeMm.translated(m_offsetMm));
                ++m_done;
            }
            if (m_options.sheet.cutMarks && !onCards() && !page.back) // over every pass of the sheet, none covering them
                for (const TPlacedPass& placed : page.passes)
                    for (const auto& [from, to] : cutMarks(placed.placeMm.translated(m_offsetMm)))
                        passes.line(from, to, kCutMarkWidthMm);
            passes.endPage();
        }
        passes.finish();
    } catch (...) {
        file.discard();
        throw;
    }
    pdf.finish();
    if (progress)
        progress(m_done, placedCount());
    file.commit(); // says why when a write failed, keeping the old file
    return true;
}

} // namespace wendolarka
