#pragma once

#include "label.h"

namespace wendolarka {

enum TLabel3DFBevel { blNone, blLowered, blRaised, blShadow };
enum TGradientOrientation { goHorizontal, goVertical };
enum TLabel3DFBorderStyle { lbNone, lbNormal, lbLowered, lbRaised, lbInn, lbOut };

// A caption drawn embossed, engraved or with a drop shadow, optionally over a
// two-colour gradient and inside a flat or three-dimensional border.
class TLabel3DF : public TLabel {
public:
    TLabel3DF();

    TColor FirstColor() const { return m_firstColor; }
    void setFirstColor(TColor v) { assign(m_firstColor, v); }
    TColor LastColor() const { return m_lastColor; }
    void setLastColor(TColor v) { assign(m_lastColor, v); }
    bool FillGradient() const { return m_fillGradient; }
    void setFillGradient(bool v) { assign(m_fillGradient, v); }
    TGradientOrientation GradientOrientation() const { return m_orientation; }
    void setGradientOrientation(TGradientOrientation v) { assign(m_orientation, v); }
    TColor HighLightColor() const { return m_highlightColor; }
    void setHighLightColor(TColor v) { assign(m_highlightColor, v); }
    TColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(TColor v) { assign(m_shadowColor, v); }
    TLabel3DFBevel Bevel() const { return m_bevel; }
    void setBevel(TLabel3DFBevel v) { assign(m_bevel, v); }
    int ShadowSize() const { return m_shadowSize; }
    void setShadowSize(int v) { assign(m_shadowSize, qBound(0, v, 255)); }
    TColor BorderColor() const { return m_borderColor; }
    void setBorderColor(TColor v) { assign(m_borderColor, v); }
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int v) { assign(m_borderWidth, v); }
    TLabel3DFBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TLabel3DFBorderStyle v) { assign(m_borderStyle, v); }

protected:
    void Paint(TCanvas& canvas) override;

private:
    void paintBorder(TCanvas& canvas, TRect& r) const;
    void paintGradient(TCanvas& canvas, const TRect& r) const;
    void drawCaption(TCanvas& canvas, TRect r, unsigned flags, TColor color) const;

    TColor m_firstColor = clWhite;
    TColor m_lastColor = clTeal;
    bool m_fillGradient = false;
    TGradientOrientation m_orientation = goHorizontal;
    TColor m_highlightColor = clBtnHighlight;
    TColor m_shadowColor = clBtnShadow;
    TLabel3DFBevel m_bevel = blRaised;
    int m_shadowSize = 1;
    TColor m_borderColor = clBlack;
    int m_borderWidth = 1;
    TLabel3DFBorderStyle m_borderStyle = lbNone;
};

} // namespace wendolarka
