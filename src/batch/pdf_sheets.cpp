#include "pdf_sheets.h"

#include "core/color.h"
#include "core/image_codecs.h"

#include <QColor>
#include <QIODevice>

#include <cmath>

namespace wendolarka {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

QByteArray number(double value) { return QByteArray::number(value, 'f', 3); }

} // namespace

TPdfSheetWriter::TPdfSheetWriter(QIODevice& out, QSizeF sheetMm)
    : m_out(out), m_sheetMm(sheetMm), m_pageMm(sheetMm), m_fonts([this] { return newObject(); }) {
    write("%PDF-1.6\n%\xE2\xE3\xCF\xD3\n");
}

int TPdfSheetWriter::newObject() { return ++m_lastObject; }

void TPdfSheetWriter::write(const QByteArray& bytes) {
    if (m_out.write(bytes) != bytes.size())
        m_ok = false;
    m_position += bytes.size();
}

void TPdfSheetWriter::beginObject(int object) {
    m_offsets[object] = m_position;
    write(QByteArray::number(object) + " 0 obj\n");
}

double TPdfSheetWriter::x(double mm) const { return mm * kPointsPerMm; }
double TPdfSheetWriter::y(double mm) const { return (m_pageMm.height() - mm) * kPointsPerMm; }

void TPdfSheetWriter::writeObject(int object, const QByteArray& dictionary, const QByteArray& stream) {
    beginObject(object);
    write(dictionary);
    if (!stream.isEmpty()) {
        write("\nstream\n");
        write(stream);
        write("\nendstream");
    }
    write("\nendobj\n");
}

int TPdfSheetWriter::writeRaster(const QByteArray& deflated, QSize pixels) {
    const int object = newObject();
    writeObject(object,
                "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(pixels.width()) + " /Height " +
                    QByteArray::number(pixels.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length " +
                    QByteArray::number(deflated.size()) + " >>",
                deflated);
    return object;
}

int TPdfSheetWriter::jpegObject(const QByteArray& jpeg, QSize pixels, int components) {
    const std::pair<size_t, qsizetype> key{qHash(jpeg, 0x5bd1e995u) ^ (qHash(jpeg) << 1), jpeg.size()};
    const auto known = m_jpegs.find(key);
    if (known != m_jpegs.end())
        return known->second;
    const int object = newObject();
    writeObject(object,
                "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(pixels.width()) + " /Height " +
                    QByteArray::number(pixels.height()) + " /ColorSpace " +
                    (components == 1 ? "/DeviceGray" : "/DeviceRGB") + " /BitsPerComponent 8 /Filter /DCTDecode /Length " +
                    QByteArray::number(jpeg.size()) + " >>",
                jpeg);
    m_jpegs[key] = object;
    return object;
}

void TPdfSheetWriter::placeDocumentPass(const TDocumentPass& pass, int base, const std::vector<TRasterPatch>& patches,
                                        const QRectF& placeMm) {
    if (pass.units.isEmpty())
        return;
    // The pass's own space: its units, y downwards, from its top-left corner.
    const double sx = placeMm.width() * kPointsPerMm / pass.units.width();
    const double sy = placeMm.height() * kPointsPerMm / pass.units.height();
    m_content += "q " + number(sx) + " 0 0 " + number(-sy) + " " + number(x(placeMm.left())) + " " +
                 number(y(placeMm.top())) + " cm 0 0 " + QByteArray::number(pass.units.width()) + " " +
                 QByteArray::number(pass.units.height()) + " re W n\n";
    const auto image = [this](int object, const QRectF& r) {
        m_pagePictures.push_back(object);
        m_content += "q " + number(r.width()) + " 0 0 " + number(-r.height()) + " " + number(r.left()) + " " +
                     number(r.bottom()) + " cm /P" + QByteArray::number(object) + " Do Q\n";
    };
    image(base, QRectF(0, 0, pass.units.width(), pass.units.height()));
    const double unit = 1.0 / pass.scale;
    for (const TRasterPatch& patch : patches)
        image(writeRaster(patch.flate, patch.area.size()),
              QRectF(patch.area.left() * unit, patch.area.top() * unit, patch.area.width() * unit, patch.area.height() * unit));
    for (const TDocumentItem& item : pass.items) {
        m_content += "q " + QByteArray::number(item.clip.Left) + " " + QByteArray::number(item.clip.Top) + " " +
                     QByteArray::number(item.clip.Width()) + " " + QByteArray::number(item.clip.Height()) + " re W n\n";
        if (item.kind == TDocumentItem::Jpeg) {
            const std::optional<TJpegFacts> facts = documentJpegFacts(item.jpeg);
            image(jpegObject(item.jpeg, item.pixels, facts ? facts->components : 3), QRectF(item.dest.toQRect()));
        } else if (item.kind == TDocumentItem::Rects) {
            const QColor colour = toQColor(item.color);
            m_content += number(colour.redF()) + " " + number(colour.greenF()) + " " + number(colour.blueF()) + " rg\n";
            for (const QRectF& r : item.rects)
                m_content += number(r.left()) + " " + number(r.top()) + " " + number(r.width()) + " " + number(r.height()) + " re\n";
            m_content += "f\n";
        } else {
            placeText(item);
        }
        m_content += "Q\n";
    }
    m_content += "Q\n";
}

void TPdfSheetWriter::placeText(const TDocumentItem& text) {
    const QColor colour = toQColor(text.color);
    m_content += number(colour.redF()) + " " + number(colour.greenF()) + " " + number(colour.blueF()) + " rg\n";
    // More than one run, or glyphs not one a character: the text itself goes with them.
    const bool oneEach = text.runs.size() == 1 && text.runs.front().glyphs.size() == text.text.size();
    if (!oneEach) {
        QByteArray utf16 = "FEFF";
        for (const QChar c : text.text)
            utf16 += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        m_content += "/Span << /ActualText <" + utf16 + "> >> BDC\n";
    }
    for (const TDocumentRun& run : text.runs) {
        if (run.glyphs.isEmpty() || run.positions.size() != run.glyphs.size())
            continue;
        const TPdfFonts::Use use = m_fonts.use(run.faceKey, run.glyphs, run.widths, oneEach ? text.text : QString());
        m_pageFonts.insert("/" + use.name + " " + QByteArray::number(use.object) + " 0 R");
        const double size = run.pixelSize;
        const QList<QPointF>& positions = run.positions;
        m_content += "BT /" + use.name + " 1 Tf " + number(size) + " 0 0 " + number(-size) + " " +
                     number(text.origin.x() + positions[0].x()) + " " + number(text.origin.y() + positions[0].y()) +
                     " Tm [<";
        for (qsizetype i = 0; i < run.glyphs.size(); ++i) {
            m_content += QByteArray::number(run.glyphs[i], 16).rightJustified(4, '0');
            if (i + 1 == run.glyphs.size())
                break;
            // Where the reader would put the next glyph, and where the painter did.
            const double advance = (i < run.widths.size() ? run.widths[i] : 0) * size / 1000.0;
            const double gap = positions[i + 1].x() - positions[i].x() - advance;
            const double adjust = std::round(-gap / size * 1000.0 * 10) / 10;
            if (adjust != 0)
                m_content += "> " + number(adjust) + " <";
        }
        m_content += ">] TJ ET\n";
    }
    if (!oneEach)
        m_content += "EMC\n";
}

void TPdfSheetWriter::beginPage(QSizeF pageMm) {
    m_pageMm = pageMm.isEmpty() ? m_sheetMm : pageMm;
    m_content.clear();
    m_pagePictures.clear();
    m_pageFonts.clear();
}

void TPdfSheetWriter::line(QPointF fromMm, QPointF toMm, double widthMm) {
    m_content += "0 G " + number(widthMm * kPointsPerMm) + " w " + number(x(fromMm.x())) + " " + number(y(fromMm.y())) +
                 " m " + number(x(toMm.x())) + " " + number(y(toMm.y())) + " l S\n";
}

void TPdfSheetWriter::endPage() {
    const int contents = newObject();
    const QByteArray packed = deflateBytes(m_content);
    writeObject(contents, "<< /Length " + QByteArray::number(packed.size()) + " /Filter /FlateDecode >>", packed);
    const int page = newObject();
    beginObject(page);
    QByteArray pictures;
    for (const int picture : std::set<int>(m_pagePictures.begin(), m_pagePictures.end()))
        pictures += " /P" + QByteArray::number(picture) + " " + QByteArray::number(picture) + " 0 R";
    QByteArray fonts;
    for (const QByteArray& font : m_pageFonts)
        fonts += " " + font;
    write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(m_pageMm.width() * kPointsPerMm) + " " +
          number(m_pageMm.height() * kPointsPerMm) + "] /Contents " + QByteArray::number(contents) +
          " 0 R /Resources << /XObject <<" + pictures + " >>" + (fonts.isEmpty() ? QByteArray() : " /Font <<" + fonts + " >>") +
          " >> >>\nendobj\n");
    m_pages.push_back(page);
}

void TPdfSheetWriter::finish() {
    // The fonts last, each cut to the glyphs the whole document shows.
    m_fonts.writeAll([this](int object, const QByteArray& dictionary, const QByteArray& stream) {
        writeObject(object, dictionary, stream);
    });
    beginObject(2);
    QByteArray kids;
    for (const int page : m_pages)
        kids += QByteArray::number(page) + " 0 R ";
    write("<< /Type /Pages /Count " + QByteArray::number(static_cast<qsizetype>(m_pages.size())) + " /Kids [" + kids +
          "] >>\nendobj\n");
    beginObject(1);
    write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    const qint64 table = m_position;
    write("xref\n0 " + QByteArray::number(m_lastObject + 1) + "\n0000000000 65535 f \n");
    for (int object = 1; object <= m_lastObject; ++object) {
        const auto at = m_offsets.find(object);
        // Every number is written by now; a gap would be a fault of the caller.
        write(at == m_offsets.end() ? QByteArray("0000000000 65535 f \n")
                                    : QByteArray::number(at->second).rightJustified(10, '0') + " 00000 n \n");
    }
    write("trailer\n<< /Size " + QByteArray::number(m_lastObject + 1) + " /Root 1 0 R >>\nstartxref\n" +
          QByteArray::number(table) + "\n%%EOF\n");
}

} // namespace wendolarka
