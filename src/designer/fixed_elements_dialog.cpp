#include "fixed_elements_dialog.h"

#include "widgets/form_setup.h"

namespace wendolarka {

TFUkos::TFUkos(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("FUkos"), QStringLiteral("Elementy stałe"), QSize(401, 401) - kToolWindowFrame, clBtnShadow,
                     TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), true});
}

} // namespace wendolarka
