#pragma once

#include "core/canvas.h"
#include "core/color.h"

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>



namespace wendolarka {

using TCursor = int;

// One page shown as a sheet of paper: a paper-coloured area with a border line
// and a drop shadow to the lower right, painted through an off-screen bitmap so
// that a repaint only copies pixels. The owner fills the page in OnPaint.
class TPaperPreview : public QWidget {
    Q_OBJECT
public:
    using TPaperPaintEvent = std::function<void(TPaperPreview& sender, TCanvas& canvas, const TRect& pageRect)>;

    explicit TPaperPreview(QWidget* parent = nullptr);

    TColor BorderColor() const { return m_borderColor; }
    void setBorderColor(TColor color);
    int BorderSize() const { return m_borderSize; }
    void setBorderSize(int size);
    TColor PaperColor() const { return m_paperColor; }
    void setPaperColor(TColor color);
    TColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(TColor color);
    int ShadowSize() const { return m_shadowSize; }
    void setShadowSize(int size);
    // The page area; the control's size follows it.
    int PaperWidth() const { return InnerSize(width()); }
    void setPaperWidth(int value) { resize(OuterSize(value), height()); }
    int PaperHeight() const { return InnerSize(height()); }
    void setPaperHeight(int value) { resize(width(), OuterSize(value)); }
    // The colour left in the two corners the offset shadow skips (the parent's by default).
    TColor Color() const;
    void setColor(TColor color);
    // The menu a right click opens on the paper, or none.
    QMenu* PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu);

    int OuterSize(int x) const { return x + 2 * m_borderSize + m_shadowSize; }
    int InnerSize(int x) const { return x - 2 * m_borderSize - m_shadowSize; }

    virtual void DrawFrame();
    virtual TRect GetPageRect() const;
    // The page content is stale; the next paint renders it again (not the frame).
    void Invalidate();

    bool BitmapValid() const { return m_bitmapValid; }
    const QImage& Bitmap() const { return m_bitmap; }
    // Brings the off-screen bitmap up to date, as a paint does before copying it.
    void Render();

    TPaperPaintEvent OnPaint;
    // The owner's OnPaint covers the whole page with opaque pixels, so the paper
    // colour is not filled in first.
    bool OwnerFillsPage = false;
    std::function<void(TPaperPreview&)> OnResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    template <typename T>
    void setFrameValue(T& field, T value);
    void keepPaperSize(int& field, int value);
    void sizeChanged();

    QImage m_store;  // the pixels; kept across resizes so a zoom allocates nothing new
    QImage m_bitmap; // the control's size, over m_store
    bool m_bitmapValid = false;
    bool m_frameDrawn = false;
    bool m_pageDrawn = false;
    TColor m_borderColor = clBlack;
    int m_borderSize = 1;
    TColor m_paperColor = clWhite;
    TColor m_shadowColor = clBtnShadow;
    int m_shadowSize = 3;
    std::optional<TColor> m_color; // none: the parent's
    QPointer<QMenu> m_popupMenu;
};

// The paper's colours, widths, cursors and popup menu, copied onto a paper control.
class TPaperPreviewOptions {
public:
    TColor BorderColor = clBlack;
    int BorderWidth = 1;
    TCursor Cursor = 0;
    TCursor DragCursor = 10;
    TCursor GrabCursor = 11;
    TColor PaperColor = clWhite;
    QMenu* PopupMenu = nullptr;
    TColor ShadowColor = clBtnShadow;
    int ShadowWidth = 3;

    // Raised by every change made through the setters.
    std::function<void()> OnChange;
    void setBorderColor(TColor v) { change(BorderColor, v); }
    void setBorderWidth(int v) { change(BorderWidth, v); }
    void setCursor(TCursor v) { change(Cursor, v); }
    void setDragCursor(TCursor v) { change(DragCursor, v); }
    void setGrabCursor(TCursor v) { change(GrabCursor, v); }
    void setPaperColor(TColor v) { change(PaperColor, v); }
    void setPopupMenu(QMenu* v) { change(PopupMenu, v); }
    void setShadowColor(TColor v) { change(ShadowColor, v); }
    void setShadowWidth(int v) { change(ShadowWidth, v); }

    // All nine values through the setters, in the order of the list above.
    void Assign(const TPaperPreviewOptions& source);
    // PaperColor, BorderColor, BorderSize, ShadowColor, ShadowSize, Cursor, PopupMenu.
    void AssignTo(TPaperPreview& paper) const;
    // Anything else cannot take an option set: "Cannot assign a %s to a %s".
    [[noreturn]] void AssignTo(const QObject& other) const;

private:
    template <typename T>
    void change(T& field, T value) {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange();
    }
};

} // namespace wendolarka
