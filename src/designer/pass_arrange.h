#pragma once

#include "core/canvas.h"

#include <QString>

#include <vector>

namespace wendolarka {

class TControl;
class TPassDesign;

// Arranging elements of a pass design: their stacking order, lining several
// up, their exact place. No widgets; the pass window's commands call these.
namespace pass_arrange {

// Stacking among the element's siblings, which is also the order a template
// stores them in.
void bringToFront(TControl& element);
void sendToBack(TControl& element);
// An element moved onto shown elements below it would hide them: it goes
// under the lowest of them instead, so a move hides nothing the user saw
// ("Na wierzch" then puts it above when that is wanted). A frame covers only
// its rings. Returns whether the order changed.
bool keepCoveredShown(TControl& moved);

// Which side or middle line the picked elements are lined up on.
enum class Line { Left, Right, Top, Bottom, CentreX, CentreY };
// The boxes lined up on that line of the anchor's box (the element the sizer
// is on); sizes are kept.
std::vector<TRect> aligned(const std::vector<TRect>& boxes, std::size_t anchor, Line line);

// The elements lined up on the last one's line (all of one container).
void align(const std::vector<TControl*>& elements, Line line);

enum class Axis { Horizontal, Vertical };
// The boxes spread so that the gaps between neighbours along the axis are
// equal (to a pixel), the first and the last staying where they are; fewer
// than three stay as they are. Sizes are kept; order is by position.
std::vector<TRect> distributed(const std::vector<TRect>& boxes, Axis axis);
void distribute(const std::vector<TControl*>& elements, Axis axis);

// Millimetres of a length in pixels at `pixelsPerInch`, and back to whole
// pixels (the nearest; halves away from zero). 25.4 mm to the inch.
double toMillimetres(int pixels, int pixelsPerInch);
int toPixels(double millimetres, int pixelsPerInch);

// The frame that surrounds `box`: the smallest visible frame of the design,
// other than the border, whose box holds all of it; none when there is none.
TControl* frameAround(const TPassDesign& design, const TRect& box);
// The frame follows the photo from `before` to `after`: moved by as much, and
// resized by as much when the photo's size changed, so its margins stay.
TRect followed(const TRect& frame, const TRect& before, const TRect& after);

// "Połącz z ramką": the photo and the frame around it move together. Told of
// the design after each user action, it moves or sizes the one that stayed as
// the other was moved or sized since the last time.
class TPhotoFrameLink {
public:
    bool enabled() const { return m_enabled; }
    // Switched on, the frame around the photo as it now stands is its partner.
    void setEnabled(bool enabled, const TPassDesign& design);
    void follow(TPassDesign& design);
    // The design as it now stands is what the next change is measured from.
    void remember(const TPassDesign& design);

private:
    bool m_enabled = false;
    QString m_frame; // the partner's name
    TRect m_photoBox, m_frameBox;
};

} // namespace pass_arrange
} // namespace wendolarka
