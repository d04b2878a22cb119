#pragma once

#include <QRect>

namespace wendolarka {

// The bounding box of all monitors.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    virtual QRect VirtualDesktop() const = 0;
};

class QtDesktop final : public IDesktop {
public:
    QRect VirtualDesktop() const override;
};

// A desktop of a given size, for tests and for machines without a screen.
class FixedDesktop final : public IDesktop {
public:
    explicit FixedDesktop(QRect rect) : m_rect(rect) {}
    QRect VirtualDesktop() const override { return m_rect; }

private:
    QRect m_rect;
};

} // namespace wendolarka
