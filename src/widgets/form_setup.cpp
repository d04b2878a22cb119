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

QPalette classicPalette() {
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, TColor color) {
        palette.setColor(QPalette::All, role, toQColor(color));
    };
    set(QPalette::Window, clBtnFace);
    set(QPalette::Button, clBtnFace);
    set(QPalette::WindowText, clWindowText);
    set(QPalette::ButtonText, clBtnText);
    set(QPalette::Base, clWindow);
    set(QPalette::AlternateBase, clBtnFace);
    set(QPalette::Text, clWindowText);
    set(QPalette::Highlight, clHighlight);
    set(QPalette::HighlightedText, clHighlightText);
    set(QPalette::Light, clBtnHighlight);
    set(QPalette::Midlight, cl3DLight);
    set(QPalette::Mid, clBtnShadow);
    set(QPalette::Dark, clBtnShadow);
    set(QPalette::Shadow, cl3DDkShadow);
    set(QPalette::ToolTipBase, clInfoBk);
    set(QPalette::ToolTipText, clInfoText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, toQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::Text, toQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, toQColor(clGrayText));
    return palette;
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
