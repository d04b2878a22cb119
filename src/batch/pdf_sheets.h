#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include "pass_document.h"
#include "pdf_fonts.h"

#include <map>
#include <set>
#include <vector>

class QIODevice;

namespace wendolarka {

// A PDF of sheets holding passes (their text as text, their JPEG pictures as
// the files' own bytes, the rest lossless) and thin lines, written as it goes:
// a picture's bytes go out as soon as they are given, so a document of any
// length holds only what one page needs. Places are in millimetres from the
// page's top-left corner. The fonts go out at the end, cut to the glyphs the
// whole document shows.
class TPdfSheetWriter {
public:
    TPdfSheetWriter(QIODevice& out, QSizeF sheetMm);


    // A page of the writer's sheet size, or of its own.
    void beginPage(QSizeF pageMm = QSizeF());
    // A picture of pixels without loss (deflated RGB rows), for placeDocumentPass.
    int writeRaster(const QByteArray& deflated, QSize pixels);
    // A pass drawn for a document at `placeMm`: the raster `base` (from
    // writeRaster) with the patches over it, then its pictures and text.
    void placeDocumentPass(const TDocumentPass& pass, int base, const std::vector<TRasterPatch>& patches,
                           const QRectF& placeMm);
    void line(QPointF fromMm, QPointF toMm, double widthMm);
    void endPage();
    // The fonts, page tree, catalogue and cross-reference table.
    void finish();
    // Whether every byte went out.
    bool ok() const { return m_ok; }

private:
    int newObject();
    void beginObject(int object);
    void writeObject(int object, const QByteArray& dictionary, const QByteArray& stream);
    int jpegObject(const QByteArray& jpeg, QSize pixels, int components);
    void placeText(const TDocumentItem& text);
    void write(const QByteArray& bytes);
    double x(double mm) const;
    double y(double mm) const;

    QIODevice& m_out;
    QSizeF m_sheetMm;
    QSizeF m_pageMm; // the open page's
    qint64 m_position = 0;
    bool m_ok = true;
    int m_lastObject = 2; // 1 the catalogue, 2 the page tree
    std::map<int, qint64> m_offsets;
    std::vector<int> m_pages;
    QByteArray m_content;
    std::vector<int> m_pagePictures;
    std::set<QByteArray> m_pageFonts; // "/F1 5 0 R"
    TPdfFonts m_fonts;
    // JPEG files already in the document, by their bytes' hash: a fixed
    // picture on every pass is there once.
    std::map<std::pair<size_t, qsizetype>, int> m_jpegs;
};

} // namespace wendolarka
