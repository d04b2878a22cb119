#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <map>
#include <vector>

class QIODevice;

namespace wendolarka {

// A PDF of sheets holding JPEG pictures and thin lines, written as it goes:
// a picture's bytes go out as soon as they are given, so a document of any
// length holds only what one page needs. Places are in millimetres from the
// page's top-left corner. Object numbers of pictures can be taken before the
// pictures exist, so they may be made elsewhere and come later.
class TPdfSheetWriter {
public:
    TPdfSheetWriter(QIODevice& out, QSizeF sheetMm);

    // A number for a picture whose bytes come later through writePicture.
    int reservePicture();
    void writePicture(int object, const QByteArray& jpeg, QSize pixels);

    // A page of the writer's sheet size, or of its own.
    void beginPage(QSizeF pageMm = QSizeF());
    void placePicture(int object, const QRectF& placeMm);
    void line(QPointF fromMm, QPointF toMm, double widthMm);
    void endPage();
    // The page tree, catalogue and cross-reference table; every reserved picture must be written.
    void finish();
    // Whether every byte went out.
    bool ok() const { return m_ok; }

private:
    int newObject();
    void beginObject(int object);
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
};

} // namespace wendolarka
