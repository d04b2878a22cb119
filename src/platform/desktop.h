#pragma once

#include <QRect>

namespace wendolarka {

// The bounding box of all monitors.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    virtual QRect VirtualDesktop() const = 0;
    // The primary screen: windows placed "at the screen centre" use it.
    virtual QRect Screen() const = 0;
};

// Where a window of that size stands centred on the area.
QPoint centredOn(const QRect& area, QSize size);

class QtDesktop final : public IDesktop {
public:
    QRect VirtualDesktop() const override;
    QRect Screen() const override;
};

// A desktop of a given size, for tests and for machines without a screen.
class FixedDesktop final : public IDesktop {
public:
    explicit FixedDesktop(QRect rect) : m_rect(rect), m_screen(rect) {}
    FixedDesktop(QRect virtualDesktop, QRect screen) : m_rect(virtualDesktop), m_screen(screen) {}
    QRect VirtualDesktop() const override { return m_rect; }
    QRect Screen() const override { return m_screen; }

private:
    QRect m_rect;
    QRect m_screen;
};

} // namespace wendolarka
