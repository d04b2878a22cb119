#include "window_places.h"

#include "platform/recent_places.h"
#include "widgets/form_setup.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace wendolarka {
namespace {

// Writes the window's place into the settings whenever it hides (closed, or the program ends).
class TPlaceRecorder : public QObject {
public:
    TPlaceRecorder(QWidget& window, TRecentPlaces& places, QString key)
        : QObject(&window), m_window(window), m_places(places), m_key(std::move(key)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A minimised, maximised or full-screen window is no place to come back to.
        if (watched == &m_window && event->type() == QEvent::Hide &&
            !(m_window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            m_places.keepWindowPlace(m_key, {m_window.frameGeometry(), m_window.size()});
        return false;
    }

private:
    QWidget& m_window;
    TRecentPlaces& m_places;
    QString m_key;
};

bool fitsAScreen(QSize size, const QList<QRect>& screens) {
    for (const QRect& screen : screens)
        if (size.width() <= screen.width() && size.height() <= screen.height())
            return true;
    return false;
}

} // namespace

QList<QRect> presentScreens() {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->geometry();
    return screens;
}

void keepWindowPlace(QWidget& window, TRecentPlaces& places, const QString& key, TKeptPart part,
                     const QList<QRect>& screens) {
    new TPlaceRecorder(window, places, key);
    const auto kept = places.windowPlace(key);
    if (!kept)
        return;
    const bool fits = part == TKeptPart::PlaceAndSize ? onPresentScreen(kept->frame, screens)
                                                      : fitsAScreen(kept->frame.size(), screens);
    if (!fits)
        return;
    TOuterFrameKeeper* keeper = TOuterFrameKeeper::of(window);
    if (keeper && keeper->outerSize().isValid()) {
        // Kept without a window manager the frame was the client area: a manager's frame
        // comes on top, as large as the window's layout reckons with.
        const QSize laidOutFrame = keeper->outerSize() - window.size();
        keeper->setOuterSize(kept->frame.size() == kept->client ? kept->client + laidOutFrame : kept->frame.size());
    }
    window.resize(kept->client);
    if (part == TKeptPart::PlaceAndSize) {
        const QPoint at = kept->frame.topLeft();
        window.move(at);
        if (keeper)
            keeper->setPlace([at] { return at; });
    }
}

} // namespace wendolarka
