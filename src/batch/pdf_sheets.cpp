#include "pdf_sheets.h"

#include <QIODevice>

namespace wendolarka {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

QByteArray number(double value) { return QByteArray::number(value, 'f', 3); }

} // namespace

TPdfSheetWriter::TPdfSheetWriter(QIODevice& out, QSizeF sheetMm) : m_out(out), m_sheetMm(sheetMm), m_pageMm(sheetMm) {
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

int TPdfSheetWriter::newObject() { return ++m_lastObject; }

int TPdfSheetWriter::reservePicture() { return newObject(); }

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

void TPdfSheetWriter::writePicture(int object, const QByteArray& jpeg, QSize pixels) {
    beginObject(object);
    write("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(pixels.width()) + " /Height " +
          QByteArray::number(pixels.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode /Length " +
          QByteArray::number(jpeg.size()) + " >>\nstream\n");
    write(jpeg);
    write("\nendstream\nendobj\n");
}

void TPdfSheetWriter::beginPage(QSizeF pageMm) {
    m_pageMm = pageMm.isEmpty() ? m_sheetMm : pageMm;
    m_content.clear();
    m_pagePictures.clear();
}

void TPdfSheetWriter::placePicture(int object, const QRectF& placeMm) {
    m_pagePictures.push_back(object);
    m_content += "q " + number(placeMm.width() * kPointsPerMm) + " 0 0 " + number(placeMm.height() * kPointsPerMm) + " " +
                 number(x(placeMm.left())) + " " + number(y(placeMm.bottom())) + " cm /P" + QByteArray::number(object) +
                 " Do Q\n";
}

void TPdfSheetWriter::line(QPointF fromMm, QPointF toMm, double widthMm) {
    m_content += "0 G " + number(widthMm * kPointsPerMm) + " w " + number(x(fromMm.x())) + " " + number(y(fromMm.y())) +
                 " m " + number(x(toMm.x())) + " " + number(y(toMm.y())) + " l S\n";
}

void TPdfSheetWriter::endPage() {
    const int contents = newObject();
    beginObject(contents);
    write("<< /Length " + QByteArray::number(m_content.size()) + " >>\nstream\n");
    write(m_content);
    write("endstream\nendobj\n");
    const int page = newObject();
    beginObject(page);
    QByteArray pictures;
    for (const int picture : m_pagePictures)
        pictures += " /P" + QByteArray::number(picture) + " " + QByteArray::number(picture) + " 0 R";
    write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(m_pageMm.width() * kPointsPerMm) + " " +
          number(m_pageMm.height() * kPointsPerMm) + "] /Contents " + QByteArray::number(contents) +
          " 0 R /Resources << /XObject <<" + pictures + " >> >> >>\nendobj\n");
    m_pages.push_back(page);
}

void TPdfSheetWriter::finish() {
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
