#pragma once

#include "control.h"

#include <QImage>

namespace wendolarka {

// A picture on the window, drawn at its own size, stretched or centred.
class TImage : public TGraphicControl {
public:
    TImage();

    const QImage& Picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch);
    bool Center() const { return m_center; }
    void setCenter(bool center);

    // Where the picture lands in the control's client area.
    TRect DestRect() const;

protected:
    void Paint(TCanvas& canvas) override;

private:
    void fitToPicture();

    QImage m_picture;
    bool m_autoSize = false;
    bool m_stretch = false;
    bool m_center = false;
};

} // namespace wendolarka
