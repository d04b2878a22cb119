#pragma once

#include "control.h"

namespace wendolarka {

enum TTextLayout { tlTop, tlCenter, tlBottom };

// Text on the window: painted like the platform's static label.
class TLabel : public TGraphicControl {
public:
    TLabel();

    const QString& Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // "Tekst złożony": the caption is fixed text with fields in braces
    // ("{Imie} {Nazwisko}"), and what shows is that text filled in for the pass.
    bool Composed() const { return m_composed; }
    void setComposed(bool composed);
    void setComposedText(const QString& text);
    // The text drawn: the caption, or for a composed label the caption filled in.
    const QString& ShownCaption() const { return m_composed ? m_composedText : m_caption; }
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    TTextLayout Layout() const { return m_layout; }
    void setLayout(TTextLayout layout);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wordWrap);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool show);
    // "Dopasuj tekst": a text too large for the box is drawn smaller, a point
    // at a time down to MinFontSize, then broken at blanks, then cut with "…".
    // 5 points, not 6: only from 5 down does "Agnieszka" fit the standard
    // layout's 33-pixel name box whole.
    static constexpr int kDefaultMinFontSize = 5;
    bool FitText() const { return m_fitText; }
    void setFitText(bool fit);
    int MinFontSize() const { return m_minFontSize; } // points
    void setMinFontSize(int points);
    // Whether the whole caption shows in the box when drawn `scale` times larger.
    bool TextFits(int scale = 1) const;

protected:
    void Paint(TCanvas& canvas) override;
    void fontChanged() override { adjustBounds(); }
    // Draws or, with DT_CALCRECT, measures the caption.
    void DoDrawText(TCanvas& canvas, TRect& r, unsigned flags) const;
    // The text in the canvas's font, as an enabled or a disabled label shows it.
    void drawShownText(TCanvas& canvas, const QString& text, TRect& r, unsigned flags) const;
    void adjustBounds();

private:
    struct FittedText;
    FittedText fitted(int scale) const;
    void paintFitted(TCanvas& canvas, const FittedText& fit);

    QString m_caption;
    QString m_composedText;
    bool m_composed = false;
    TAlignment m_alignment = taLeftJustify;
    TTextLayout m_layout = tlTop;
    bool m_autoSize = true;
    bool m_wordWrap = false;
    bool m_transparent = false;
    bool m_showAccelChar = true;
    bool m_fitText = false;
    int m_minFontSize = kDefaultMinFontSize;
};

// The DrawText flag of an alignment.
unsigned alignmentFlag(TAlignment alignment);

} // namespace wendolarka
