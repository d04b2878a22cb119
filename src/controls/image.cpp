#include "image.h"

#include <algorithm>
#include <cmath>

namespace wendolarka {

TImage::TImage() : TGraphicControl(QStringLiteral("TImage")) { SetBounds(0, 0, 105, 105); }

void TImage::setPicture(const TPicture& picture) {
    m_picture = picture;
    m_keyed = QImage();
    fitToPicture();
    Invalidate();
}

void TImage::setPicture(const QImage& image) {
    setPicture(image.isNull() ? TPicture() : TPicture(std::make_unique<TBitmap>(image)));
}

void TImage::setAutoSize(bool autoSize) {
    if (autoSize == m_autoSize)
        return;
    m_autoSize = autoSize;
    fitToPicture();
}

void TImage::setStretch(bool stretch) {
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    Invalidate();
}

void TImage::setCenter(bool center) {
    if (center == m_center)
        return;
    m_center = center;
    Invalidate();
}

void TImage::setTransparent(bool transparent) {
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    Invalidate();
}

QImage TImage::shownImage() const {
    const QImage image = m_picture.image();
    if (!m_transparent || image.isNull() || !dynamic_cast<const TBitmap*>(m_picture.Graphic()))
        return image;
    if (m_keyed.isNull()) {
        QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = keyed.pixel(0, keyed.height() - 1) & RGB_MASK;
        for (int y = 0; y < keyed.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
            for (int x = 0; x < keyed.width(); ++x)
                if ((row[x] & RGB_MASK) == key)
                    row[x] = 0;
        }
        m_keyed = std::move(keyed);
    }
    return m_keyed;
}

void TImage::fitToPicture() {
    if (m_autoSize && !m_picture.isEmpty())
        SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
}

void TImage::setProportional(bool proportional) {
    if (proportional == m_proportional)
        return;
    m_proportional = proportional;
    Invalidate();
}

TRect TImage::DestRect() const {
    if (m_proportional && m_picture.Width() > 0 && m_picture.Height() > 0) {
        const double scale = std::min(double(Width()) / m_picture.Width(), double(Height()) / m_picture.Height());
        const int w = std::max(1, int(std::lround(m_picture.Width() * scale)));
        const int h = std::max(1, int(std::lround(m_picture.Height() * scale)));
        return TRect{0, 0, w, h}.translated((Width() - w) / 2, (Height() - h) / 2);
    }
    TRect r = m_stretch ? ClientRect() : TRect{0, 0, m_picture.Width(), m_picture.Height()};
    if (m_center)
        r = r.translated((Width() - r.Width()) / 2, (Height() - r.Height()) / 2);
    return r;
}

void TImage::Paint(TCanvas& canvas) {
    const QImage image = shownImage();
    if (image.isNull())
        return;
    // A JPEG shown as decoded may leave as its own bytes.
    const bool asDecoded = dynamic_cast<const TJPEGImage*>(m_picture.Graphic());
    canvas.DrawPicture(DestRect(), image, asDecoded ? m_picture.Graphic()->fileData() : QByteArray());
}

} // namespace wendolarka
