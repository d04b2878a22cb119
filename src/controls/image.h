#pragma once

#include "control.h"

#include "core/picture.h"

#include <QImage>

namespace wendolarka {

// A picture on the window, drawn at its own size, stretched or centred.
class TImage : public TGraphicControl {
public:
    TImage();

    const TPicture& Picture() const { return m_picture; }
    void setPicture(const TPicture& picture);
    // A plain image becomes a bitmap picture.
    void setPicture(const QImage& image);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch);
    bool Center() const { return m_center; }
    void setCenter(bool center);
    // The picture fitted to the box with its proportions kept, in its middle,
    // instead of shown at its size and cut by the box.
    bool Proportional() const { return m_proportional; }
    void setProportional(bool proportional);
    // A bitmap leaves out its pixels of the colour of its bottom-left pixel;
    // other pictures have their own transparency.
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);

    bool ShowsPicture() const override { return !m_picture.isEmpty(); }

    // Where the picture lands in the control's client area.
    TRect DestRect() const;

protected:
    void Paint(TCanvas& canvas) override;

private:
    void fitToPicture();
    // What is drawn: the picture, or the bitmap keyed by its transparent colour.
    QImage shownImage() const;

    TPicture m_picture;
    bool m_autoSize = false;
    bool m_stretch = false;
    bool m_center = false;
    bool m_proportional = false;
    bool m_transparent = false;
    mutable QImage m_keyed; // the keyed bitmap, made when first drawn
};

} // namespace wendolarka
