#pragma once

// Private to the metafile player: bounds-checked bytes, the device context that
// enhanced and placeable metafiles both drive, and the drawing it turns into.

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QtEndian>

#include <bit>
#include <vector>

namespace wendolarka::metafile {

// A window on bytes from outside. Reads past the end give 0; a caller asks
// has() before it trusts a count or an offset.
class Bytes {
public:
    Bytes() = default;
    Bytes(const uchar* data, qint64 size) : m_data(data), m_size(data ? size : 0) {}

    qint64 size() const { return m_size; }
    bool has(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= m_size && length <= m_size - offset;
    }
    Bytes sub(qint64 offset, qint64 length) const {
        return has(offset, length) && length > 0 ? Bytes(m_data + offset, length) : Bytes();
    }
    Bytes from(qint64 offset) const { return has(offset, 0) ? sub(offset, m_size - offset) : Bytes(); }

    quint8 u8(qint64 at) const { return has(at, 1) ? m_data[at] : 0; }
    quint16 u16(qint64 at) const { return has(at, 2) ? qFromLittleEndian<quint16>(m_data + at) : 0; }
    qint16 i16(qint64 at) const { return static_cast<qint16>(u16(at)); }
    quint32 u32(qint64 at) const { return has(at, 4) ? qFromLittleEndian<quint32>(m_data + at) : 0; }
    qint32 i32(qint64 at) const { return static_cast<qint32>(u32(at)); }
    float f32(qint64 at) const { return std::bit_cast<float>(u32(at)); }
    const char* chars(qint64 at) const { return reinterpret_cast<const char*>(m_data + at); }

private:
    const uchar* m_data = nullptr;
    qint64 m_size = 0;
};

// The numbers GDI stores in the files.
enum MapMode {
    MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC, MM_ANISOTROPIC
};
enum TextAlign : quint32 { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum TextOption : quint32 { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000 };
enum RegionMode { RGN_AND = 1, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY };
enum Rop2 { R2_BLACK = 1, R2_NOTCOPYPEN = 4, R2_NOT = 6, R2_XORPEN = 7, R2_MASKPEN = 9, R2_NOTXORPEN = 10,
            R2_NOP = 11, R2_COPYPEN = 13, R2_MERGEPEN = 15, R2_WHITE = 16 };

struct LogPen {
    Qt::PenStyle style = Qt::SolidLine;
    QColor color = Qt::black;
    qreal width = 0; // logical units; 0 is one device pixel
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
};

struct LogFont {
    qint32 height = 16;   // < 0 character height, > 0 cell height, logical units
    qint32 weight = 700;
    qint32 escapement = 0; // tenths of a degree, anticlockwise
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face = QStringLiteral("MS Sans Serif");
};

struct GdiObject {
    enum class Kind { Empty, Pen, Brush, Font, Other };
    Kind kind = Kind::Empty;
    LogPen pen;
    QBrush brush;
    LogFont font;
};

struct DcState {
    int mapMode = MM_TEXT;
    QPointF windowOrg;
    QPointF windowExt{1, 1};
    QPointF viewportOrg;
    QPointF viewportExt{1, 1};
    QTransform world;
    LogPen pen;
    QBrush brush{Qt::white};
    LogFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    bool opaqueBackground = true;
    quint32 textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    int rop2 = R2_COPYPEN;
    QPointF current;
    QPainterPath clip; // in target coordinates, when clipped
    bool clipped = false;
};

// 0x00BBGGRR.
QColor colorRef(quint32 value);
LogPen makePen(quint32 style, qreal width, const QColor& color, bool extended);
QBrush makeBrush(quint32 style, const QColor& color, quint32 hatch);
// The standard objects a file selects without creating them (the low bits of 0x8000000n).
void selectStockObject(DcState& dc, quint32 index);

struct Dib {
    QImage image;          // null when refused
    bool bottomUp = true;
    qint64 height = 0;     // rows of the whole bitmap, when `image` holds fewer
};
// A device-independent bitmap: header and colour table in `info`, rows in `bits`.
// `rows` limits the rows stored (a strip of a taller bitmap); < 0 means all.
Dib decodeDib(const Bytes& info, const Bytes& bits, bool paletteIndices, qint64 rows = -1);
// The same with the rows straight after the colour table.
Dib decodePackedDib(const Bytes& dib, bool paletteIndices, qint64 rows = -1);

// Turns the records' calls into painting. Coordinates are logical units of the
// file; the device units of the file are placed on the painter by `deviceToTarget`.
class Player {
public:
    Player(QPainter& painter, const QTransform& deviceToTarget, QSizeF deviceUnitsPerMm, const DcState& initial);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    DcState& dc() { return m_dc; }
    void setWorldTransform(const QTransform& world);

    void save();
    void restore(qint32 which);

    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polyBezier(const QPolygonF& points);
    void polyBezierTo(const QPolygonF& points);
    void polygons(const std::vector<QPolygonF>& list);
    void polylines(const std::vector<QPolygonF>& lines);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, Chord, Pie, ArcTo };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void setPixel(QPointF p, const QColor& color);

    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void drawPath(bool fill, bool stroke);
    void selectClipPath(int mode);

    void intersectClip(const QRectF& box);
    void excludeClip(const QRectF& box);
    void resetClip();
    // Rectangles in the file's device units, combined by a region mode.
    void clipToDeviceRects(const std::vector<QRectF>& rects, int mode);

    // `advances` are logical units per UTF-16 unit, or empty for the font's own.
    void text(QPointF reference, const QString& string, const std::vector<qreal>& advances, quint32 options,
              const QRectF& box);
    // `source` in pixels of `image`, top row first. A raster operation without a
    // source fills `dest` and needs no image.
    void bitBlt(const QImage& image, const QRectF& dest, const QRectF& source, quint32 rop);

private:
    QTransform pageTransform() const;
    QTransform toTarget() const; // logical units to the caller's coordinates
    QTransform logicalTransform() const { return toTarget() * m_base; }
    bool prepare();
    QColor ropColor(const QColor& color) const;
    QPen currentPen() const;
    void fillArea(const QPainterPath& area);
    void strokeOutline(const QPainterPath& outline);
    void shape(const QPainterPath& area, const QPainterPath& outline, bool filled);
    QRectF outlineBox(const QRectF& box) const;
    bool withinReach(const QRectF& logical) const;
    void combineClip(const QPainterPath& region, int mode);
    void applyClip();

    QPainter& m_painter;
    QTransform m_base;
    QTransform m_deviceToTarget;
    QSizeF m_unitsPerMm;
    bool m_callerClipped = false;
    QPainterPath m_callerClip;
    bool m_rasterOps = false;
    DcState m_dc;
    std::vector<DcState> m_saved;
    bool m_inPath = false;
    bool m_figureOpen = false;
    QPainterPath m_path;
};

// Each plays one kind of file; false when the data is not that kind or the
// drawing stopped on a damaged record.
bool playEnhanced(QPainter& painter, const Bytes& file, const QRectF& target);
bool playPlaceable(QPainter& painter, const Bytes& file, const QRectF& target);

} // namespace wendolarka::metafile
