#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include "core/canvas.h"

#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace wendolarka {

class TControl;
class TForm1;
class TSizeControl;

// What a mouse press at `position` of the window or its sizer (`watched`) is
// on: the sizer's target when the press is on its solid part, else the
// element under the point; the window's surface on bare ground; none when
// `watched` is neither.
TControl* elementUnderPress(const TForm1& form, const QObject* watched, QPoint position);

// The elements picked on the pass window. The sizer's target is the last one
// (the anchor others line up on); Shift+click adds an element, or takes one
// out again, and a click without Shift picks one alone, as the sizer does.
// Moving the sizer's target (a drag, the arrow keys) moves the others by as
// much; a drag may start on any picked element.
class TDesignPick : public QObject {
    Q_OBJECT
public:
    explicit TDesignPick(TForm1& form);

    // Picked, in the order they were added, the sizer's target last.
    std::vector<TControl*> elements() const;
    // Those besides the sizer's target, which the window marks.
    const std::vector<TControl*>& others() const { return m_others; }
    // The right button on an element: one already picked keeps the pick and
    // becomes its anchor; any other is picked alone.
    void pickForMenu(TControl* element);
    void clear();

    // The marks of the others, over the window's picture.
    void paintMarks(QPainter& painter) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drop(const TControl* element);
    void changed();
    // The window's sizer is made anew (closing, a template): each is hooked before it moves.
    void followSizer(TSizeControl* sizer);
    void anchorMoving(const TSizeControl& sizer, const TRect& box);
    void anchorMoved(const TSizeControl& sizer, const TRect& box);
    void startFollowing(const TControl& anchor, bool byMouse);
    void placeOthers(const TRect& anchorBox) const;

    // Where the anchor and the others were when a move began; the others are
    // placed from there, so a drag's path never adds up rounding.
    struct Follow {
        bool byMouse = false;
        TRect anchorFrom;
        std::vector<std::pair<TControl*, TRect>> others;
    };
    std::optional<Follow> m_follow;
    QPointer<TSizeControl> m_followed;
    TControl* m_aloneOnClick = nullptr; // pressed among the others: picked alone unless dragged
    TForm1& m_form;
    std::vector<TControl*> m_others;
    QStringList m_kept; // names while a design is brought back
};

} // namespace wendolarka
