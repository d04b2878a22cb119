#include "pass_document.h"

#include "controls/barcode.h"
#include "controls/element_host.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "core/color.h"
#include "core/image_codecs.h"
#include "core/picture.h"
#include "pdf_fonts.h"

#include <QRawFont>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace wendolarka {
namespace {

struct Placed {
    const TControl* element;
    TRect area; // on the surface
};

// Every shown element in the order it is painted, with where it lies.
void flatten(const TWinControl& container, QPoint origin, std::vector<Placed>& out) {
    for (const TControl* child : container.Controls()) {
        if (!child->Visible())
            continue;
        const TRect area = child->BoundsRect().translated(origin.x(), origin.y());
        out.push_back({child, area});
        if (const auto* inner = dynamic_cast<const TWinControl*>(child))
            flatten(*inner, origin + QPoint(child->Left(), child->Top()), out);
    }
}

bool isPlainLabel(const TControl& element) {
    return dynamic_cast<const TLabel*>(&element) && !dynamic_cast<const TLabel3DF*>(&element);
}

bool isBarcode(const TControl& element) { return dynamic_cast<const TBarcode*>(&element) != nullptr; }

bool isJpegImage(const TControl& element) {
    const auto* image = dynamic_cast<const TImage*>(&element);
    return image && dynamic_cast<const TJPEGImage*>(image->Picture().Graphic());
}

// Draws no pixels of its own once its text or picture has left.
bool leavesNoPixels(const TControl& element) {
    if (isPlainLabel(element))
        return static_cast<const TLabel&>(element).Transparent();
    return isJpegImage(element);
}

// Whether an element drawn later puts pixels over `area`: a frame only with its
// rings, and for text not even those: a label's box often reaches into the ring
// of the frame around it, its letters hardly ever.
bool covers(const Placed& later, const TRect& area, bool text) {
    if (leavesNoPixels(*later.element) || later.area.intersected(area).isEmpty())
        return false;
    const TRect hollow = later.element->HollowArea().translated(later.area.Left, later.area.Top);
    if (hollow.isEmpty())
        return true;
    return !text && hollow.intersected(area) != area;
}

class Recorder final : public ICanvasSink {
public:
    Recorder(const TElementHost& design, std::vector<TDocumentItem>& items, bool keepFaces)
        : m_items(items), m_keepFaces(keepFaces) {
        std::vector<Placed> order;
        flatten(design.client(), {}, order);
        for (std::size_t i = 0; i < order.size(); ++i) {
            const TControl& element = *order[i].element;
            if (!isPlainLabel(element) && !dynamic_cast<const TImage*>(&element) && !isBarcode(element))
                continue;
            bool covered = false;
            for (std::size_t j = i + 1; j < order.size() && !covered; ++j)
                covered = covers(order[j], order[i].area, isPlainLabel(element));
            if (!covered)
                m_free.insert(&element);
        }
    }

    bool accepts(const TControl& element) const override { return m_free.count(&element) > 0; }

    bool text(const QString& text, const QFont& font, TColor color, QPointF origin, const TRect& clip) override {
        if (text.isEmpty())
            return true;
        QTextLayout layout(text, font);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e7);
        layout.endLayout();
        std::vector<TDocumentRun> runs;
        for (const QGlyphRun& glyphRun : line.glyphRuns()) {
            // A face Qt makes bolder or slanted itself would be embedded as it is: such text stays pixels.
            const QRawFont face = glyphRun.rawFont();
            if ((font.bold() && face.weight() < QFont::DemiBold) || (font.italic() && face.style() == QFont::StyleNormal))
                return false;
            // Faces live on the thread that loaded them: what the document needs is taken now.
            TDocumentRun run;
            run.faceKey = documentFaceKey(glyphRun.rawFont());
            if (run.faceKey.isEmpty())
                return false;
            run.pixelSize = glyphRun.rawFont().pixelSize();
            run.glyphs = glyphRun.glyphIndexes();
            run.positions = glyphRun.positions();
            for (QPointF& p : run.positions)
                p.ry() -= line.ascent();
            QRawFont measured = glyphRun.rawFont();
            measured.setPixelSize(measured.unitsPerEm());
            const QList<QPointF> advances = measured.advancesForGlyphIndexes(run.glyphs, QRawFont::UseDesignMetrics);
            for (const QPointF& advance : advances)
                run.widths.push_back(advance.x() * 1000.0 / measured.unitsPerEm());
            if (m_keepFaces)
                run.face = glyphRun.rawFont();
            runs.push_back(std::move(run));
        }
        TDocumentItem item;
        item.kind = TDocumentItem::Text;
        item.clip = clip;
        item.text = text;
        item.runs = std::move(runs);
        item.origin = origin;
        item.color = color;
        m_items.push_back(std::move(item));
        return true;
    }

    bool jpeg(const QByteArray& bytes, QSize pixels, const TRect& dest, const TRect& clip) override {
        const std::optional<TJpegFacts> facts = documentJpegFacts(bytes);
        if (!facts || facts->pixels != pixels)
            return false; // turned by its EXIF data, or read smaller than it is
        TDocumentItem item;
        item.kind = TDocumentItem::Jpeg;
        item.clip = clip;
        item.jpeg = bytes;
        item.pixels = pixels;
        item.dest = dest;
        m_items.push_back(std::move(item));
        return true;
    }

    bool rects(const std::vector<QRectF>& rects, TColor color, const TRect& clip) override {
        TDocumentItem item;
        item.kind = TDocumentItem::Rects;
        item.clip = clip;
        item.rects = rects;
        item.color = color;
        m_items.push_back(std::move(item));
        return true;
    }

private:
    std::vector<TDocumentItem>& m_items;
    bool m_keepFaces;
    std::set<const TControl*> m_free;
};

} // namespace

TDocumentPass drawForDocument(const TElementHost& design, int scale, bool keepFaces) {
    TDocumentPass pass;
    pass.scale = std::max(1, scale);
    pass.units = design.clientSize();
    Recorder recorder(design, pass.items, keepFaces);
    design.renderCard(pass.raster, pass.scale, &recorder);
    return pass;
}

void paintDocumentPass(QPainter& painter, const TDocumentPass& pass, const QRectF& target) {
    if (pass.units.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / pass.units.width(), target.height() / pass.units.height());
    painter.setClipRect(QRectF(QPointF(), QSizeF(pass.units)), Qt::IntersectClip);
    // Frames and fills keep their edges on a PDF or PostScript printer too.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QRectF(QPointF(), QSizeF(pass.units)), pass.raster);
    for (const TDocumentItem& item : pass.items) {
        painter.save();
        painter.setClipRect(item.clip.toQRect(), Qt::IntersectClip);
        if (item.kind == TDocumentItem::Jpeg) {
            painter.drawImage(QRectF(item.dest.toQRect()), decodeJpeg(item.jpeg));
        } else if (item.kind == TDocumentItem::Rects) {
            const QColor colour = toQColor(item.color);
            for (const QRectF& r : item.rects)
                painter.fillRect(r, colour);
        } else {
            painter.setPen(toQColor(item.color));
            for (const TDocumentRun& run : item.runs) {
                if (!run.face.isValid())
                    continue;
                QGlyphRun glyphs;
                glyphs.setRawFont(run.face);
                glyphs.setGlyphIndexes(run.glyphs);
                glyphs.setPositions(run.positions);
                painter.drawGlyphRun(item.origin, glyphs);
            }
        }
        painter.restore();
    }
    painter.restore();
}

void paintAtDeviceResolution(QPainter& painter, const TElementHost& design, const QRectF& target) {
    const QSize units = design.clientSize();
    if (units.isEmpty())
        return;
    const QRectF onDevice = painter.deviceTransform().mapRect(target);
    const int longest = std::max(units.width(), units.height());
    const int scale = std::clamp(static_cast<int>(std::ceil(std::max(onDevice.width() / units.width(), onDevice.height() / units.height()))),
                                 1, std::max(1, kMaxCardSide / longest));
    paintDocumentPass(painter, drawForDocument(design, scale, true), target);
}

QByteArray deflateRgb(const QImage& image, const QRect& area) {
    QByteArray rgb;
    rgb.resize(static_cast<qsizetype>(area.width()) * area.height() * 3);
    auto* out = reinterpret_cast<uchar*>(rgb.data());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            *out++ = static_cast<uchar>(qRed(row[x]));
            *out++ = static_cast<uchar>(qGreen(row[x]));
            *out++ = static_cast<uchar>(qBlue(row[x]));
        }
    }
    return deflateBytes(rgb);
}

QByteArray deflateBytes(const QByteArray& bytes) {
    uLongf packedSize = compressBound(static_cast<uLong>(bytes.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), Qt::Uninitialized);
    // With room for the worst case only memory can fail.
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(bytes.constData()),
                  static_cast<uLong>(bytes.size()), 6) != Z_OK)
        throw std::bad_alloc();
    packed.resize(static_cast<qsizetype>(packedSize));
    return packed;
}

std::vector<TRasterPatch> patchesOver(const QImage& base, const QImage& raster) {
    if (base.size() != raster.size() || base.format() != raster.format())
        return {{raster.rect(), deflateRgb(raster, raster.rect())}};
    // Tiles are compared; what differs goes as one picture around them all, as
    // pictures laid side by side show their seams when a reader scales them.
    constexpr int kTile = 32;
    QRect differing;
    const int bytesPerPixel = raster.depth() / 8;
    for (int top = 0; top < raster.height(); top += kTile)
        for (int left = 0; left < raster.width(); left += kTile) {
            const QRect tile = QRect(left, top, kTile, kTile).intersected(raster.rect());
            if (differing.contains(tile))
                continue;
            bool same = true;
            for (int y = tile.top(); y <= tile.bottom() && same; ++y)
                same = std::memcmp(base.constScanLine(y) + left * bytesPerPixel, raster.constScanLine(y) + left * bytesPerPixel,
                                   static_cast<std::size_t>(tile.width() * bytesPerPixel)) == 0;
            if (!same)
                differing |= tile;
        }
    if (differing.isEmpty())
        return {};
    return {{differing, deflateRgb(raster, differing)}};
}

} // namespace wendolarka
