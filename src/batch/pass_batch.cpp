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

TPassBatch::TPassBatch(ISQLiteDatabase& db, const QByteArray& templateFile, std::vector<std::int64_t> persons,
                       const TSheetOptions& options)
    : m_db(db), m_templateFile(templateFile), m_renderer(templateFile), m_persons(std::move(persons)), m_options(options),
      m_layout(computeSheetLayout(m_renderer.passSize(), options)) {}

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

void TPassBatch::renderPass(int index, int scale, QImage& into) {
    const auto [texts, stored] = readPerson(index);
    m_renderer.render(texts, passPhoto(stored), scale, into);
}

bool TPassBatch::drawSheet(QPainter& painter, int sheet, double dotsPerInch, int scale, const TBatchProgress& progress) {
    const double dotsPerMm = dotsPerInch / 25.4;
    const int first = sheet * m_layout.perSheet();
    const int last = std::min(passCount(), first + m_layout.perSheet());
    QImage pass;
    for (int i = first; i < last; ++i) {
        if (progress && !progress(m_done, passCount()))
            return false;
        const QRectF mm = m_layout.places[static_cast<std::size_t>(i - first)];
        renderPass(i, scale, pass);
        painter.drawImage(QRectF(mm.topLeft() * dotsPerMm, mm.size() * dotsPerMm), pass);
        ++m_done;
    }
    if (m_options.cutMarks) {
        // After every pass: with no gap a neighbour would cover the marks between them.
        painter.setPen(QPen(Qt::black, std::max(1.0, kCutMarkWidthMm * dotsPerMm)));
        for (int i = first; i < last; ++i)
            for (const auto& [from, to] : cutMarks(m_layout.places[static_cast<std::size_t>(i - first)]))
                painter.drawLine(from * dotsPerMm, to * dotsPerMm);
    }
    return true;
}

bool TPassBatch::writePdf(const QString& fileName, int dotsPerInch, const TBatchProgress& progress) {
    TSafeFile file(fileName);
    file.open();
    m_done = 0;
    // Every screen pixel of a pass becomes `scale` x `scale` dots: never below the resolution asked for.
    const int scale = scaleForDpi(dotsPerInch);
    TPdfSheetWriter pdf(file, m_layout.sheetMm);
    // The database is read here; drawing and JPEG encoding run on a pool of
    // threads of our own (Qt's global pool serves its own image work), each
    // thread with its own pass window. A few passes wait at most, so memory
    // stays flat however many persons there are.
    struct Encoded {
        QByteArray jpeg;
        QSize pixels;
    };
    struct Pending {
        int object;
        std::future<Encoded> pass;
    };
    std::deque<Pending> pending;
    const int threads = std::max(1, QThread::idealThreadCount());
    const int inFlight = 2 * threads;
    TRendererPool renderers(m_templateFile, threads);
    QThreadPool workers;
    workers.setMaxThreadCount(threads);
    const auto writeOldest = [&] {
        Encoded done = pending.front().pass.get();
        pdf.writePicture(pending.front().object, done.jpeg, done.pixels);
        pending.pop_front();
    };
    const auto drainAll = [&] {
        // Nothing may outlive this call: the jobs use the pass windows of this run.
        for (Pending& waiting : pending)
            if (waiting.pass.valid())
                waiting.pass.wait();
    };
    try {
        for (int sheet = 0; sheet < sheetCount(); ++sheet) {
            pdf.beginPage();
            const int first = sheet * m_layout.perSheet();
            const int last = std::min(passCount(), first + m_layout.perSheet());
            for (int i = first; i < last; ++i) {
                if (progress && !progress(m_done, passCount())) {
                    drainAll();
                    file.discard();
                    return false;
                }
                auto [texts, stored] = readPerson(i);
                auto promise = std::make_shared<std::promise<Encoded>>();
                Pending job{pdf.reservePicture(), promise->get_future()};
                workers.start([promise, &renderers, texts = std::move(texts), stored = std::move(stored), scale] {
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
                pdf.placePicture(job.object, m_layout.places[static_cast<std::size_t>(i - first)]);
                pending.push_back(std::move(job));
                while (static_cast<int>(pending.size()) > inFlight)
                    writeOldest();
                ++m_done;
            }
            if (m_options.cutMarks) // over every pass of the sheet, none covering them
                for (int i = first; i < last; ++i)
                    for (const auto& [from, to] : cutMarks(m_layout.places[static_cast<std::size_t>(i - first)]))
                        pdf.line(from, to, kCutMarkWidthMm);
            pdf.endPage();
        }
        while (!pending.empty())
            writeOldest();
    } catch (...) {
        drainAll();
        file.discard();
        throw;
    }
    pdf.finish();
    if (progress)
        progress(m_done, passCount());
    file.commit(); // says why when a write failed, keeping the old file
    return true;
}

} // namespace wendolarka
