#include "form_setup.h"

#include <QPalette>
#include <QWidget>

namespace wendolarka {

void setBackground(QWidget& widget, TColor color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(color));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void setTextColor(QWidget& widget, TColor color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    palette.setColor(QPalette::Text, toQColor(color));
    palette.setColor(QPalette::ButtonText, toQColor(color));
    widget.setPalette(palette);
}

void initForm(QWidget& form, const FormSetup& setup) {
    form.setObjectName(setup.name);
    form.setWindowTitle(setup.caption);
    if (setup.toolWindow)
        form.setWindowFlag(Qt::Tool, true);
    form.resize(setup.clientSize);
    setBackground(form, setup.color);
    form.setFont(setup.font.toQFont());
}

} // namespace wendolarka
