#include "pass_arrange.h"

#include "controls/control.h"
#include "pass_design.h"
#include "controls/image.h"
#include "controls/multi_bevel.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace wendolarka::pass_arrange {

void bringToFront(TControl& element) {
    if (TWinControl* parent = element.Parent()) {
        parent->BringToFront(&element);
        element.Invalidate();
    }
}

namespace {

// Whether what `a` paints meets what `b` paints: a frame paints only its rings.
bool paintedOverlap(const TControl& a, const TControl& b) {
    const TRect ra = a.BoundsRect(), rb = b.BoundsRect();
    if (ra.intersected(rb).isEmpty())
        return false;
    const TRect hollowA = a.HollowArea().translated(ra.Left, ra.Top), hollowB = b.HollowArea().translated(rb.Left, rb.Top);
    const auto inside = [](const TRect& inner, const TRect& outer) { return !outer.isEmpty() && outer.intersected(inner) == inner; };
    return !inside(ra, hollowB) && !inside(rb, hollowA);
}

} // namespace

bool keepCoveredShown(TControl& moved) {
    TWinControl* parent = moved.Parent();
    if (!parent || !moved.Visible())
        return false;
    const std::vector<TControl*> order = parent->Controls(); // bottom first
    const auto at = std::find(order.begin(), order.end(), &moved);
    const auto lowest = std::find_if(order.begin(), at, [&](const TControl* below) {
        return below->Visible() && paintedOverlap(moved, *below);
    });
    if (lowest == at)
        return false;
    // The order wanted, laid by bringing each to the front in turn.
    std::vector<TControl*> wanted(order.begin(), lowest);
    wanted.push_back(&moved);
    for (auto it = lowest; it != order.end(); ++it)
        if (*it != &moved)
            wanted.push_back(*it);
    for (TControl* element : wanted)
        parent->BringToFront(element);
    if (TElementHost* host = moved.elementHost())
        host->invalidateArea({});
    return true;
}

void sendToBack(TControl& element) {
    if (TWinControl* parent = element.Parent()) {
        parent->SendToBack(&element);
        if (TElementHost* host = element.elementHost())
            host->invalidateArea({}); // what lay beneath now shows over it
    }
}

std::vector<TRect> aligned(const std::vector<TRect>& boxes, std::size_t anchor, Line line) {
    if (anchor >= boxes.size())
        return boxes;
    const TRect& a = boxes[anchor];
    std::vector<TRect> result;
    result.reserve(boxes.size());
    for (const TRect& b : boxes) {
        int dx = 0, dy = 0;
        switch (line) {
        case Line::Left: dx = a.Left - b.Left; break;
        case Line::Right: dx = a.Right - b.Right; break;
        case Line::Top: dy = a.Top - b.Top; break;
        case Line::Bottom: dy = a.Bottom - b.Bottom; break;
        // Middles of odd and even widths differ by half a pixel: the left one counts.
        case Line::CentreX: dx = (a.Left + a.Width() / 2) - (b.Left + b.Width() / 2); break;
        case Line::CentreY: dy = (a.Top + a.Height() / 2) - (b.Top + b.Height() / 2); break;
        }
        result.push_back(b.translated(dx, dy));
    }
    return result;
}

std::vector<TRect> distributed(const std::vector<TRect>& boxes, Axis axis) {
    if (boxes.size() < 3)
        return boxes;
    const bool horizontal = axis == Axis::Horizontal;
    const auto start = [horizontal](const TRect& r) { return horizontal ? r.Left : r.Top; };
    const auto length = [horizontal](const TRect& r) { return horizontal ? r.Width() : r.Height(); };
    std::vector<std::size_t> order(boxes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return start(boxes[x]) < start(boxes[y]); });
    const TRect& first = boxes[order.front()];
    const TRect& last = boxes[order.back()];
    long long lengths = 0;
    for (std::size_t i : order)
        lengths += length(boxes[i]);
    const long long span = static_cast<long long>(start(last)) + length(last) - start(first);
    const double gap = double(span - lengths) / double(boxes.size() - 1);
    std::vector<TRect> result = boxes;
    long long before = 0; // lengths of the boxes before this one
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t i = order[k];
        const int at = start(first) + static_cast<int>(before + std::llround(gap * double(k)));
        const int shift = at - start(boxes[i]);
        result[i] = horizontal ? boxes[i].translated(shift, 0) : boxes[i].translated(0, shift);
        before += length(boxes[i]);
    }
    // The last stays exactly where it was, whatever the rounding did.
    result[order.back()] = last;
    return result;
}

namespace {

std::vector<TRect> boxesOf(const std::vector<TControl*>& elements) {
    std::vector<TRect> boxes;
    for (const TControl* e : elements)
        boxes.push_back(e->BoundsRect());
    return boxes;
}

void place(const std::vector<TControl*>& elements, const std::vector<TRect>& boxes) {
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (elements[i]->BoundsRect() != boxes[i])
            elements[i]->setBoundsRect(boxes[i]);
}

} // namespace

void align(const std::vector<TControl*>& elements, Line line) {
    if (elements.size() >= 2)
        place(elements, aligned(boxesOf(elements), elements.size() - 1, line));
}

void distribute(const std::vector<TControl*>& elements, Axis axis) {
    place(elements, distributed(boxesOf(elements), axis));
}

double toMillimetres(int pixels, int pixelsPerInch) {
    return pixelsPerInch > 0 ? pixels * 25.4 / pixelsPerInch : 0.0;
}

int toPixels(double millimetres, int pixelsPerInch) {
    return static_cast<int>(std::lround(millimetres * pixelsPerInch / 25.4));
}

TControl* frameAround(const TPassDesign& design, const TRect& box) {
    TControl* best = nullptr;
    long long bestArea = 0;
    for (int k = 1; k < 6; ++k) {
        TktMultiBevel* frame = design.frame(k);
        if (!frame || !frame->Visible())
            continue;
        const TRect f = frame->BoundsRect();
        if (f.Left > box.Left || f.Top > box.Top || f.Right < box.Right || f.Bottom < box.Bottom)
            continue;
        const long long area = static_cast<long long>(f.Width()) * f.Height();
        if (!best || area < bestArea) {
            best = frame;
            bestArea = area;
        }
    }
    return best;
}

TRect followed(const TRect& frame, const TRect& before, const TRect& after) {
    return {frame.Left + (after.Left - before.Left), frame.Top + (after.Top - before.Top),
            frame.Right + (after.Right - before.Right), frame.Bottom + (after.Bottom - before.Bottom)};
}

void TPhotoFrameLink::setEnabled(bool enabled, const TPassDesign& design) {
    m_enabled = enabled;
    m_frame.clear();
    if (enabled && design.Image11)
        if (const TControl* frame = frameAround(design, design.Image11->BoundsRect()))
            m_frame = frame->Name();
    remember(design);
}

void TPhotoFrameLink::remember(const TPassDesign& design) {
    const TControl* frame = m_frame.isEmpty() ? nullptr : design.findControl(m_frame);
    m_photoBox = design.Image11 ? design.Image11->BoundsRect() : TRect{};
    m_frameBox = frame ? frame->BoundsRect() : TRect{};
}

void TPhotoFrameLink::follow(TPassDesign& design) {
    TControl* const frame = m_frame.isEmpty() ? nullptr : design.findControl(m_frame);
    if (m_enabled && design.Image11 && frame) {
        const TRect photo = design.Image11->BoundsRect();
        const TRect box = frame->BoundsRect();
        // Both changed (aligned together, brought back by undo): nothing to follow.
        if (photo != m_photoBox && box == m_frameBox)
            frame->setBoundsRect(followed(box, m_photoBox, photo));
        else if (box != m_frameBox && photo == m_photoBox)
            design.Image11->setBoundsRect(followed(photo, m_frameBox, box));
    }
    remember(design);
}

} // namespace wendolarka::pass_arrange
