#include "desktop.h"

#include <QGuiApplication>
#include <QScreen>

namespace wendolarka {

QRect QtDesktop::VirtualDesktop() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace wendolarka
