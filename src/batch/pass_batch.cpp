#include "pass_batch.h"

#include "core/exception.h"
#include "core/picture.h"
#include "database/person_table.h"
#include "designer/pass_person.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "grid/grid_sorting.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace wendolarka {

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
    pass_template::loadFile(*m_form, templateFile);
    m_form->FormShow(); // the elements as the pass window shows them (a stretched photo); no host to tell
}

TPassRenderer::~TPassRenderer() = default;

QSize TPassRenderer::passSize() const { return m_form->size(); }

const QImage& TPassRenderer::render(const TPersonTexts& texts, const TPicture& photo, int scale) {
    showPersonOnPass(*m_form, texts, photo);
    m_form->renderCard(m_card, scale);
    return m_card;
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

void TPassBatch::drawCutMarks(QPainter& painter, const QRectF& place, double dotsPerMm) const {
    // Short lines outside each corner, along both edges, 2 mm off the pass.
    const double gap = 1.0 * dotsPerMm, length = 4.0 * dotsPerMm;
    QPen pen(Qt::black, std::max(1.0, 0.2 * dotsPerMm));
    painter.setPen(pen);
    for (const QPointF corner : {place.topLeft(), place.topRight(), place.bottomLeft(), place.bottomRight()}) {
        const double sx = corner.x() == place.left() ? -1 : 1, sy = corner.y() == place.top() ? -1 : 1;
        painter.drawLine(QPointF(corner.x() + sx * gap, corner.y()), QPointF(corner.x() + sx * (gap + length), corner.y()));
        painter.drawLine(QPointF(corner.x(), corner.y() + sy * gap), QPointF(corner.x(), corner.y() + sy * (gap + length)));
    }
}

bool TPassBatch::drawSheet(QPainter& painter, int sheet, double dotsPerInch, int scale, const TBatchProgress& progress) {
    const double dotsPerMm = dotsPerInch / 25.4;
    const int first = sheet * m_layout.perSheet();
    const int last = std::min(passCount(), first + m_layout.perSheet());
    for (int i = first; i < last; ++i) {
        if (progress && !progress(m_done, passCount()))
            return false;
        const std::shared_ptr<ISQLiteTable> row = person_table::SelectById(m_db, m_persons[static_cast<std::size_t>(i)]);
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
        const QRectF mm = m_layout.places[static_cast<std::size_t>(i - first)];
        const QRectF place(mm.left() * dotsPerMm, mm.top() * dotsPerMm, mm.width() * dotsPerMm, mm.height() * dotsPerMm);
        painter.drawImage(place, m_renderer.render(texts, photo, scale));
        if (m_options.cutMarks)
            drawCutMarks(painter, place, dotsPerMm);
        ++m_done;
    }
    return true;
}

bool TPassBatch::writePdf(const QString& fileName, int dotsPerInch, const TBatchProgress& progress) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("Cannot create file %1").arg(fileName));
    m_done = 0;
    // Passes drawn at the sheet's resolution: every screen pixel is `scale` dots.
    const int scale = std::max(1, (dotsPerInch + 95) / 96); // never below the resolution asked for
    const double dpi = 96.0 * scale;
    {
        QPdfWriter pdf(&file);
        pdf.setCreator(QStringLiteral("Wendolarka"));
        pdf.setTitle(QString::fromUtf8("Przepustki"));
        pdf.setResolution(static_cast<int>(dpi));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      m_options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw Exception(QStringLiteral("Cannot create file %1").arg(fileName));
        for (int sheet = 0; sheet < sheetCount(); ++sheet) {
            if (sheet > 0)
                pdf.newPage();
            if (!drawSheet(painter, sheet, dpi, scale, progress)) {
                painter.end();
                file.cancelWriting();
                return false;
            }
        }
        painter.end();
    }
    if (progress)
        progress(m_done, passCount());
    if (!file.commit())
        throw Exception(QStringLiteral("Cannot create file %1").arg(fileName));
    return true;
}

} // namespace wendolarka
