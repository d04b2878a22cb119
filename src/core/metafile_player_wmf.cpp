// The records of placeable Windows metafiles: a size in 16-bit words, a
// function number, then the call's parameters, most of them last first.

#include "cp1250.h"
#include "metafile_player_state.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace wendolarka::metafile {
namespace {

enum : quint16 {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_CREATEPALETTE = 0x00F7, META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103, META_SETROP2 = 0x0104, META_SETPOLYFILLMODE = 0x0106, META_RESTOREDC = 0x0127,
    META_SELECTCLIPREGION = 0x012C, META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142, META_DELETEOBJECT = 0x01F0, META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201, META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211, META_LINETO = 0x0213, META_MOVETO = 0x0214, META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC, META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325, META_SCALEWINDOWEXT = 0x0410, META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418, META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F, META_TEXTOUT = 0x0521, META_POLYPOLYGON = 0x0538, META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D, META_CREATEREGION = 0x06FF, META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32, META_DIBSTRETCHBLT = 0x0B41, META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qint64 kPlaceableHeader = 22;
constexpr qint64 kMaxObjects = 65535;
constexpr quint32 kSrcCopy = 0x00CC0020;

// Points are stored y first.
QPointF yx(const Bytes& p, qint64 at) { return QPointF(p.i16(at + 2), p.i16(at)); }

// Bottom, right, top, left.
QRectF box(const Bytes& p, qint64 at) {
    return QRectF(QPointF(p.i16(at + 6), p.i16(at + 4)), QPointF(p.i16(at + 2), p.i16(at)));
}

bool usableExtent(QPointF p) { return p.x() != 0 && p.y() != 0; }

// Objects live in numbered slotCount; a new object takes the lowest free one and a
// full table drops it.
class ObjectTable {
public:
    explicit ObjectTable(qint64 capacity) : m_capacity(capacity) {}

    void create(GdiObject object) {
        std::size_t slot = 0;
        if (!m_free.empty()) {
            slot = *m_free.begin();
            m_free.erase(m_free.begin());
        } else if (static_cast<qint64>(m_slots.size()) < m_capacity) {
            slot = m_slots.size();
            m_slots.emplace_back();
        } else {
            return;
        }
        m_slots[slot] = std::move(object);
    }
    void remove(std::size_t slot) {
        if (slot >= m_slots.size() || m_slots[slot].kind == GdiObject::Kind::Empty)
            return;
        m_slots[slot] = GdiObject();
        m_free.insert(slot);
    }
    const GdiObject* find(std::size_t slot) const { return slot < m_slots.size() ? &m_slots[slot] : nullptr; }

private:
    qint64 m_capacity;
    std::vector<GdiObject> m_slots;
    std::set<std::size_t> m_free; // emptied slotCount below the end of m_slots
};

class WmfReader {
public:
    WmfReader(Player& player, qint64 objects) : m_player(player), m_objects(objects) {}
    // False when the record is shorter than its fixed part or its counts do not fit.
    bool play(quint16 function, const Bytes& p);

private:
    void select(std::size_t slot);
    void scaleExtent(QPointF& extent, const Bytes& p);
    bool poly(quint16 function, const Bytes& p);
    bool polyPolygon(const Bytes& p);
    void textOut(const Bytes& p);
    void extTextOut(const Bytes& p);
    void bitmap(quint16 function, const Bytes& p);

    Player& m_player;
    ObjectTable m_objects;
};

qint64 fixedSize(quint16 function) {
    switch (function) {
    case META_SETBKMODE: case META_SETMAPMODE: case META_SETROP2: case META_SETPOLYFILLMODE: case META_RESTOREDC:
    case META_SELECTCLIPREGION: case META_SELECTOBJECT: case META_SETTEXTALIGN: case META_DELETEOBJECT:
    case META_POLYGON: case META_POLYLINE: case META_POLYPOLYGON: case META_TEXTOUT:
        return 2;
    case META_SETBKCOLOR: case META_SETTEXTCOLOR: case META_SETWINDOWORG: case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG: case META_SETVIEWPORTEXT: case META_OFFSETWINDOWORG: case META_OFFSETVIEWPORTORG:
    case META_LINETO: case META_MOVETO: case META_DIBCREATEPATTERNBRUSH:
        return 4;
    case META_SCALEWINDOWEXT: case META_SCALEVIEWPORTEXT: case META_EXCLUDECLIPRECT: case META_INTERSECTCLIPRECT:
    case META_ELLIPSE: case META_RECTANGLE: case META_SETPIXEL: case META_EXTTEXTOUT: case META_CREATEBRUSHINDIRECT:
        return 8;
    case META_CREATEPENINDIRECT: return 10;
    case META_ROUNDRECT: case META_PATBLT: return 12;
    case META_ARC: case META_PIE: case META_CHORD: case META_DIBBITBLT: return 16;
    case META_CREATEFONTINDIRECT: case META_SETDIBTODEV: return 18;
    case META_DIBSTRETCHBLT: return 20;
    case META_STRETCHDIB: return 22;
    default: return 0;
    }
}

bool WmfReader::play(quint16 function, const Bytes& p) {
    if (p.size() < fixedSize(function))
        return false;
    DcState& dc = m_player.dc();
    const quint16 value = p.u16(0);
    switch (function) {
    case META_SETBKCOLOR: dc.bkColor = colorRef(p.u32(0)); break;
    case META_SETTEXTCOLOR: dc.textColor = colorRef(p.u32(0)); break;
    case META_SETBKMODE:
        if (value == 1 || value == 2)
            dc.opaqueBackground = value == 2;
        break;
    case META_SETMAPMODE:
        if (value >= MM_TEXT && value <= MM_ANISOTROPIC)
            dc.mapMode = value;
        break;
    case META_SETROP2:
        if (value >= 1 && value <= 16)
            dc.rop2 = value;
        break;
    case META_SETPOLYFILLMODE:
        if (value == 1 || value == 2)
            dc.fillRule = value == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    case META_SETTEXTALIGN: dc.textAlign = value; break;
    case META_SETWINDOWORG: dc.windowOrg = yx(p, 0); break;
    case META_SETVIEWPORTORG: dc.viewportOrg = yx(p, 0); break;
    case META_OFFSETWINDOWORG: dc.windowOrg += yx(p, 0); break;
    case META_OFFSETVIEWPORTORG: dc.viewportOrg += yx(p, 0); break;
    case META_SETWINDOWEXT:
        if (usableExtent(yx(p, 0)))
            dc.windowExt = yx(p, 0);
        break;
    case META_SETVIEWPORTEXT:
        if (usableExtent(yx(p, 0)))
            dc.viewportExt = yx(p, 0);
        break;
    case META_SCALEWINDOWEXT: scaleExtent(dc.windowExt, p); break;
    case META_SCALEVIEWPORTEXT: scaleExtent(dc.viewportExt, p); break;
    case META_MOVETO: m_player.moveTo(yx(p, 0)); break;
    case META_LINETO: m_player.lineTo(yx(p, 0)); break;
    case META_EXCLUDECLIPRECT: m_player.excludeClip(box(p, 0)); break;
    case META_INTERSECTCLIPRECT: m_player.intersectClip(box(p, 0)); break;
    case META_SELECTCLIPREGION: m_player.resetClip(); break; // regions are not kept: the whole picture shows
    case META_RECTANGLE: m_player.rectangle(box(p, 0)); break;
    case META_ELLIPSE: m_player.ellipse(box(p, 0)); break;
    case META_ROUNDRECT: m_player.roundRect(box(p, 4), QSizeF(p.i16(2), p.i16(0))); break;
    case META_ARC: m_player.arc(Player::ArcKind::Arc, box(p, 8), yx(p, 4), yx(p, 0)); break;
    case META_PIE: m_player.arc(Player::ArcKind::Pie, box(p, 8), yx(p, 4), yx(p, 0)); break;
    case META_CHORD: m_player.arc(Player::ArcKind::Chord, box(p, 8), yx(p, 4), yx(p, 0)); break;
    case META_SETPIXEL: m_player.setPixel(yx(p, 4), colorRef(p.u32(0))); break;
    case META_POLYGON: case META_POLYLINE: return poly(function, p);
    case META_POLYPOLYGON: return polyPolygon(p);
    case META_TEXTOUT: textOut(p); break;
    case META_EXTTEXTOUT: extTextOut(p); break;
    case META_SAVEDC: m_player.save(); break;
    case META_RESTOREDC: m_player.restore(p.i16(0)); break;
    case META_SELECTOBJECT: select(value); break;
    case META_DELETEOBJECT: m_objects.remove(value); break;
    case META_CREATEPENINDIRECT: {
        GdiObject pen;
        pen.kind = GdiObject::Kind::Pen;
        pen.pen = makePen(value, p.i16(2), colorRef(p.u32(6)), false);
        m_objects.create(std::move(pen));
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        GdiObject brush;
        brush.kind = GdiObject::Kind::Brush;
        brush.brush = makeBrush(value, colorRef(p.u32(2)), p.u16(6));
        m_objects.create(std::move(brush));
        break;
    }
    case META_DIBCREATEPATTERNBRUSH: {
        const Dib dib = decodePackedDib(p.from(4), p.u16(2) == 1);
        GdiObject brush;
        brush.kind = GdiObject::Kind::Brush;
        brush.brush = dib.image.isNull() ? QBrush(Qt::NoBrush) : QBrush(dib.image);
        m_objects.create(std::move(brush));
        break;
    }
    case META_CREATEPATTERNBRUSH: {
        // An old device-dependent pattern: a half-tone stands in for it.
        GdiObject brush;
        brush.kind = GdiObject::Kind::Brush;
        brush.brush = QBrush(Qt::black, Qt::Dense4Pattern);
        m_objects.create(std::move(brush));
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEREGION: {
        // Not drawn, but they take a slot like any object.
        GdiObject other;
        other.kind = GdiObject::Kind::Other;
        m_objects.create(std::move(other));
        break;
    }
    case META_CREATEFONTINDIRECT: {
        GdiObject font;
        font.kind = GdiObject::Kind::Font;
        font.font.height = p.i16(0);
        font.font.escapement = p.i16(4);
        font.font.weight = p.i16(8);
        font.font.italic = p.u8(10) != 0;
        font.font.underline = p.u8(11) != 0;
        font.font.strikeOut = p.u8(12) != 0;
        qint64 length = 0;
        while (length < 32 && p.has(18 + length, 1) && p.u8(18 + length) != 0)
            ++length;
        font.font.face = cp1250::decode(p.chars(18), length);
        m_objects.create(std::move(font));
        break;
    }
    case META_PATBLT:
        m_player.bitBlt(QImage(), QRectF(p.i16(10), p.i16(8), p.i16(6), p.i16(4)), QRectF(), p.u32(0));
        break;
    case META_STRETCHDIB: case META_DIBSTRETCHBLT: case META_DIBBITBLT: case META_SETDIBTODEV:
        bitmap(function, p);
        break;
    default: break; // a record this player does not draw
    }
    return true;
}

void WmfReader::select(std::size_t slot) {
    const GdiObject* object = m_objects.find(slot);
    if (!object)
        return;
    DcState& dc = m_player.dc();
    switch (object->kind) {
    case GdiObject::Kind::Pen: dc.pen = object->pen; break;
    case GdiObject::Kind::Brush: dc.brush = object->brush; break;
    case GdiObject::Kind::Font: dc.font = object->font; break;
    default: break;
    }
}

void WmfReader::scaleExtent(QPointF& extent, const Bytes& p) {
    const qint16 yDen = p.i16(0), yNum = p.i16(2), xDen = p.i16(4), xNum = p.i16(6);
    if (xDen == 0 || yDen == 0)
        return;
    const QPointF scaled(extent.x() * xNum / xDen, extent.y() * yNum / yDen);
    // Repeated scaling must not run the extent out of range.
    if (usableExtent(scaled) && std::abs(scaled.x()) <= 1e9 && std::abs(scaled.y()) <= 1e9)
        extent = scaled;
}

bool WmfReader::poly(quint16 function, const Bytes& p) {
    const qint64 count = p.u16(0);
    if (!p.has(2, count * 4))
        return false; // more points than the record holds
    QPolygonF points;
    points.reserve(count);
    for (qint64 i = 0; i < count; ++i)
        points.append(QPointF(p.i16(2 + 4 * i), p.i16(4 + 4 * i)));
    if (function == META_POLYGON)
        m_player.polygons(std::vector<QPolygonF>{points});
    else
        m_player.polyline(points);
    return true;
}

bool WmfReader::polyPolygon(const Bytes& p) {
    const qint64 polygons = p.u16(0);
    if (!p.has(2, polygons * 2))
        return false;
    qint64 total = 0;
    for (qint64 i = 0; i < polygons; ++i)
        total += p.u16(2 + 2 * i);
    qint64 at = 2 + polygons * 2;
    if (!p.has(at, total * 4))
        return false;
    std::vector<QPolygonF> list;
    list.reserve(static_cast<std::size_t>(polygons));
    for (qint64 i = 0; i < polygons; ++i) {
        const qint64 count = p.u16(2 + 2 * i);
        QPolygonF points;
        points.reserve(count);
        for (qint64 k = 0; k < count; ++k, at += 4)
            points.append(QPointF(p.i16(at), p.i16(at + 2)));
        list.push_back(std::move(points));
    }
    m_player.polygons(list);
    return true;
}

void WmfReader::textOut(const Bytes& p) {
    const qint64 count = p.u16(0);
    const qint64 padded = (count + 1) / 2 * 2;
    if (!p.has(2, padded + 4))
        return; // the position after the text is missing
    m_player.text(yx(p, 2 + padded), cp1250::decode(p.chars(2), count), {}, 0, QRectF());
}

void WmfReader::extTextOut(const Bytes& p) {
    const qint64 count = p.u16(4);
    const quint32 options = p.u16(6);
    qint64 at = 8;
    QRectF rect;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        // Left, top, right, bottom, in this order.
        rect = QRectF(QPointF(p.i16(8), p.i16(10)), QPointF(p.i16(12), p.i16(14)));
        at = 16;
    }
    if (!p.has(at, count))
        return;
    const QString string = cp1250::decode(p.chars(at), count);
    std::vector<qreal> advances;
    const qint64 dxAt = at + (count + 1) / 2 * 2;
    if (count > 0 && p.has(dxAt, count * 2)) {
        advances.reserve(static_cast<std::size_t>(count));
        for (qint64 i = 0; i < count; ++i)
            advances.push_back(p.i16(dxAt + 2 * i));
    }
    m_player.text(yx(p, 0), string, advances, options, rect);
}

void WmfReader::bitmap(quint16 function, const Bytes& p) {
    const quint32 rop = p.u32(0);
    if (function == META_STRETCHDIB) {
        const qreal srcH = p.i16(6), srcW = p.i16(8), ySrc = p.i16(10), xSrc = p.i16(12);
        const Dib dib = decodePackedDib(p.from(22), p.u16(4) == 1);
        // In a bottom-up bitmap the source rectangle counts from the bottom row.
        const qreal top = dib.bottomUp ? dib.height - ySrc - srcH : ySrc;
        m_player.bitBlt(dib.image, QRectF(p.i16(20), p.i16(18), p.i16(16), p.i16(14)), QRectF(xSrc, top, srcW, srcH),
                        rop);
        return;
    }
    if (function == META_SETDIBTODEV) {
        const qreal startScan = p.u16(4), ySrc = p.i16(6), xSrc = p.i16(8), height = p.i16(10), width = p.i16(12);
        const Dib dib = decodePackedDib(p.from(18), p.u16(0) == 1, p.u16(2));
        if (dib.image.isNull())
            return;
        const qreal stripTop = dib.bottomUp ? dib.height - startScan - dib.image.height() : startScan;
        const qreal top = dib.bottomUp ? dib.height - ySrc - height : ySrc;
        m_player.bitBlt(dib.image, QRectF(p.i16(16), p.i16(14), width, height),
                        QRectF(xSrc, top - stripTop, width, height), kSrcCopy);
        return;
    }
    // The blits come without a bitmap when the operation needs no source; that
    // form has one more reserved word, and its size tells it apart.
    const bool withBitmap = p.size() != qint64(function >> 8) * 2;
    const qint64 shift = withBitmap ? 0 : 2;
    if (function == META_DIBSTRETCHBLT) {
        const QRectF source(p.i16(10), p.i16(8), p.i16(6), p.i16(4));
        const QRectF dest(p.i16(18 + shift), p.i16(16 + shift), p.i16(14 + shift), p.i16(12 + shift));
        const QImage image = withBitmap ? decodePackedDib(p.from(20), false).image : QImage();
        m_player.bitBlt(image, dest, source, rop);
        return;
    }
    // DIBBITBLT: the source is as large as the destination.
    const qreal width = p.i16(10 + shift), height = p.i16(8 + shift);
    const QRectF dest(p.i16(14 + shift), p.i16(12 + shift), width, height);
    const QImage image = withBitmap ? decodePackedDib(p.from(16), false).image : QImage();
    m_player.bitBlt(image, dest, QRectF(p.i16(6), p.i16(4), width, height), rop);
}

} // namespace

bool playPlaceable(QPainter& painter, const Bytes& file, const QRectF& target) {
    if (file.u32(0) != kPlaceableKey || !file.has(0, kPlaceableHeader + 18))
        return false;
    const qreal left = file.i16(6), top = file.i16(8), right = file.i16(10), bottom = file.i16(12);
    const qreal inch = file.u16(14) ? file.u16(14) : 96; // as the file's size is counted
    if (right == left || bottom == top)
        return false;
    // The bounding box fills the target; a box stored upside down, as files
    // drawn with the y axis upwards have it, turns the drawing the right way.
    const qreal sx = target.width() / (right - left), sy = target.height() / (bottom - top);
    const QTransform boxToTarget(sx, 0, 0, sy, target.left() - left * sx, target.top() - top * sy);
    // As the program that plays such a file sets it up: the window, until the
    // file moves it, and the viewport lie on the bounding box.
    DcState initial;
    initial.mapMode = MM_ANISOTROPIC;
    initial.windowOrg = initial.viewportOrg = QPointF(left, top);
    initial.windowExt = initial.viewportExt = QPointF(right - left, bottom - top);
    Player player(painter, boxToTarget, QSizeF(inch / 25.4, inch / 25.4), initial);

    const qint64 headerWords = file.u16(kPlaceableHeader + 2);
    const qint64 slotCount = file.u16(kPlaceableHeader + 10);
    // Writers that leave the count at 0 still create objects.
    WmfReader reader(player, slotCount > 0 ? slotCount : kMaxObjects);
    for (qint64 at = kPlaceableHeader + std::max<qint64>(9, headerWords) * 2;;) {
        if (at == file.size())
            return true; // no end record, but nothing cut off either
        if (!file.has(at, 6))
            return false;
        const qint64 size = qint64(file.u32(at)) * 2;
        const quint16 function = file.u16(at + 4);
        if (size < 6 || !file.has(at, size))
            return false;
        if (function == META_EOF)
            return true;
        if (!reader.play(function, file.sub(at + 6, size - 6)))
            return false;
        at += size;
    }
}

} // namespace wendolarka::metafile
