#include "pass_batch.h"

#include "core/exception.h"
#include "core/picture.h"
#include "core/safe_file.h"
#include "database/person_table.h"
#include "database/print_register.h"
#include "designer/pass_person.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "grid/grid_sorting.h"

#include "core/image_codecs.h"
#include "pdf_sheets.h"

#include <QPainter>
#include <QThread>
#include <QThreadPool>

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

TPassRenderer::TPassRenderer(const QByteArray& templateFile) : m_form(std::make_unique<TForm1>()) {
    m_form->setDrawingOnly(true); // a template saved from a shown window says "Visible"
    pass_template::loadFile(*m_form, templateFile);
    m_form->FormShow(); // the elements as the pass window shows them (a stretched photo); no host to tell
}

TPassRenderer::~TPassRenderer() = default;

QSize TPassRenderer::passSize() const { return m_form->size(); }

const QImage& TPassRenderer::render(const TPersonTexts& texts, const TPicture& photo, int scale) {
    render(texts, photo, scale, m_card);
    return m_card;
}

void TPassRenderer::render(const TPersonTexts& texts, const TPicture& photo, int scale, QImage& into) {
    showPersonOnPass(*m_form, texts, photo);
    m_form->renderCard(into, scale);
}

const QImage& TPassRenderer::renderAsDesigned(int scale) {
    m_form->renderCard(m_card, scale);
    return m_card;
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
    : TPassBatch(db, templateFile, std::move(persons), TBatchOptions{options, {}, {}, TDuplex::LongEdge}) {}

TPassBatch::TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
                       const TBatchOptions& options)
    : m_db(db), m_templateFile(templateFile), m_renderer(templateFile),
      m_backRenderer(options.backTemplate.isEmpty() ? nullptr : std::make_unique<TPassRenderer>(options.backTemplate)),
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

// Windows that draw passes on the encoder threads: one per thread, made here on
// the main thread and never shown (a hidden window's repaint requests end at
// once, so drawing touches nothing the main thread uses). A job takes a free
// one and gives it back.
class TRendererPool {
public:
    TRendererPool(const QByteArray& templateFile, int count) {
        for (int k = 0; k < count; ++k) {
            m_renderers.push_back(std::make_unique<TPassRenderer>(templateFile));
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

void TPassBatch::drawPass(QPainter& painter, const TPlacedPass& pass, double dotsPerMm, int scale, QImage& into) {
    const auto [texts, stored] = readPerson(pass.person);
    (pass.back ? *m_backRenderer : m_renderer).render(texts, passPhoto(stored), scale, into);
    const QRectF mm = pass.placeMm.translated(m_offsetMm);
    painter.drawImage(QRectF(mm.topLeft() * dotsPerMm, mm.size() * dotsPerMm), into);
}

bool TPassBatch::drawPage(QPainter& painter, int page, double dotsPerInch, int scale, const TBatchProgress& progress) {
    const double dotsPerMm = dotsPerInch / 25.4;
    const TPlannedPage& planned = m_plan.pages[static_cast<std::size_t>(page)];
    QImage pass;
    for (const TPlacedPass& placed : planned.passes) {
        if (progress && !progress(m_done, placedCount()))
            return false;
        drawPass(painter, placed, dotsPerMm, scale, pass);
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
class TPdfPassEmitter {
public:
    TPdfPassEmitter(TPdfSheetWriter& pdf, const QByteArray& front, const QByteArray& back, int scale)
        : m_pdf(pdf), m_scale(scale), m_threads(std::max(1, QThread::idealThreadCount())), m_front(front, m_threads) {
        if (!back.isEmpty())
            m_back = std::make_unique<TRendererPool>(back, m_threads);
        m_workers.setMaxThreadCount(m_threads);
    }
    // Nothing may outlive the emitter: the jobs use its pass windows.
    ~TPdfPassEmitter() { drain(); }

    void emitPass(bool back, TPersonTexts texts, QByteArray stored, const QRectF& placeMm) {
        auto promise = std::make_shared<std::promise<Encoded>>();
        Pending job{m_pdf.reservePicture(), promise->get_future()};
        TRendererPool& renderers = back ? *m_back : m_front;
        m_workers.start([promise, &renderers, texts = std::move(texts), stored = std::move(stored), scale = m_scale] {
            try {
                TPassRenderer& renderer = renderers.take();
                struct GiveBack {
                    TRendererPool& pool;
                    TPassRenderer& renderer;
                    ~GiveBack() { pool.giveBack(renderer); }
                } giveBack{renderers, renderer};
                const QImage& pass = renderer.render(texts, passPhoto(stored), scale);
                promise->set_value({encodeJpegFast(pass, 90), pass.size()});
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        });
        m_pdf.placePicture(job.object, placeMm);
        m_pending.push_back(std::move(job));
        while (static_cast<int>(m_pending.size()) > 2 * m_threads)
            writeOldest();
    }
    // Every picture still waiting into the file.
    void finish() {
        while (!m_pending.empty())
            writeOldest();
    }

private:
    struct Encoded {
        QByteArray jpeg;
        QSize pixels;
    };
    struct Pending {
        int object;
        std::future<Encoded> pass;
    };
    void writeOldest() {
        Encoded done = m_pending.front().pass.get();
        m_pdf.writePicture(m_pending.front().object, done.jpeg, done.pixels);
        m_pending.pop_front();
    }
    void drain() {
        for (Pending& waiting : m_pending)
            if (waiting.pass.valid())
                waiting.pass.wait();
    }

    TPdfSheetWriter& m_pdf;
    int m_scale;
    int m_threads;
    TRendererPool m_front;
    std::unique_ptr<TRendererPool> m_back;
    std::deque<Pending> m_pending;
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
        TPdfPassEmitter passes(pdf, m_templateFile, m_options.backTemplate, scale);
        for (const TPlannedPage& page : m_plan.pages) {
            pdf.beginPage(page.sizeMm);
            for (const TPlacedPass& placed : page.passes) {
                if (progress && !progress(m_done, placedCount())) {
                    file.discard();
                    return false;
                }
                auto [texts, stored] = readPerson(placed.person);
                passes.emitPass(placed.back, std::move(texts), std::move(stored), placed.placeMm.translated(m_offsetMm));
                ++m_done;
            }
            if (m_options.sheet.cutMarks && !onCards() && !page.back) // over every pass of the sheet, none covering them
                for (const TPlacedPass& placed : page.passes)
                    for (const auto& [from, to] : cutMarks(placed.placeMm.translated(m_offsetMm)))
                        pdf.line(from, to, kCutMarkWidthMm);
            pdf.endPage();
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
