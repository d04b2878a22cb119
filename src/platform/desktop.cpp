#include "desktop.h"

#include <QGuiApplication>
#include <QScreen>

namespace wendolarka {

QRect QtDesktop::VirtualDesktop() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
}

QRect QtDesktop::Screen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QPoint centredOn(const QRect& area, QSize size) {
    return area.center() - QPoint(size.width() / 2, size.height() / 2);
}

} // namespace wendolarka
