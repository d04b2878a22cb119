#pragma once

#include "control.h"
#include "label.h"

namespace wendolarka {

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// A container with bevels and a centred caption.
class TPanel : public TWinControl {
public:
    TPanel();

    TPanelBevel BevelInner() const { return m_bevelInner; }
    void setBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TPanelBevel bevel);
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    const QString& Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);

    TRect AlignArea() const override;

protected:
    void PaintSelf(TCanvas& canvas) override;

private:
    TPanelBevel m_bevelInner = bvNone;
    TPanelBevel m_bevelOuter = bvRaised;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QString m_caption;
    TAlignment m_alignment = taCenter;
};

} // namespace wendolarka
