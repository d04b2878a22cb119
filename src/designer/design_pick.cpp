#include "design_pick.h"

#include "pass_arrange.h"

#include "design_history.h"
#include "pass_window.h"
#include "sizer/size_control.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace wendolarka {

TControl* elementUnderPress(const TForm1& form, const QObject* watched, QPoint position) {
    const TSizeControl* sizer = form.SizeControl1.data();
    if (watched == &form)
        return form.controlAt(position);
    if (!sizer || watched != sizer)
        return nullptr;
    // A hollow target lets presses in its middle through to what lies beneath.
    if (sizer->Target() && sizer->Target()->HitTest(position))
        return sizer->Target();
    return form.controlAt(sizer->mapTo(&form, position));
}

TDesignPick::TDesignPick(TForm1& form) : QObject(&form), m_form(form) {
    QCoreApplication::instance()->installEventFilter(this);
    connect(&form, &THostForm::controlDestroying, this, [this](TControl* doomed) { drop(doomed); });
    connect(&form, &THostForm::controlVisibilityChanged, this, [this](TControl* element) {
        if (!element->Showing())
            drop(element);
    });
    // A design brought back has new elements: the pick goes to those of the same names.
    connect(&form.history(), &TDesignHistory::aboutToRestore, this, [this] {
        m_follow.reset();
        m_aloneOnClick = nullptr;
        m_kept.clear();
        for (const TControl* element : m_others)
            m_kept << element->Name();
    });
    connect(&form.history(), &TDesignHistory::restored, this, [this] {
        m_others.clear();
        for (const QString& name : std::as_const(m_kept))
            if (TControl* element = name.isEmpty() ? nullptr : m_form.findControl(name))
                m_others.push_back(element);
        m_kept.clear();
        changed();
    });
}

std::vector<TControl*> TDesignPick::elements() const {
    const TSizeControl* sizer = m_form.SizeControl1.data();
    TControl* const anchor = sizer ? sizer->Target() : nullptr;
    std::vector<TControl*> all;
    for (TControl* element : m_others)
        if (element != anchor)
            all.push_back(element);
    if (anchor)
        all.push_back(anchor);
    return all;
}

void TDesignPick::clear() {
    if (m_others.empty())
        return;
    m_others.clear();
    changed();
}

void TDesignPick::drop(const TControl* element) {
    if (m_follow)
        std::erase_if(m_follow->others, [element](const auto& entry) { return entry.first == element; });
    if (m_aloneOnClick == element)
        m_aloneOnClick = nullptr;
    const auto it = std::find(m_others.begin(), m_others.end(), element);
    if (it == m_others.end())
        return;
    m_others.erase(it);
    changed();
}

void TDesignPick::changed() { m_form.update(); }

void TDesignPick::pickForMenu(TControl* element) {
    TSizeControl* sizer = m_form.SizeControl1.data();
    const bool element_ = element && element != &m_form.client();
    const auto it = std::find(m_others.begin(), m_others.end(), element);
    if (element_ && it != m_others.end()) {
        // The old anchor stays picked among the others.
        m_others.erase(it);
        if (sizer && sizer->Target())
            m_others.push_back(sizer->Target());
    } else if (!element_ || !sizer || element != sizer->Target()) {
        m_others.clear();
    }
    if (sizer)
        sizer->setTarget(element_ ? element : nullptr);
    changed();
}

bool TDesignPick::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    TSizeControl* const sizer = m_form.SizeControl1.data();
    followSizer(sizer);
    if (type == QEvent::KeyPress) {
        // An arrow key moves the target before telling of it: where it was is taken here.
        if (sizer && watched == sizer && sizer->Target() && sizer->dragMode() == TDragMode::None)
            startFollowing(*sizer->Target(), false);
        return false;
    }
    if (type == QEvent::MouseButtonRelease) {
        if (m_aloneOnClick && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            (watched == &m_form || (sizer && watched == sizer))) {
            // Let go without a drag: the click picks it alone.
            if (!(m_follow && m_follow->byMouse))
                clear();
            m_aloneOnClick = nullptr;
        }
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    TControl* const element = elementUnderPress(m_form, watched, mouse->position().toPoint());
    if (!element)
        return false; // not on the pass window
    m_follow.reset();
    m_aloneOnClick = nullptr;
    TControl* const anchor = sizer ? sizer->Target() : nullptr;
    const bool onElement = element != &m_form.client();
    const auto it = std::find(m_others.begin(), m_others.end(), element);
    if (!(mouse->modifiers() & Qt::ShiftModifier) || !onElement) {
        // A press on the anchor itself keeps the others: it may be the start of a move.
        if (element == anchor)
            return false;
        if (it == m_others.end()) {
            clear();
            return false;
        }
        // On one of the others: the sizer goes to it and a drag takes them all along.
        m_aloneOnClick = element;
    } else if (element == anchor) {
        return false;
    } else if (it != m_others.end()) {
        // Taken out of the pick; the sizer stays where it is.
        m_others.erase(it);
        changed();
        return true;
    }
    // The sizer goes to it (its own pick), the old anchor joins the others.
    if (it != m_others.end())
        m_others.erase(it);
    if (anchor)
        m_others.push_back(anchor);
    changed();
    return false;
}

void TDesignPick::followSizer(TSizeControl* sizer) {
    if (!sizer || sizer == m_followed)
        return;
    m_followed = sizer;
    sizer->OnMoving = [this](TSizeControl& sender, const TRect& box) { anchorMoving(sender, box); };
    sizer->OnMoved = [this](TSizeControl& sender, const TRect& box) { anchorMoved(sender, box); };
}

void TDesignPick::startFollowing(const TControl& anchor, bool byMouse) {
    m_follow.reset();
    if (m_others.empty())
        return;
    Follow follow{byMouse, anchor.BoundsRect(), {}};
    for (TControl* element : m_others)
        if (element != &anchor)
            follow.others.emplace_back(element, element->BoundsRect());
    m_follow = std::move(follow);
}

void TDesignPick::placeOthers(const TRect& anchorBox) const {
    const int dx = anchorBox.Left - m_follow->anchorFrom.Left;
    const int dy = anchorBox.Top - m_follow->anchorFrom.Top;
    for (const auto& [element, from] : m_follow->others) {
        const TRect to = from.translated(dx, dy);
        if (element->BoundsRect() != to)
            element->setBoundsRect(to);
    }
}

void TDesignPick::anchorMoving(const TSizeControl& sizer, const TRect& box) {
    const TControl* const anchor = sizer.Target();
    if (!anchor)
        return;
    // A drag moves the target only when let go; until then the others go live
    // with the pointer, from where they were when it began.
    if (sizer.dragMode() == TDragMode::Move && !(m_follow && m_follow->byMouse))
        startFollowing(*anchor, true);
    if (m_follow)
        placeOthers(box);
}

void TDesignPick::anchorMoved(const TSizeControl& sizer, const TRect& box) {
    // The drag's end may have snapped the target to the grid: the others follow the final place.
    if (m_follow && m_follow->byMouse && sizer.Target())
        placeOthers(box);
    if (m_follow && m_follow->byMouse)
        m_follow.reset();
    // What was moved hides nothing it came over.
    if (TControl* target = sizer.Target())
        pass_arrange::keepCoveredShown(*target);
    for (TControl* other : m_others)
        if (other != sizer.Target())
            pass_arrange::keepCoveredShown(*other);
}

void TDesignPick::paintMarks(QPainter& painter) const {
    const TSizeControl* sizer = m_form.SizeControl1.data();
    const QColor colour = toQColor(sizer ? sizer->Color() : TColor(3368703));
    painter.save();
    for (const TControl* element : m_others) {
        if (sizer && element == sizer->Target())
            continue;
        const QRect box(element->hostOffset(), QSize(element->Width(), element->Height()));
        // A thin dashed frame and four corner squares: picked, but not the one the sizer is on.
        // All inside the element's box, so whatever repaints the element repaints its marks.
        painter.setPen(QPen(colour, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        const int side = std::min({4, box.width(), box.height()});
        for (const QPoint corner : {box.topLeft(), QPoint(box.right() - side + 1, box.top()),
                                    QPoint(box.left(), box.bottom() - side + 1),
                                    QPoint(box.right() - side + 1, box.bottom() - side + 1)})
            painter.fillRect(QRect(corner, QSize(side, side)), colour);
    }
    painter.restore();
}

} // namespace wendolarka
