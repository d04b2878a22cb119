#include "design_pick.h"

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
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    TControl* const element = elementUnderPress(m_form, watched, mouse->position().toPoint());
    if (!element)
        return false; // not on the pass window
    TSizeControl* const sizer = m_form.SizeControl1.data();
    TControl* const anchor = sizer ? sizer->Target() : nullptr;
    const bool onElement = element != &m_form.client();
    if (!(mouse->modifiers() & Qt::ShiftModifier) || !onElement) {
        // A press on the anchor itself keeps the others: it may be the start of a move.
        if (element != anchor)
            clear();
        return false;
    }
    if (element == anchor)
        return false;
    const auto it = std::find(m_others.begin(), m_others.end(), element);
    if (it != m_others.end()) {
        // Taken out of the pick; the sizer stays where it is.
        m_others.erase(it);
        changed();
        return true;
    }
    // Added: the sizer goes to it (its own pick), the old anchor joins the others.
    if (anchor)
        m_others.push_back(anchor);
    changed();
    return false;
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
