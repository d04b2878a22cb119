#pragma once

#include "core/color.h"
#include "core/font.h"

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>

class QPalette;
class QDialog;
class QDialogButtonBox;
class QWidget;

namespace wendolarka {

// The frame a sizeable tool window adds around its client area, so that the
// outer sizes of the stored window descriptions give the same client areas.
inline constexpr QSize kToolWindowFrame{16, 38};

struct FormSetup {
    QString name;
    QString caption;
    QSize clientSize;
    TColor color = clBtnFace;
    TFont font;
    bool toolWindow = true;
};

// Texts of the windows are written in UTF-8 in the sources.
inline QString utf8(const char* text) { return QString::fromUtf8(text); }

// Gives a control its name (the one the other parts of the program use).
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

// Name, caption, size, background and font of a top-level window.
void initForm(QWidget& form, const FormSetup& setup);

// "OK" and "Anuluj" that accept and reject the dialog, for its layout.
QDialogButtonBox* okCancelButtons(QDialog& dialog);

// A tool window's frame: a title bar with only the close box.
void setToolWindowFrame(QWidget& window);

// Keeps a top-level window's outer size (its frame included) and, when given,
// its place, once a window manager has framed it: the client area takes what
// the real frame leaves, measured at each showing and again when the manager
// changes the frame soon after. Without a frame (no window manager) the client
// size stays as laid out. An invalid outer size keeps the client size and
// only places the window.
class TOuterFrameKeeper : public QObject {
public:
    TOuterFrameKeeper(QWidget& window, QSize outer, std::function<QPoint()> place = {});
    // The client size that gives the outer size with that frame.
    static QSize clientFor(QSize outer, QSize frame) { return (outer - frame).expandedTo(QSize(0, 0)); }
    // The frame the window manager has put around a shown window, as it tells it now; none before.
    static QSize frameOf(const QWidget& window);
    // The keeper of a window, if it has one.
    static TOuterFrameKeeper* of(QWidget& window);
    // Another outer size or place from the next fitting on (a place kept from an earlier run).
    QSize outerSize() const { return m_outer; }
    void setOuterSize(QSize outer) { m_outer = outer; }
    void setPlace(std::function<QPoint()> place) { m_place = std::move(place); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();
    static constexpr int kPollTries = 80; // four seconds: a busy machine frames late
    static constexpr int kPlaceTries = 5;

    QWidget& m_window;
    QSize m_outer;
    QSize m_frame; // the frame fitted to
    std::function<QPoint()> m_place;
    QTimer m_poll;
    int m_tries = 0;
    int m_placeTries = 0;
    bool m_kept = false;
};

// Background colour of a widget, painted by the widget itself.
void setBackground(QWidget& widget, TColor color);

// The palette of the classic desktop scheme: grey faces, white fields.
QPalette classicPalette();

// Text colour of a widget and of the children that inherit its palette.
void setTextColor(QWidget& widget, TColor color);

} // namespace wendolarka
