#include "pass_batch.h"

#include "core/exception.h"
#include "core/picture.h"
#include "database/person_table.h"
#include "designer/pass_person.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "grid/grid_sorting.h"

#include "core/image_codecs.h"
#include "pdf_sheets.h"

#include <QPainter>
#include <QSaveFile>
#include <QThread>
#include <QThreadPool>

#include <deque>
#include <future>

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

std::vector<std::int64_t> choosePersons(ISQLiteDatabase& db, const TPersonFilter& filter) {
    std::vector<std::int64_t> chosen;
    const std::shared_ptr<ISQLiteTable> table = person_table::SelectForGrid(db);
    for (table->First(); !table->AtEnd(); table->Next()) {
        const TPersonRow row = person_table::ReadRow(*table);
        if (filter.ids && !filter.ids->contains(row.ID))
            continue;
        if (personMatches(row.texts, filter))
            chosen.push_back(row.ID);
    }
    return chosen;
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
    : m_db(db), m_renderer(templateFile), m_persons(std::move(persons)), m_options(options),
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

void TPassBatch::renderPass(int index, int scale, QImage& into) {
    const std::shared_ptr<ISQLiteTable> row = person_table::SelectById(m_db, m_persons[static_cast<std::size_t>(index)]);
    TPersonTexts texts;
    TPicture photo;
    if (row->Count() > 0) {
        const TPersonRow person = person_table::ReadRow(*row);
        texts = person.texts;
        // A photo that cannot be read leaves the pass without one, as in the grid.
        if (person.picture && !person.picture->isEmpty()) {
            try {
                photo = TPicture::FromStoredBytes(*person.picture);
            } catch (const Exception&) {
            }
        }
    }
    m_renderer.render(texts, photo, scale, into);
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
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QString::fromUtf8("Nie mogę utworzyć pliku %1.").arg(fileName));
    m_done = 0;
    // Every screen pixel of a pass becomes `scale` x `scale` dots: never below the resolution asked for.
    const int scale = std::max(1, (dotsPerInch + 95) / 96);
    TPdfSheetWriter pdf(file, m_layout.sheetMm);
    // Passes are drawn here, one at a time; their JPEG encoding runs on the other
    // cores meanwhile. A few wait at most, so memory stays flat however many there are.
    struct Pending {
        int object;
        QSize pixels;
        std::future<QByteArray> jpeg;
        std::size_t picture; // the picture being encoded, back to the free ones when done
    };
    std::deque<Pending> pending;
    const int inFlight = std::max(2, 2 * QThread::idealThreadCount());
    // Pictures are drawn into a few reused images: a new 1500 x 800 image per
    // pass would cost more in fresh memory than the drawing itself.
    std::vector<QImage> pictures(static_cast<std::size_t>(inFlight + 1));
    std::vector<std::size_t> freePictures;
    for (std::size_t k = 0; k < pictures.size(); ++k)
        freePictures.push_back(k);
    const auto writeOldest = [&] {
        Pending& oldest = pending.front();
        pdf.writePicture(oldest.object, oldest.jpeg.get(), oldest.pixels);
        freePictures.push_back(oldest.picture);
        pending.pop_front();
    };
    const auto drainAll = [&] {
        // Nothing may outlive this call: the encoders read images of this run.
        for (Pending& waiting : pending)
            if (waiting.jpeg.valid())
                waiting.jpeg.wait();
    };
    // A pool of our own: Qt's global one serves its own image conversions and
    // scaling, which would wait behind our encoders.
    QThreadPool encoders;
    encoders.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    try {
        for (int sheet = 0; sheet < sheetCount(); ++sheet) {
            pdf.beginPage();
            const int first = sheet * m_layout.perSheet();
            const int last = std::min(passCount(), first + m_layout.perSheet());
            for (int i = first; i < last; ++i) {
                if (progress && !progress(m_done, passCount())) {
                    drainAll();
                    file.cancelWriting();
                    return false;
                }
                while (freePictures.empty())
                    writeOldest();
                const std::size_t slot = freePictures.back();
                freePictures.pop_back();
                QImage& picture = pictures[slot];
                renderPass(i, scale, picture);
                auto promise = std::make_shared<std::promise<QByteArray>>();
                Pending job{pdf.reservePicture(), picture.size(), promise->get_future(), slot};
                // The encoder reads the picture; nothing writes to it until its job is done.
                QImage pass = picture;
                encoders.start([promise, pass]() mutable {
                    try {
                        QByteArray jpeg = encodeJpegFast(pass, 90);
                        pass = QImage(); // let go before the picture is drawn on again
                        promise->set_value(std::move(jpeg));
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
        file.cancelWriting();
        throw;
    }
    pdf.finish();
    if (progress)
        progress(m_done, passCount());
    if (!pdf.ok() || !file.commit())
        throw Exception(QString::fromUtf8("Nie mogę zapisać pliku %1 (brak miejsca lub prawa zapisu).").arg(fileName));
    return true;
}

} // namespace wendolarka
