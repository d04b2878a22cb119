#include "help_window.h"

#include "widgets/form_setup.h"

namespace wendolarka {

TFhelp::TFhelp(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("Fhelp"), QStringLiteral("Plik pomocy"), QSize(744, 415), clBtnShadow,
                     TFont(QStringLiteral("MS Sans Serif"), 8), false});
}

} // namespace wendolarka
