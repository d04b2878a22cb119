#include "color_panel.h"

#include <QMouseEvent>

#include "form_setup.h"

namespace wendolarka {

TColorPanel::TColorPanel(TColor color, QWidget* parent) : QFrame(parent), m_color(color) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setBackground(*this, color);
}

void TColorPanel::setColor(TColor color) {
    if (color == m_color)
        return;
    m_color = color;
    setBackground(*this, color);
}

void TColorPanel::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Click();
}

} // namespace wendolarka
