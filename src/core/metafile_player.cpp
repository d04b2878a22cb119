#include "metafile_player.h"

#include "image_codecs.h"
#include "metafile_player_state.h"

#include <QPaintEngine>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace wendolarka {
namespace metafile {
namespace {

// Deeper nesting than any drawing needs is damage: such saves are not kept.
constexpr std::size_t kMaxSavedStates = 1024;
// Clipping starts from everything, taken as this far out; a shape reaching
// further out on the device is damage, as nothing on a page lies there.
constexpr qreal kFar = 1e7;
// A clipping outline this complex is refined no further: each step costs more
// than the last, and no drawing needs it.
constexpr int kMaxClipElements = 4000;
// World transforms with larger factors or offsets are damage.
constexpr qreal kMaxTransformValue = 1e7;

QPainterPath rectPath(const QRectF& r) {
    QPainterPath path;
    path.addRect(r);
    return path;
}

// Cubic curves from the points after `points[first - 1]`, three points each.
void appendCurves(QPainterPath& path, const QPolygonF& points, qsizetype first) {
    for (qsizetype i = first; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
}

} // namespace

Player::Player(QPainter& painter, const QTransform& deviceToTarget, QSizeF deviceUnitsPerMm, const DcState& initial)
    : m_painter(painter), m_base(painter.worldTransform()), m_deviceToTarget(deviceToTarget),
      m_unitsPerMm(deviceUnitsPerMm), m_dc(initial) {
    m_callerClipped = painter.hasClipping();
    if (m_callerClipped)
        m_callerClip = painter.clipPath();
    const QPaintEngine* engine = painter.paintEngine();
    m_rasterOps = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
}

void Player::setWorldTransform(const QTransform& world) {
    const qreal values[] = {world.m11(), world.m12(), world.m21(), world.m22(), world.dx(), world.dy()};
    for (qreal v : values)
        if (!std::isfinite(v) || std::abs(v) > kMaxTransformValue)
            return;
    m_dc.world = world;
}

QTransform Player::pageTransform() const {
    qreal sx = 1, sy = 1;
    // The fixed modes count in lengths; y grows upwards in all of them.
    const auto fixed = [&](qreal mmPerUnit) {
        sx = m_unitsPerMm.width() * mmPerUnit;
        sy = -m_unitsPerMm.height() * mmPerUnit;
    };
    switch (m_dc.mapMode) {
    case MM_LOMETRIC: fixed(0.1); break;
    case MM_HIMETRIC: fixed(0.01); break;
    case MM_LOENGLISH: fixed(0.254); break;
    case MM_HIENGLISH: fixed(0.0254); break;
    case MM_TWIPS: fixed(25.4 / 1440); break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        if (m_dc.windowExt.x() != 0 && m_dc.windowExt.y() != 0) {
            sx = m_dc.viewportExt.x() / m_dc.windowExt.x();
            sy = m_dc.viewportExt.y() / m_dc.windowExt.y();
        }
        if (m_dc.mapMode == MM_ISOTROPIC) {
            const qreal s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    default: break;
    }
    return QTransform(sx, 0, 0, sy, m_dc.viewportOrg.x() - m_dc.windowOrg.x() * sx,
                      m_dc.viewportOrg.y() - m_dc.windowOrg.y() * sy);
}

QTransform Player::toTarget() const { return m_dc.world * pageTransform() * m_deviceToTarget; }

bool Player::prepare() {
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (m_dc.rop2) {
    case R2_NOP: return false;
    case R2_NOT: mode = QPainter::RasterOp_NotDestination; break;
    case R2_XORPEN: mode = QPainter::RasterOp_SourceXorDestination; break;
    case R2_NOTCOPYPEN: mode = QPainter::RasterOp_NotSource; break;
    case R2_MASKPEN: mode = QPainter::RasterOp_SourceAndDestination; break;
    case R2_MERGEPEN: mode = QPainter::RasterOp_SourceOrDestination; break;
    case R2_NOTXORPEN: mode = QPainter::RasterOp_NotSourceXorDestination; break;
    default: break; // copy, and the rarer mixes drawn as copy
    }
    m_painter.setCompositionMode(m_rasterOps ? mode : QPainter::CompositionMode_SourceOver);
    m_painter.setWorldTransform(logicalTransform());
    return true;
}

QColor Player::ropColor(const QColor& color) const {
    if (m_dc.rop2 == R2_BLACK)
        return Qt::black;
    if (m_dc.rop2 == R2_WHITE)
        return Qt::white;
    return color;
}

QPen Player::currentPen() const {
    const LogPen& logPen = m_dc.pen;
    if (logPen.style == Qt::NoPen)
        return QPen(Qt::NoPen);
    // Under a pixel and a half on the device a pen is one pixel, which also
    // leaves out a line's last pixel as GDI does.
    const qreal scale = std::sqrt(std::abs(logicalTransform().determinant()));
    if (logPen.width <= 0 || !(logPen.width * scale >= 1.5))
        return QPen(ropColor(logPen.color), 0, logPen.style, Qt::FlatCap, logPen.join);
    return QPen(ropColor(logPen.color), logPen.width, logPen.style, logPen.cap, logPen.join);
}

void Player::fillArea(const QPainterPath& area) {
    QBrush brush = m_dc.brush;
    const Qt::BrushStyle style = brush.style();
    if (style == Qt::NoBrush)
        return;
    // A hatch lies on the background colour unless the background is transparent.
    if (style >= Qt::HorPattern && style <= Qt::DiagCrossPattern && m_dc.opaqueBackground)
        m_painter.fillPath(area, ropColor(m_dc.bkColor));
    if (style != Qt::TexturePattern)
        brush.setColor(ropColor(brush.color()));
    m_painter.fillPath(area, brush);
}

void Player::strokeOutline(const QPainterPath& outline) {
    const QPen pen = currentPen();
    if (pen.style() != Qt::NoPen)
        m_painter.strokePath(outline, pen);
}

void Player::shape(const QPainterPath& area, const QPainterPath& outline, bool filled) {
    if (m_inPath) {
        m_path.addPath(area);
        m_figureOpen = false;
        return;
    }
    if (!withinReach(area.controlPointRect()) || !prepare())
        return;
    if (filled)
        fillArea(area);
    strokeOutline(outline);
}

bool Player::withinReach(const QRectF& logical) const {
    const QRectF device = logicalTransform().mapRect(logical);
    return device.left() >= -kFar && device.top() >= -kFar && device.right() <= kFar && device.bottom() <= kFar;
}

QRectF Player::outlineBox(const QRectF& box) const {
    // The outline stays inside the right and bottom edges, which a fill leaves out.
    const QTransform t = logicalTransform();
    if (!t.isInvertible() || t.type() > QTransform::TxScale)
        return box;
    QRectF device = t.mapRect(box);
    device.setRight(std::max(device.left(), device.right() - 1));
    device.setBottom(std::max(device.top(), device.bottom() - 1));
    return t.inverted().mapRect(device);
}

void Player::save() {
    if (m_saved.size() < kMaxSavedStates)
        m_saved.push_back(m_dc);
}

void Player::restore(qint32 which) {
    // Negative counts back from the latest save, positive is a save's number.
    const qint64 depth = static_cast<qint64>(m_saved.size());
    const qint64 index = which < 0 ? depth + which : qint64(which) - 1;
    if (index < 0 || index >= depth)
        return;
    m_dc = m_saved[static_cast<std::size_t>(index)];
    m_saved.resize(static_cast<std::size_t>(index));
    applyClip();
}

void Player::moveTo(QPointF p) {
    m_dc.current = p;
    m_figureOpen = false;
}

void Player::lineTo(QPointF p) {
    QPolygonF one;
    one.append(p);
    polylineTo(one);
}

void Player::polylineTo(const QPolygonF& points) {
    if (points.isEmpty())
        return;
    if (m_inPath) {
        if (!m_figureOpen)
            m_path.moveTo(m_dc.current);
        for (const QPointF& p : points)
            m_path.lineTo(p);
        m_figureOpen = true;
    } else {
        QPainterPath line(m_dc.current);
        for (const QPointF& p : points)
            line.lineTo(p);
        if (withinReach(line.controlPointRect()) && prepare())
            strokeOutline(line);
    }
    m_dc.current = points.last();
}

void Player::polyline(const QPolygonF& points) {
    if (points.size() < 2)
        return;
    QPainterPath line(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        line.lineTo(points[i]);
    shape(line, line, false);
}

void Player::polyBezier(const QPolygonF& points) {
    if (points.size() < 4)
        return;
    QPainterPath curve(points.first());
    appendCurves(curve, points, 1);
    shape(curve, curve, false);
}

void Player::polyBezierTo(const QPolygonF& points) {
    const qsizetype used = points.size() / 3 * 3;
    if (used == 0)
        return;
    if (m_inPath) {
        if (!m_figureOpen)
            m_path.moveTo(m_dc.current);
        appendCurves(m_path, points, 0);
        m_figureOpen = true;
    } else {
        QPainterPath curve(m_dc.current);
        appendCurves(curve, points, 0);
        if (withinReach(curve.controlPointRect()) && prepare())
            strokeOutline(curve);
    }
    m_dc.current = points[used - 1];
}

void Player::polygons(const std::vector<QPolygonF>& list) {
    QPainterPath area;
    area.setFillRule(m_dc.fillRule);
    for (const QPolygonF& polygon : list) {
        if (polygon.size() < 2)
            continue;
        area.addPolygon(polygon);
        area.closeSubpath();
    }
    if (!area.isEmpty())
        shape(area, area, true);
}

void Player::polylines(const std::vector<QPolygonF>& lines) {
    QPainterPath path;
    for (const QPolygonF& line : lines)
        if (line.size() >= 2)
            path.addPolygon(line);
    if (!path.isEmpty())
        shape(path, path, false);
}

void Player::rectangle(const QRectF& box) {
    const QRectF r = box.normalized();
    shape(rectPath(r), rectPath(outlineBox(r)), true);
}

void Player::roundRect(const QRectF& box, QSizeF corner) {
    const QRectF r = box.normalized();
    const qreal rx = std::abs(corner.width()) / 2, ry = std::abs(corner.height()) / 2;
    QPainterPath area, outline;
    area.addRoundedRect(r, rx, ry);
    outline.addRoundedRect(outlineBox(r), rx, ry);
    shape(area, outline, true);
}

void Player::ellipse(const QRectF& box) {
    const QRectF r = box.normalized();
    QPainterPath area, outline;
    area.addEllipse(r);
    outline.addEllipse(outlineBox(r));
    shape(area, outline, true);
}

void Player::arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end) {
    // Anticlockwise from where the line to `start` leaves the centre to where
    // the line to `end` does.
    const auto build = [&](const QRectF& r) {
        QPainterPath path;
        if (!(r.width() > 0 && r.height() > 0))
            return path;
        const QPointF c = r.center();
        const auto angle = [&](QPointF p) {
            return qRadiansToDegrees(std::atan2(-(p.y() - c.y()) / r.height(), (p.x() - c.x()) / r.width()));
        };
        const qreal from = angle(start);
        qreal sweep = angle(end) - from;
        if (sweep <= 0)
            sweep += 360;
        if (kind == ArcKind::Pie)
            path.moveTo(c);
        else if (kind == ArcKind::ArcTo)
            path.moveTo(m_dc.current); // arcTo joins it to the arc with a line
        else
            path.arcMoveTo(r, from);
        path.arcTo(r, from, sweep);
        if (kind == ArcKind::Pie || kind == ArcKind::Chord)
            path.closeSubpath();
        return path;
    };
    const QRectF r = box.normalized();
    const QPainterPath area = build(r);
    if (area.isEmpty())
        return;
    if (kind != ArcKind::ArcTo) {
        shape(area, build(outlineBox(r)), kind != ArcKind::Arc);
        return;
    }
    if (m_inPath) {
        if (m_figureOpen)
            m_path.connectPath(area);
        else
            m_path.addPath(area);
        m_figureOpen = true;
    } else if (withinReach(area.controlPointRect()) && prepare()) {
        strokeOutline(area);
    }
    m_dc.current = area.currentPosition();
}

void Player::setPixel(QPointF p, const QColor& color) {
    const QRectF pixel(p, QSizeF(1, 1));
    if (m_inPath || !withinReach(pixel) || !prepare())
        return;
    m_painter.fillRect(pixel, ropColor(color));
}

void Player::beginPath() {
    m_inPath = true;
    m_figureOpen = false;
    m_path = QPainterPath();
}

void Player::endPath() {
    m_inPath = false;
    m_figureOpen = false;
}

void Player::abortPath() {
    endPath();
    m_path = QPainterPath();
}

void Player::closeFigure() {
    if (!m_inPath)
        return;
    m_path.closeSubpath();
    m_figureOpen = false;
}

void Player::drawPath(bool fill, bool stroke) {
    endPath();
    QPainterPath path = std::exchange(m_path, QPainterPath());
    path.setFillRule(m_dc.fillRule);
    if (path.isEmpty() || !withinReach(path.controlPointRect()) || !prepare())
        return;
    if (fill)
        fillArea(path);
    if (stroke)
        strokeOutline(path);
}

void Player::selectClipPath(int mode) {
    endPath();
    QPainterPath path = std::exchange(m_path, QPainterPath());
    path.setFillRule(m_dc.fillRule);
    combineClip(toTarget().map(path), mode);
}

void Player::intersectClip(const QRectF& box) { combineClip(toTarget().map(rectPath(box.normalized())), RGN_AND); }

void Player::excludeClip(const QRectF& box) { combineClip(toTarget().map(rectPath(box.normalized())), RGN_DIFF); }

void Player::resetClip() {
    m_dc.clipped = false;
    m_dc.clip = QPainterPath();
    applyClip();
}

void Player::clipToDeviceRects(const std::vector<QRectF>& rects, int mode) {
    QPainterPath region;
    region.setFillRule(Qt::WindingFill);
    for (const QRectF& r : rects)
        region.addRect(r.normalized());
    combineClip(m_deviceToTarget.map(region), mode);
}

void Player::combineClip(const QPainterPath& region, int mode) {
    if (mode != RGN_COPY && m_dc.clipped && m_dc.clip.elementCount() > kMaxClipElements)
        return;
    const QPainterPath everything = rectPath(QRectF(-kFar, -kFar, 2 * kFar, 2 * kFar));
    const QPainterPath current = m_dc.clipped ? m_dc.clip : everything;
    switch (mode) {
    case RGN_AND: m_dc.clip = current.intersected(region); break;
    case RGN_OR:
        if (!m_dc.clipped)
            return; // everything stays
        m_dc.clip = current.united(region);
        break;
    case RGN_XOR: m_dc.clip = current.subtracted(region).united(region.subtracted(current)); break;
    case RGN_DIFF: m_dc.clip = current.subtracted(region); break;
    case RGN_COPY: m_dc.clip = region.intersected(everything); break;
    default: return;
    }
    m_dc.clipped = true;
    applyClip();
}

void Player::applyClip() {
    m_painter.setWorldTransform(m_base);
    if (m_callerClipped)
        m_painter.setClipPath(m_callerClip, Qt::ReplaceClip);
    else
        m_painter.setClipping(false);
    if (m_dc.clipped)
        m_painter.setClipPath(m_dc.clip, m_callerClipped ? Qt::IntersectClip : Qt::ReplaceClip);
}

} // namespace metafile

namespace {

enum class Kind { None, Enhanced, Placeable };

Kind kindOf(const metafile::Bytes& bytes) {
    if (bytes.u32(0) == 1 && bytes.u32(40) == 0x464D4520u) // " EMF"
        return Kind::Enhanced;
    if (bytes.u32(0) == 0x9AC6CDD7u)
        return Kind::Placeable;
    return Kind::None;
}

metafile::Bytes bytesOf(const QByteArray& data) {
    return metafile::Bytes(reinterpret_cast<const uchar*>(data.constData()), data.size());
}

// The caller gets its painter back as it gave it, even when playing stopped.
class SavedPainter {
public:
    explicit SavedPainter(QPainter& painter) : m_painter(painter) { m_painter.save(); }
    ~SavedPainter() { m_painter.restore(); }
    SavedPainter(const SavedPainter&) = delete;
    SavedPainter& operator=(const SavedPainter&) = delete;

private:
    QPainter& m_painter;
};

} // namespace

bool playMetafile(QPainter& painter, const QByteArray& data, const QRectF& target) {
    if (!painter.isActive() || !target.isValid() || !std::isfinite(target.left()) || !std::isfinite(target.top()) ||
        !std::isfinite(target.width()) || !std::isfinite(target.height()))
        return false;
    try {
        const metafile::Bytes bytes = bytesOf(data);
        const Kind kind = kindOf(bytes);
        if (kind == Kind::None)
            return false;
        SavedPainter saved(painter);
        return kind == Kind::Enhanced ? metafile::playEnhanced(painter, bytes, target)
                                      : metafile::playPlaceable(painter, bytes, target);
    } catch (...) {
        return false; // out of memory on a hostile file: what was drawn stays
    }
}

QImage renderMetafile(const QByteArray& data, QSize size) {
    if (kindOf(bytesOf(data)) == Kind::None || size.isEmpty() || !pictureSizeAllowed(size.width(), size.height()))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        playMetafile(painter, data, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return image;
}

} // namespace wendolarka
