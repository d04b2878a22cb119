#pragma once

#include "core/color.h"
#include "core/font.h"

#include <QSize>
#include <QString>

class QPalette;
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

// Background colour of a widget, painted by the widget itself.
void setBackground(QWidget& widget, TColor color);

// The palette of the classic desktop scheme: grey faces, white fields.
QPalette classicPalette();

// Text colour of a widget and of the children that inherit its palette.
void setTextColor(QWidget& widget, TColor color);

} // namespace wendolarka
