// The objects a metafile draws with: pens, brushes and fonts, stock objects,
// device-independent bitmaps; and the drawing of text and bitmaps.

#include "font.h"
#include "image_codecs.h"
#include "metafile_player_state.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace wendolarka::metafile {

QColor colorRef(quint32 value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

LogPen makePen(quint32 style, qreal width, const QColor& color, bool extended) {
    LogPen pen;
    pen.color = color;
    switch (style & 0x0F) {
    case 1: pen.style = Qt::DashLine; break;
    case 2: pen.style = Qt::DotLine; break;
    case 3: pen.style = Qt::DashDotLine; break;
    case 4: pen.style = Qt::DashDotDotLine; break;
    case 5: pen.style = Qt::NoPen; break;
    case 7: pen.style = Qt::DashLine; break; // a style of the file's own: dashes come closest
    case 8: pen.style = Qt::DotLine; break;  // every other pixel
    default: pen.style = Qt::SolidLine; break; // solid and inside-frame
    }
    // An extended cosmetic pen is one pixel whatever its width says.
    const bool geometric = !extended || (style & 0x000F0000) == 0x00010000;
    pen.width = geometric ? std::abs(width) : 0;
    // Wide pens made by the old call draw solid.
    if (!extended && pen.width > 1 && pen.style != Qt::NoPen)
        pen.style = Qt::SolidLine;
    switch (style & 0x0F00) {
    case 0x0100: pen.cap = Qt::SquareCap; break;
    case 0x0200: pen.cap = Qt::FlatCap; break;
    default: pen.cap = Qt::RoundCap; break;
    }
    switch (style & 0xF000) {
    case 0x1000: pen.join = Qt::BevelJoin; break;
    case 0x2000: pen.join = Qt::MiterJoin; break;
    default: pen.join = Qt::RoundJoin; break;
    }
    return pen;
}

QBrush makeBrush(quint32 style, const QColor& color, quint32 hatch) {
    if (style == 1) // null, hollow
        return QBrush(Qt::NoBrush);
    if (style != 2)
        return QBrush(color);
    switch (hatch) {
    case 0: return QBrush(color, Qt::HorPattern);
    case 1: return QBrush(color, Qt::VerPattern);
    case 2: return QBrush(color, Qt::FDiagPattern);
    case 3: return QBrush(color, Qt::BDiagPattern);
    case 4: return QBrush(color, Qt::CrossPattern);
    case 5: return QBrush(color, Qt::DiagCrossPattern);
    default: return QBrush(color);
    }
}

void selectStockObject(DcState& dc, quint32 index) {
    const auto pen = [&](const QColor& color, Qt::PenStyle style) {
        dc.pen = LogPen();
        dc.pen.color = color;
        dc.pen.style = style;
    };
    const auto font = [&](const char* face, qint32 height, qint32 weight) {
        dc.font = LogFont();
        dc.font.face = QString::fromLatin1(face);
        dc.font.height = height;
        dc.font.weight = weight;
    };
    switch (index) {
    case 0: dc.brush = QBrush(Qt::white); break;
    case 1: dc.brush = QBrush(QColor(0xC0, 0xC0, 0xC0)); break;
    case 2: dc.brush = QBrush(QColor(0x80, 0x80, 0x80)); break;
    case 3: dc.brush = QBrush(QColor(0x40, 0x40, 0x40)); break;
    case 4: dc.brush = QBrush(Qt::black); break;
    case 5: dc.brush = QBrush(Qt::NoBrush); break;
    case 6: pen(Qt::white, Qt::SolidLine); break;
    case 7: pen(Qt::black, Qt::SolidLine); break;
    case 8: pen(Qt::black, Qt::NoPen); break;
    case 10: case 11: case 16: font("Courier New", 12, 400); break; // the fixed-pitch fonts
    case 12: case 17: font("MS Sans Serif", -11, 400); break;       // variable and dialog fonts
    case 13: case 14: font("MS Sans Serif", 16, 700); break;        // the system font
    case 18: dc.brush = QBrush(Qt::white); break;                   // the DC brush, never recolored here
    case 19: pen(Qt::black, Qt::SolidLine); break;                  // the DC pen
    default: break;
    }
}

namespace {

// A glyph larger than this many pixels, or a line of text longer, is damage.
constexpr qreal kMaxTextPixels = 10000;
constexpr qreal kMaxTextRun = 1e7;
constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiBitfields = 3;

struct DibHeader {
    bool ok = false;
    qint64 width = 0;
    qint64 height = 0; // negative: top row first
    int bits = 0;
    qint64 colours = 0;
    qint64 entrySize = 4;
    qint64 tableAt = 0;
    quint32 masks[3] = {0, 0, 0};
    qint64 bitsAt() const { return tableAt + colours * entrySize; }
};

DibHeader readHeader(const Bytes& info, bool paletteIndices) {
    DibHeader h;
    const quint32 size = info.u32(0);
    quint32 compression = kBiRgb;
    if (size == 12 && info.has(0, 12)) { // the old core header
        h.width = info.u16(4);
        h.height = info.u16(6);
        h.bits = info.u16(10);
        h.entrySize = 3;
    } else if (size >= 40 && info.has(0, size)) {
        h.width = info.i32(4);
        h.height = info.i32(8);
        h.bits = info.u16(14);
        compression = info.u32(16);
        h.colours = info.u32(32);
    } else {
        return h;
    }
    h.tableAt = size;
    if (compression == kBiBitfields && (h.bits == 16 || h.bits == 32)) {
        const qint64 at = size >= 52 ? qint64(40) : qint64(size); // inside later headers, after the first one
        if (!info.has(at, 12))
            return h;
        for (int i = 0; i < 3; ++i)
            h.masks[i] = info.u32(at + 4 * i);
        if (size < 52)
            h.tableAt += 12;
    } else if (compression != kBiRgb) {
        return h; // run lengths and embedded JPEG or PNG are not drawn
    } else if (h.bits == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else if (h.bits == 32) {
        h.masks[0] = 0xFF0000;
        h.masks[1] = 0x00FF00;
        h.masks[2] = 0x0000FF;
    }
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32)
        return h;
    if (h.bits <= 8 && h.colours == 0)
        h.colours = qint64(1) << h.bits;
    if (paletteIndices && h.bits <= 8)
        h.entrySize = 2;
    if (h.colours > 65536 || !info.has(h.tableAt, h.colours * h.entrySize))
        return h;
    if (h.width <= 0 || h.height == 0 || !pictureSizeAllowed(h.width, std::abs(h.height)))
        return h;
    h.ok = true;
    return h;
}

int channel(quint32 value, quint32 mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const quint64 top = mask >> shift;
    return static_cast<int>(static_cast<quint64>((value & mask) >> shift) * 255 / top);
}

Dib decodeRows(const DibHeader& h, const Bytes& info, const Bytes& bits, bool paletteIndices, qint64 rows) {
    Dib dib;
    const qint64 height = std::abs(h.height);
    rows = rows < 0 ? height : std::min(rows, height);
    const qint64 stride = (h.width * h.bits + 31) / 32 * 4;
    if (rows <= 0 || stride * rows > bits.size())
        return dib; // the rows the header claims are not all there
    std::vector<QRgb> table(h.bits <= 8 ? std::size_t(1) << h.bits : 0, qRgb(0, 0, 0));
    const qint64 known = std::min<qint64>(h.colours, static_cast<qint64>(table.size()));
    for (qint64 i = 0; i < known; ++i) {
        const qint64 at = h.tableAt + i * h.entrySize;
        if (paletteIndices) {
            // Indices into a palette the player does not keep: shown as greys.
            const int grey = static_cast<int>(info.u16(at) * 255 / std::max<qint64>(1, known - 1)) & 0xFF;
            table[static_cast<std::size_t>(i)] = qRgb(grey, grey, grey);
        } else {
            table[static_cast<std::size_t>(i)] = qRgb(info.u8(at + 2), info.u8(at + 1), info.u8(at));
        }
    }
    QImage image(static_cast<int>(h.width), static_cast<int>(rows), QImage::Format_RGB32);
    if (image.isNull())
        return dib;
    const bool topDown = h.height < 0;
    for (qint64 row = 0; row < rows; ++row) {
        const qint64 at = row * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(topDown ? row : rows - 1 - row)));
        for (qint64 x = 0; x < h.width; ++x) {
            QRgb pixel = 0;
            switch (h.bits) {
            case 1: pixel = table[(bits.u8(at + x / 8) >> (7 - x % 8)) & 1]; break;
            case 4: pixel = table[(bits.u8(at + x / 2) >> (x % 2 ? 0 : 4)) & 0xF]; break;
            case 8: pixel = table[bits.u8(at + x)]; break;
            case 24: pixel = qRgb(bits.u8(at + 3 * x + 2), bits.u8(at + 3 * x + 1), bits.u8(at + 3 * x)); break;
            default: {
                const quint32 v = h.bits == 16 ? quint32(bits.u16(at + 2 * x)) : bits.u32(at + 4 * x);
                pixel = qRgb(channel(v, h.masks[0]), channel(v, h.masks[1]), channel(v, h.masks[2]));
                break;
            }
            }
            out[x] = pixel;
        }
    }
    dib.image = std::move(image);
    dib.bottomUp = !topDown;
    dib.height = height;
    return dib;
}

} // namespace

Dib decodeDib(const Bytes& info, const Bytes& bits, bool paletteIndices, qint64 rows) {
    const DibHeader h = readHeader(info, paletteIndices);
    return h.ok ? decodeRows(h, info, bits, paletteIndices, rows) : Dib();
}

Dib decodePackedDib(const Bytes& dib, bool paletteIndices, qint64 rows) {
    const DibHeader h = readHeader(dib, paletteIndices);
    return h.ok ? decodeRows(h, dib, dib.from(h.bitsAt()), paletteIndices, rows) : Dib();
}

void Player::bitBlt(const QImage& image, const QRectF& dest, const QRectF& source, quint32 rop) {
    if (m_inPath || !withinReach(dest.normalized()))
        return;
    const int code = static_cast<int>((rop >> 16) & 0xFF);
    const bool usesSource = (((code >> 2) ^ code) & 0x33) != 0;
    m_painter.setWorldTransform(logicalTransform());
    if (!usesSource) {
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        QBrush brush = m_dc.brush;
        switch (code) {
        case 0x00: brush = QBrush(Qt::black); break;
        case 0xFF: brush = QBrush(Qt::white); break;
        case 0xAA: return; // the destination as it is
        case 0x55: mode = QPainter::RasterOp_NotDestination; brush = QBrush(Qt::black); break;
        case 0x5A: mode = QPainter::RasterOp_SourceXorDestination; break;
        default: break; // the pattern itself, by far the usual case
        }
        if (mode != QPainter::CompositionMode_SourceOver && !m_rasterOps)
            return;
        m_painter.setCompositionMode(mode);
        if (brush.style() != Qt::NoBrush) {
            QPainterPath area;
            area.addRect(dest.normalized());
            m_painter.fillPath(area, brush);
        }
        return;
    }
    if (image.isNull() || source.width() == 0 || source.height() == 0 || dest.width() == 0 || dest.height() == 0)
        return;
    QImage picture = image;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (code) {
    case 0x88: mode = QPainter::RasterOp_SourceAndDestination; break;
    case 0xEE: mode = QPainter::RasterOp_SourceOrDestination; break;
    case 0x66: mode = QPainter::RasterOp_SourceXorDestination; break;
    case 0x44: mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case 0x11: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case 0xBB: mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case 0x33: picture.invertPixels(); break;
    default: break; // copy
    }
    m_painter.setCompositionMode(m_rasterOps ? mode : QPainter::CompositionMode_SourceOver);
    // Source pixels onto the destination, mirrored where one of the two sizes is negative.
    QRectF from = source, to = dest;
    if (from.width() < 0) {
        from = QRectF(from.right(), from.top(), -from.width(), from.height());
        to = QRectF(to.right(), to.top(), -to.width(), to.height());
    }
    if (from.height() < 0) {
        from = QRectF(from.left(), from.bottom(), from.width(), -from.height());
        to = QRectF(to.left(), to.bottom(), to.width(), -to.height());
    }
    const qreal sx = to.width() / from.width(), sy = to.height() / from.height();
    const QTransform place(sx, 0, 0, sy, to.x() - from.x() * sx, to.y() - from.y() * sy);
    m_painter.setWorldTransform(place * logicalTransform());
    m_painter.drawImage(from, picture, from);
}

void Player::text(QPointF reference, const QString& string, const std::vector<qreal>& advances, quint32 options,
                  const QRectF& box) {
    if (m_inPath)
        return;
    const QTransform toDevice = toTarget();
    const QRectF area = box.normalized();
    if ((options & ETO_OPAQUE) && area.isValid() && withinReach(area)) {
        m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        m_painter.setWorldTransform(toDevice * m_base);
        m_painter.fillRect(area, m_dc.bkColor);
    }
    // Glyph numbers belong to the font that made the file: nothing to draw them with here.
    if (string.isEmpty() || (options & ETO_GLYPH_INDEX))
        return;

    // The font's size and the advances follow the mapping; the glyphs stay upright.
    const QPointF zero = toDevice.map(QPointF(0, 0));
    const qreal xScale = QLineF(zero, toDevice.map(QPointF(1, 0))).length();
    const qreal yScale = QLineF(zero, toDevice.map(QPointF(0, 1))).length();
    const LogFont& logFont = m_dc.font;
    // A positive height is the cell, which includes the internal leading.
    qreal em = 12;
    if (logFont.height < 0)
        em = -qreal(logFont.height);
    else if (logFont.height > 0)
        em = logFont.height * 100.0 / 115.0;
    const qreal pixels = em * yScale;
    if (!(pixels >= 0.5) || pixels > kMaxTextPixels)
        return;
    QFont font(substituteFontFamily(logFont.face));
    font.setPixelSize(std::max(1, qRound(pixels)));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(logFont.weight == 0 ? 400 : logFont.weight, 100, 900)));
    font.setItalic(logFont.italic);
    font.setUnderline(logFont.underline);
    font.setStrikeOut(logFont.strikeOut);
    const QFontMetricsF metrics(font);

    const bool spaced = advances.size() >= static_cast<std::size_t>(string.size());
    qreal total = 0;
    if (spaced)
        for (qsizetype i = 0; i < string.size(); ++i)
            total += advances[static_cast<std::size_t>(i)] * xScale;
    else
        total = metrics.horizontalAdvance(string);
    if (!(std::abs(total) <= kMaxTextRun))
        return;

    const quint32 align = m_dc.textAlign;
    const QPointF start = (align & TA_UPDATECP) ? m_dc.current : reference;
    qreal x = 0;
    if ((align & TA_CENTER) == TA_CENTER)
        x = -total / 2;
    else if (align & TA_RIGHT)
        x = -total;
    qreal baseline = metrics.ascent();
    if ((align & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (align & TA_BOTTOM)
        baseline = -metrics.descent();
    if (!withinReach(QRectF(start, start)))
        return;
    const QPointF anchor = toDevice.map(start);
    QTransform place = QTransform::fromTranslate(anchor.x(), anchor.y());
    place.rotate(-qreal(logFont.escapement) / 10);

    m_painter.save();
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if ((options & ETO_CLIPPED) && area.isValid()) {
        m_painter.setWorldTransform(toDevice * m_base);
        m_painter.setClipRect(area, m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    m_painter.setWorldTransform(place * m_base);
    if (m_dc.opaqueBackground)
        m_painter.fillRect(QRectF(std::min(x, x + total), baseline - metrics.ascent(), std::abs(total),
                                  metrics.ascent() + metrics.descent()),
                           m_dc.bkColor);
    m_painter.setFont(font);
    m_painter.setPen(m_dc.textColor);
    if (!spaced) {
        m_painter.drawText(QPointF(x, baseline), string);
    } else {
        qreal pen = x;
        for (qsizetype i = 0; i < string.size();) {
            const qsizetype n = (string[i].isHighSurrogate() && i + 1 < string.size()) ? 2 : 1;
            m_painter.drawText(QPointF(pen, baseline), string.mid(i, n));
            for (qsizetype k = 0; k < n; ++k)
                pen += advances[static_cast<std::size_t>(i + k)] * xScale;
            i += n;
        }
    }
    m_painter.restore();

    if ((align & TA_UPDATECP) && xScale > 0 && (align & TA_CENTER) != TA_CENTER) {
        const qreal advance = total / xScale;
        m_dc.current = start + QPointF((align & TA_RIGHT) ? -advance : advance, 0);
    }
}

} // namespace wendolarka::metafile
