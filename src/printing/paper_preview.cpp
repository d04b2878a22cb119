#include "paper_preview.h"

#include "controls/host_form.h"
#include "core/exception.h"

#include <QMenu>
#include <QPainter>
#include <QResizeEvent>

namespace wendolarka {

TPaperPreview::TPaperPreview(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(OuterSize(105), OuterSize(148));
    sizeChanged();
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_popupMenu)
            m_popupMenu->popup(mapToGlobal(at));
    });
}

void TPaperPreview::setPopupMenu(QMenu* menu) {
    m_popupMenu = menu;
    setContextMenuPolicy(menu ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
}

TColor TPaperPreview::Color() const {
    if (m_color)
        return *m_color;
    return parentWidget() ? fromQColor(parentWidget()->palette().color(QPalette::Window)) : clBtnFace;
}

void TPaperPreview::setColor(TColor color) {
    m_color = color;
    m_frameDrawn = false;
    Invalidate();
}

template <typename T>
void TPaperPreview::setFrameValue(T& field, T value) {
    if (field == value)
        return;
    field = value;
    m_frameDrawn = false;
    Invalidate();
}

void TPaperPreview::setBorderColor(TColor color) { setFrameValue(m_borderColor, color); }
void TPaperPreview::setPaperColor(TColor color) { setFrameValue(m_paperColor, color); }
void TPaperPreview::setShadowColor(TColor color) { setFrameValue(m_shadowColor, color); }

// The page area keeps its size; the control grows or shrinks around it.
void TPaperPreview::keepPaperSize(int& field, int value) {
    if (field == value)
        return;
    const int paperWidth = PaperWidth(), paperHeight = PaperHeight();
    field = value;
    resize(OuterSize(paperWidth), OuterSize(paperHeight));
}

void TPaperPreview::setBorderSize(int size) { keepPaperSize(m_borderSize, size); }
void TPaperPreview::setShadowSize(int size) { keepPaperSize(m_shadowSize, size); }

TRect TPaperPreview::GetPageRect() const {
    return {m_borderSize, m_borderSize, width() - m_borderSize - m_shadowSize, height() - m_borderSize - m_shadowSize};
}

void TPaperPreview::DrawFrame() {
    TCanvas canvas(m_bitmap);
    const int S = m_shadowSize, W = width(), H = height();
    canvas.Pen.Mode = pmCopy;
    if (m_borderSize > 0) {
        // An inside-frame pen: the line lies wholly inside (0, 0, W - S, H - S).
        canvas.Brush = {m_borderColor, bsSolid};
        TRect ring{0, 0, W - S, H - S};
        for (int k = 0; k < m_borderSize && !ring.isEmpty(); ++k) {
            canvas.FrameRect(ring);
            ring = ring.inflated(-1, -1);
        }
    }
    if (S > 0) {
        canvas.Brush = {m_shadowColor, bsSolid};
        canvas.FillRect({W - S, S, W, H});
        canvas.FillRect({S, H - S, W, H});
        canvas.Brush = {Color(), bsSolid};
        canvas.FillRect({W - S, 0, W, S});
        canvas.FillRect({0, H - S, S, H});
    }
}

void TPaperPreview::Invalidate() {
    m_pageDrawn = false;
    update();
}

void TPaperPreview::Render() {
    if (m_bitmap.size() != size() && m_bitmapValid)
        sizeChanged(); // a hidden control learns its size only when shown
    if (!m_bitmapValid)
        return;
    if (!m_frameDrawn) {
        DrawFrame();
        m_frameDrawn = true;
        m_pageDrawn = false;
    }
    if (!m_pageDrawn) {
        TCanvas canvas(m_bitmap);
        const TRect r = GetPageRect();
        canvas.setClipRect(r);
        if (!OwnerFillsPage || !OnPaint) {
            canvas.Brush = {m_paperColor, bsSolid};
            canvas.FillRect(r);
        }
        if (OnPaint)
            OnPaint(*this, canvas, r);
        canvas.resetClipRect();
        m_pageDrawn = true;
    }
}

void TPaperPreview::paintEvent(QPaintEvent*) {
    Render();
    if (!m_bitmapValid)
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_bitmap);
}

void TPaperPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sizeChanged();
    if (OnResize)
        OnResize(*this);
}

void TPaperPreview::sizeChanged() {
    // The store grows when needed and shrinks when it holds four times the
    // pixels asked for; the bitmap is a view of its top-left corner.
    // A size the memory cannot hold leaves the bitmap invalid: nothing is painted.
    const QSize want(std::max(1, width()), std::max(1, height()));
    const qint64 asked = qint64(want.width()) * want.height();
    const qint64 held = qint64(m_store.width()) * m_store.height();
    m_bitmap = QImage();
    if (m_store.width() < want.width() || m_store.height() < want.height() || held > 4 * asked) {
        m_store = QImage();
        m_store = QImage(want, QImage::Format_RGB32);
    }
    m_bitmapValid = !m_store.isNull();
    if (m_bitmapValid) {
        m_bitmap = QImage(m_store.bits(), want.width(), want.height(), m_store.bytesPerLine(), QImage::Format_RGB32);
        m_frameDrawn = false;
    }
}

void TPaperPreviewOptions::Assign(const TPaperPreviewOptions& source) {
    setBorderColor(source.BorderColor);
    setBorderWidth(source.BorderWidth);
    setCursor(source.Cursor);
    setDragCursor(source.DragCursor);
    setGrabCursor(source.GrabCursor);
    setPaperColor(source.PaperColor);
    setPopupMenu(source.PopupMenu);
    setShadowColor(source.ShadowColor);
    setShadowWidth(source.ShadowWidth);
}

void TPaperPreviewOptions::AssignTo(TPaperPreview& paper) const {
    paper.setPaperColor(PaperColor);
    paper.setBorderColor(BorderColor);
    paper.setBorderSize(BorderWidth);
    paper.setShadowColor(ShadowColor);
    paper.setShadowSize(ShadowWidth);
    paper.setCursor(cursorFor(Cursor));
    paper.setPopupMenu(PopupMenu);
}

void TPaperPreviewOptions::AssignTo(const QObject& other) const {
    const char* className = other.metaObject()->className();
    throw Exception(QStringLiteral("Cannot assign a TPaperPreviewOptions to a %1")
                        .arg(QString::fromLatin1(className).section(QStringLiteral("::"), -1)));
}

} // namespace wendolarka
