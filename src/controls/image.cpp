#include "image.h"

namespace wendolarka {

TImage::TImage() : TGraphicControl(QStringLiteral("TImage")) { SetBounds(0, 0, 105, 105); }

void TImage::setPicture(const TPicture& picture) {
    m_picture = picture;
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

void TImage::fitToPicture() {
    if (m_autoSize && !m_picture.isEmpty())
        SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
}

TRect TImage::DestRect() const {
    TRect r = m_stretch ? ClientRect() : TRect{0, 0, m_picture.Width(), m_picture.Height()};
    if (m_center)
        r = r.translated((Width() - r.Width()) / 2, (Height() - r.Height()) / 2);
    return r;
}

void TImage::Paint(TCanvas& canvas) {
    const QImage image = m_picture.image();
    if (image.isNull())
        return;
    const TRect dest = DestRect();
    if (dest.Width() == image.width() && dest.Height() == image.height())
        canvas.Draw(dest.Left, dest.Top, image);
    else
        canvas.StretchDraw(dest, image);
}

} // namespace wendolarka
