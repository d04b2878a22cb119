#pragma once

#include "core/color.h"

#include <QFrame>

namespace wendolarka {

// A lowered panel that shows a colour.
class TColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit TColorPanel(TColor color, QWidget* parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor color);

signals:
    // A press of the left mouse button on the panel.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor m_color;
};

} // namespace wendolarka
