#include "image.h"

namespace wendolarka {

TImage::TImage() : TGraphicControl(QStringLiteral("TImage")) { SetBounds(0, 0, 105, 105); }

void TImage::setPicture(const QImage& picture) {
    m_picture = picture;
    fitToPicture();
    Invalidate();
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

void TImage::fitToPicture() {
    if (m_autoSize && !m_picture.isNull())
        SetBounds(Left(), Top(), m_picture.width(), m_picture.height());
}

TRect TImage::DestRect() const {
    TRect r = m_stretch ? ClientRect() : TRect{0, 0, m_picture.width(), m_picture.height()};
    if (m_center)
        r = r.translated((Width() - r.Width()) / 2, (Height() - r.Height()) / 2);
    return r;
}

void TImage::Paint(TCanvas& canvas) {
    if (m_picture.isNull())
        return;
    const TRect dest = DestRect();
    if (dest.Width() == m_picture.width() && dest.Height() == m_picture.height())
        canvas.Draw(dest.Left, dest.Top, m_picture);
    else
        canvas.StretchDraw(dest, m_picture);
}

} // namespace wendolarka
