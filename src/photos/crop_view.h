#pragma once

#include <QImage>
#include <QRectF>
#include <QWidget>

namespace wendolarka::photos {

// The whole picture scaled to fit, with a crop frame of a fixed aspect drawn
// over it and the outside dimmed. The frame is in the picture's pixels; what is
// shown may be a smaller copy of the picture (a preview), stretched over the
// picture's size. Mouse: drag inside moves, drag a corner resizes about the
// opposite corner (with Ctrl about the centre), the wheel resizes. Keys:
// arrows move by a screen pixel's worth (Shift: ten), + and - or Ctrl+arrows
// resize. The frame never leaves the picture.
class TCropView final : public QWidget {
    Q_OBJECT
public:
    explicit TCropView(QWidget* parent = nullptr);

    // `shown` is drawn over a picture of `pictureSize` pixels; the frame is kept.
    void setPicture(const QImage& shown, QSizeF pictureSize);
    void setShown(const QImage& shown);
    QSizeF pictureSize() const { return m_pictureSize; }
    void setAspect(double aspect) { m_aspect = aspect; }
    double aspect() const { return m_aspect; }

    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame);

    // Where the picture lies in the widget, and the frame there.
    QRectF pictureArea() const;
    QRectF frameOnScreen() const;
    // Picture pixels per screen pixel: the smallest step that shows.
    double pixelStep() const;

    QSize sizeHint() const override { return {720, 640}; }
    QSize minimumSizeHint() const override { return {240, 200}; }

signals:
    void frameChanged(const QRectF& frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Drag { none, move, corner };
    // The corner handle under a widget point: 0 top left, 1 top right,
    // 2 bottom right, 3 bottom left; -1 when none.
    int cornerAt(QPointF point) const;
    QPointF toPicture(QPointF point) const;
    void changeFrame(const QRectF& frame);
    void resizeBy(double factor);
    // The frame from its fixed corner `anchor` towards `towards`, as large as
    // the pointer says and the picture allows.
    QRectF frameFromCorner(QPointF anchor, QPointF towards) const;
    void updateCursor(QPointF point);

    QImage m_shown;
    QSizeF m_pictureSize;
    double m_aspect = 0.8;
    QRectF m_frame;

    Drag m_drag = Drag::none;
    int m_corner = -1;
    QPointF m_pressPicture; // where the drag began, in picture pixels
    QRectF m_pressFrame;    // the frame then
    int m_wheelRest = 0;    // eighths of a degree not yet a whole notch
};

} // namespace wendolarka::photos
