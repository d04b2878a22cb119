// The records of enhanced metafiles: 32-bit type and size, then the parameters.

#include "cp1250.h"
#include "metafile_player_state.h"

#include <cmath>
#include <utility>

namespace wendolarka::metafile {
namespace {

enum : quint32 {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45,
    EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54, EMR_ARCTO = 55, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77, EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
};

constexpr quint32 kSignature = 0x464D4520; // " EMF"
constexpr quint32 kMaxHandles = 65535;
// A clipping region of more rectangles is taken as its bounds.
constexpr qint64 kMaxRegionRects = 256;
constexpr qreal kMaxExtent = 2147483647.0;
constexpr quint32 kSrcCopy = 0x00CC0020;

QPointF pointAt(const Bytes& r, qint64 at) { return QPointF(r.i32(at), r.i32(at + 4)); }

QRectF boxAt(const Bytes& r, qint64 at) { return QRectF(pointAt(r, at), pointAt(r, at + 8)); }

QPolygonF pointsAt(const Bytes& r, qint64 at, qint64 count, bool small) {
    QPolygonF points;
    points.reserve(count);
    for (qint64 i = 0; i < count; ++i)
        points.append(small ? QPointF(r.i16(at + 4 * i), r.i16(at + 4 * i + 2)) : pointAt(r, at + 8 * i));
    return points;
}

QString utf16At(const Bytes& r, qint64 at, qint64 units, bool stopAtNul) {
    QString text;
    for (qint64 i = 0; i < units && r.has(at + 2 * i, 2); ++i) {
        const quint16 unit = r.u16(at + 2 * i);
        if (unit == 0 && stopAtNul)
            break;
        text.append(QChar(unit));
    }
    return text;
}

QTransform xformAt(const Bytes& r, qint64 at) {
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20));
}

// An extent the mapping can divide by.
bool usableExtent(QPointF p) {
    return p.x() != 0 && p.y() != 0 && std::abs(p.x()) <= kMaxExtent && std::abs(p.y()) <= kMaxExtent;
}

class EmfReader {
public:
    explicit EmfReader(Player& player) : m_player(player) {}
    // False when the record is shorter than its fixed part or its counts do not fit.
    bool play(quint32 type, const Bytes& r);

private:
    void create(quint32 index, GdiObject object);
    void select(quint32 index);
    bool poly(quint32 type, const Bytes& r);
    bool polyPoly(quint32 type, const Bytes& r);
    void text(quint32 type, const Bytes& r);
    void bitmap(quint32 type, const Bytes& r);
    void clipRegion(const Bytes& r);
    void scaleExtent(QPointF& extent, const Bytes& r);

    Player& m_player;
    std::vector<GdiObject> m_objects; // by handle number; 0 is the file itself
};

qint64 fixedSize(quint32 type) {
    switch (type) {
    case EMR_SAVEDC: case EMR_BEGINPATH: case EMR_ENDPATH: case EMR_CLOSEFIGURE: case EMR_ABORTPATH:
        return 8;
    case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETROP2: case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR: case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT:
    case EMR_SELECTCLIPPATH:
        return 12;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX:
    case EMR_MOVETOEX: case EMR_LINETO: case EMR_EXTSELECTCLIPRGN:
        return 16;
    case EMR_SETPIXELV: return 20;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX:
    case EMR_CREATEBRUSHINDIRECT: case EMR_ELLIPSE: case EMR_RECTANGLE: case EMR_FILLPATH:
    case EMR_STROKEANDFILLPATH: case EMR_STROKEPATH:
        return 24;
    case EMR_CREATEPEN: return 28;
    case EMR_SETWORLDTRANSFORM: case EMR_ROUNDRECT: case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
        return 32;
    case EMR_MODIFYWORLDTRANSFORM: return 36;
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: return 40;
    case EMR_EXTCREATEPEN: return 52;
    case EMR_SETDIBITSTODEVICE: case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return 76;
    case EMR_STRETCHDIBITS: return 80;
    case EMR_BITBLT: return 100;
    case EMR_EXTCREATEFONTINDIRECTW: return 104; // the whole LOGFONTW
    case EMR_STRETCHBLT: return 108;
    default: return 8;
    }
}

bool EmfReader::play(quint32 type, const Bytes& r) {
    if (r.size() < fixedSize(type))
        return false;
    DcState& dc = m_player.dc();
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        return poly(type, r);
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
        return polyPoly(type, r);
    case EMR_SETWINDOWEXTEX:
        if (usableExtent(pointAt(r, 8)))
            dc.windowExt = pointAt(r, 8);
        break;
    case EMR_SETWINDOWORGEX: dc.windowOrg = pointAt(r, 8); break;
    case EMR_SETVIEWPORTEXTEX:
        if (usableExtent(pointAt(r, 8)))
            dc.viewportExt = pointAt(r, 8);
        break;
    case EMR_SETVIEWPORTORGEX: dc.viewportOrg = pointAt(r, 8); break;
    case EMR_SCALEVIEWPORTEXTEX: scaleExtent(dc.viewportExt, r); break;
    case EMR_SCALEWINDOWEXTEX: scaleExtent(dc.windowExt, r); break;
    case EMR_SETMAPMODE:
        if (r.u32(8) >= MM_TEXT && r.u32(8) <= MM_ANISOTROPIC)
            dc.mapMode = static_cast<int>(r.u32(8));
        break;
    case EMR_SETBKMODE:
        if (r.u32(8) == 1 || r.u32(8) == 2)
            dc.opaqueBackground = r.u32(8) == 2;
        break;
    case EMR_SETPOLYFILLMODE:
        if (r.u32(8) == 1 || r.u32(8) == 2)
            dc.fillRule = r.u32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    case EMR_SETROP2:
        if (r.u32(8) >= 1 && r.u32(8) <= 16)
            dc.rop2 = static_cast<int>(r.u32(8));
        break;
    case EMR_SETTEXTALIGN: dc.textAlign = r.u32(8); break;
    case EMR_SETTEXTCOLOR: dc.textColor = colorRef(r.u32(8)); break;
    case EMR_SETBKCOLOR: dc.bkColor = colorRef(r.u32(8)); break;
    case EMR_SETPIXELV: m_player.setPixel(pointAt(r, 8), colorRef(r.u32(16))); break;
    case EMR_MOVETOEX: m_player.moveTo(pointAt(r, 8)); break;
    case EMR_LINETO: m_player.lineTo(pointAt(r, 8)); break;
    case EMR_EXCLUDECLIPRECT: m_player.excludeClip(boxAt(r, 8)); break;
    case EMR_INTERSECTCLIPRECT: m_player.intersectClip(boxAt(r, 8)); break;
    case EMR_EXTSELECTCLIPRGN: clipRegion(r); break;
    case EMR_SELECTCLIPPATH: m_player.selectClipPath(static_cast<int>(r.u32(8))); break;
    case EMR_SAVEDC: m_player.save(); break;
    case EMR_RESTOREDC: m_player.restore(r.i32(8)); break;
    case EMR_SETWORLDTRANSFORM: m_player.setWorldTransform(xformAt(r, 8)); break;
    case EMR_MODIFYWORLDTRANSFORM:
        switch (r.u32(32)) {
        case 1: m_player.setWorldTransform(QTransform()); break;
        case 2: m_player.setWorldTransform(xformAt(r, 8) * dc.world); break; // applied before the current one
        case 3: m_player.setWorldTransform(dc.world * xformAt(r, 8)); break;
        case 4: m_player.setWorldTransform(xformAt(r, 8)); break;
        default: break;
        }
        break;
    case EMR_CREATEPEN: {
        GdiObject pen;
        pen.kind = GdiObject::Kind::Pen;
        pen.pen = makePen(r.u32(12), r.i32(16), colorRef(r.u32(24)), false);
        create(r.u32(8), std::move(pen));
        break;
    }
    case EMR_EXTCREATEPEN: {
        GdiObject pen;
        pen.kind = GdiObject::Kind::Pen;
        pen.pen = makePen(r.u32(28), r.u32(32), colorRef(r.u32(40)), true);
        if (r.u32(36) == 1) // drawn with a null brush
            pen.pen.style = Qt::NoPen;
        create(r.u32(8), std::move(pen));
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        GdiObject brush;
        brush.kind = GdiObject::Kind::Brush;
        brush.brush = makeBrush(r.u32(12), colorRef(r.u32(16)), r.u32(20));
        create(r.u32(8), std::move(brush));
        break;
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        const Dib dib = decodeDib(r.sub(r.u32(16), r.u32(20)), r.sub(r.u32(24), r.u32(28)), r.u32(12) == 1);
        GdiObject brush;
        brush.kind = GdiObject::Kind::Brush;
        brush.brush = dib.image.isNull() ? QBrush(Qt::NoBrush) : QBrush(dib.image);
        create(r.u32(8), std::move(brush));
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        GdiObject font;
        font.kind = GdiObject::Kind::Font;
        font.font.height = r.i32(12);
        font.font.escapement = r.i32(20);
        font.font.weight = r.i32(28);
        font.font.italic = r.u8(32) != 0;
        font.font.underline = r.u8(33) != 0;
        font.font.strikeOut = r.u8(34) != 0;
        font.font.face = utf16At(r, 40, 32, true);
        create(r.u32(8), std::move(font));
        break;
    }
    case EMR_SELECTOBJECT: select(r.u32(8)); break;
    case EMR_DELETEOBJECT:
        if (r.u32(8) < m_objects.size())
            m_objects[r.u32(8)] = GdiObject();
        break;
    case EMR_RECTANGLE: m_player.rectangle(boxAt(r, 8)); break;
    case EMR_ELLIPSE: m_player.ellipse(boxAt(r, 8)); break;
    case EMR_ROUNDRECT: m_player.roundRect(boxAt(r, 8), QSizeF(r.i32(24), r.i32(28))); break;
    case EMR_ARC: m_player.arc(Player::ArcKind::Arc, boxAt(r, 8), pointAt(r, 24), pointAt(r, 32)); break;
    case EMR_CHORD: m_player.arc(Player::ArcKind::Chord, boxAt(r, 8), pointAt(r, 24), pointAt(r, 32)); break;
    case EMR_PIE: m_player.arc(Player::ArcKind::Pie, boxAt(r, 8), pointAt(r, 24), pointAt(r, 32)); break;
    case EMR_ARCTO: m_player.arc(Player::ArcKind::ArcTo, boxAt(r, 8), pointAt(r, 24), pointAt(r, 32)); break;
    case EMR_BEGINPATH: m_player.beginPath(); break;
    case EMR_ENDPATH: m_player.endPath(); break;
    case EMR_ABORTPATH: m_player.abortPath(); break;
    case EMR_CLOSEFIGURE: m_player.closeFigure(); break;
    case EMR_FILLPATH: m_player.drawPath(true, false); break;
    case EMR_STROKEPATH: m_player.drawPath(false, true); break;
    case EMR_STROKEANDFILLPATH: m_player.drawPath(true, true); break;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: text(type, r); break;
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_SETDIBITSTODEVICE: case EMR_STRETCHDIBITS: bitmap(type, r); break;
    default: break; // a record this player does not draw
    }
    return true;
}

void EmfReader::create(quint32 index, GdiObject object) {
    if (index == 0 || index > kMaxHandles)
        return;
    if (index >= m_objects.size())
        m_objects.resize(std::size_t(index) + 1);
    m_objects[index] = std::move(object);
}

void EmfReader::select(quint32 index) {
    DcState& dc = m_player.dc();
    if (index & 0x80000000u) {
        selectStockObject(dc, index & 0x7FFFFFFFu);
        return;
    }
    if (index >= m_objects.size())
        return;
    const GdiObject& object = m_objects[index];
    switch (object.kind) {
    case GdiObject::Kind::Pen: dc.pen = object.pen; break;
    case GdiObject::Kind::Brush: dc.brush = object.brush; break;
    case GdiObject::Kind::Font: dc.font = object.font; break;
    default: break;
    }
}

void EmfReader::scaleExtent(QPointF& extent, const Bytes& r) {
    const qint32 xNum = r.i32(8), xDen = r.i32(12), yNum = r.i32(16), yDen = r.i32(20);
    if (xDen == 0 || yDen == 0)
        return;
    const QPointF scaled(extent.x() * xNum / xDen, extent.y() * yNum / yDen);
    if (usableExtent(scaled))
        extent = scaled;
}

bool EmfReader::poly(quint32 type, const Bytes& r) {
    if (r.size() < 28)
        return false;
    const bool small = type >= EMR_POLYBEZIER16;
    const qint64 count = r.u32(24);
    if (!r.has(28, count * (small ? 4 : 8)))
        return false; // more points than the record holds
    const QPolygonF points = pointsAt(r, 28, count, small);
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16: m_player.polyBezier(points); break;
    case EMR_POLYGON: case EMR_POLYGON16: m_player.polygons(std::vector<QPolygonF>{points}); break;
    case EMR_POLYLINE: case EMR_POLYLINE16: m_player.polyline(points); break;
    case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16: m_player.polyBezierTo(points); break;
    default: m_player.polylineTo(points); break;
    }
    return true;
}

bool EmfReader::polyPoly(quint32 type, const Bytes& r) {
    if (r.size() < 32)
        return false;
    const bool small = type >= EMR_POLYPOLYLINE16;
    const qint64 pointSize = small ? 4 : 8;
    const qint64 polygons = r.u32(24), total = r.u32(28);
    const qint64 first = 32 + polygons * 4;
    if (!r.has(32, polygons * 4) || !r.has(first, total * pointSize))
        return false;
    std::vector<QPolygonF> list;
    list.reserve(static_cast<std::size_t>(polygons));
    qint64 used = 0;
    for (qint64 i = 0; i < polygons; ++i) {
        const qint64 count = r.u32(32 + 4 * i);
        if (count > total - used)
            return false;
        list.push_back(pointsAt(r, first + used * pointSize, count, small));
        used += count;
    }
    if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16)
        m_player.polygons(list);
    else
        m_player.polylines(list);
    return true;
}

void EmfReader::text(quint32 type, const Bytes& r) {
    const bool wide = type == EMR_EXTTEXTOUTW;
    const qint64 count = r.u32(44), offString = r.u32(48), offDx = r.u32(72);
    const quint32 options = r.u32(52);
    QString string;
    if (count > 0 && r.has(offString, count * (wide ? 2 : 1)))
        string = wide ? utf16At(r, offString, count, false) : cp1250::decode(r.chars(offString), count);
    // One advance per character; with ETO_PDY each comes with a vertical one.
    std::vector<qreal> advances;
    const qint64 step = (options & ETO_PDY) ? 8 : 4;
    if (offDx != 0 && count > 0 && r.has(offDx, count * step)) {
        advances.reserve(static_cast<std::size_t>(count));
        for (qint64 i = 0; i < count; ++i)
            advances.push_back(r.i32(offDx + i * step));
    }
    m_player.text(pointAt(r, 36), string, advances, options, boxAt(r, 56));
}

void EmfReader::bitmap(quint32 type, const Bytes& r) {
    if (type == EMR_BITBLT || type == EMR_STRETCHBLT) {
        const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
        const QSizeF sourceSize = type == EMR_BITBLT ? dest.size() : QSizeF(r.i32(100), r.i32(104));
        const quint32 cbBmi = r.u32(88), cbBits = r.u32(96);
        QImage image;
        // The source is the recording device's own surface: its rows run top down.
        if (cbBmi > 0 && cbBits > 0)
            image = decodeDib(r.sub(r.u32(84), cbBmi), r.sub(r.u32(92), cbBits), r.u32(80) == 1).image;
        m_player.bitBlt(image, dest, QRectF(QPointF(r.i32(44), r.i32(48)), sourceSize), r.u32(40));
        return;
    }
    const Bytes info = r.sub(r.u32(48), r.u32(52)), bits = r.sub(r.u32(56), r.u32(60));
    const bool palette = r.u32(64) == 1;
    const qreal xSrc = r.i32(32), ySrc = r.i32(36), cxSrc = r.i32(40), cySrc = r.i32(44);
    if (type == EMR_STRETCHDIBITS) {
        const Dib dib = decodeDib(info, bits, palette);
        // In a bottom-up bitmap the source rectangle counts from the bottom row.
        const qreal top = dib.bottomUp ? dib.height - ySrc - cySrc : ySrc;
        m_player.bitBlt(dib.image, QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), QRectF(xSrc, top, cxSrc, cySrc),
                        r.u32(68));
        return;
    }
    // SetDIBitsToDevice may bring a strip of the rows only, starting at a scan line.
    const qreal startScan = r.u32(68);
    const Dib dib = decodeDib(info, bits, palette, r.u32(72));
    if (dib.image.isNull())
        return;
    const qreal stripTop = dib.bottomUp ? dib.height - startScan - dib.image.height() : startScan;
    const qreal top = dib.bottomUp ? dib.height - ySrc - cySrc : ySrc;
    m_player.bitBlt(dib.image, QRectF(r.i32(24), r.i32(28), cxSrc, cySrc), QRectF(xSrc, top - stripTop, cxSrc, cySrc),
                    kSrcCopy);
}

void EmfReader::clipRegion(const Bytes& r) {
    const quint32 size = r.u32(8);
    const int mode = static_cast<int>(r.u32(12));
    if (size == 0) {
        if (mode == RGN_COPY) // no region: clipping ends
            m_player.resetClip();
        return;
    }
    const Bytes region = r.sub(16, size);
    const qint64 count = region.u32(8);
    if (region.size() < 32 || !region.has(32, count * 16))
        return; // not a region this player can read
    std::vector<QRectF> rects;
    if (count > kMaxRegionRects) {
        rects.push_back(boxAt(region, 16));
    } else {
        for (qint64 i = 0; i < count; ++i)
            rects.push_back(boxAt(region, 32 + 16 * i));
    }
    m_player.clipToDeviceRects(rects, mode);
}

} // namespace

bool playEnhanced(QPainter& painter, const Bytes& file, const QRectF& target) {
    const qint64 headerSize = file.u32(4);
    if (file.u32(0) != EMR_HEADER || headerSize < 88 || !file.has(0, headerSize) || file.u32(40) != kSignature)
        return false;
    // The reference device's pixels per millimetre turn the frame, in hundredths
    // of a millimetre, into the device units the records' mapping ends in.
    const qreal devW = file.i32(72), devH = file.i32(76), mmW = file.i32(80), mmH = file.i32(84);
    const QSizeF perMm = devW > 0 && devH > 0 && mmW > 0 && mmH > 0 ? QSizeF(devW / mmW, devH / mmH)
                                                                     : QSizeF(96 / 25.4, 96 / 25.4);
    const QRectF frame = boxAt(file, 24);
    QRectF area = QRectF(QPointF(frame.left() * perMm.width() / 100, frame.top() * perMm.height() / 100),
                         QPointF(frame.right() * perMm.width() / 100, frame.bottom() * perMm.height() / 100))
                      .normalized();
    if (!(area.width() > 0 && area.height() > 0))
        area = boxAt(file, 8).normalized(); // the bounds, already in device pixels
    if (!(area.width() > 0 && area.height() > 0))
        return false;
    const qreal sx = target.width() / area.width(), sy = target.height() / area.height();
    const QTransform deviceToTarget(sx, 0, 0, sy, target.left() - area.left() * sx, target.top() - area.top() * sy);

    Player player(painter, deviceToTarget, perMm, DcState());
    EmfReader reader(player);
    for (qint64 at = headerSize;;) {
        if (at == file.size())
            return true; // no end record, but nothing cut off either
        if (!file.has(at, 8))
            return false;
        const quint32 type = file.u32(at);
        const qint64 size = file.u32(at + 4);
        if (size < 8 || !file.has(at, size))
            return false;
        if (type == EMR_EOF)
            return true;
        if (!reader.play(type, file.sub(at, size)))
            return false;
        at += size;
    }
}

} // namespace wendolarka::metafile
