#include "record_edit_window.h"

#include "widgets/form_setup.h"

namespace wendolarka {

TFEdycja::TFEdycja(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("FEdycja"), QStringLiteral("Edycja rekordu"), QSize(482, 548) - kToolWindowFrame, clBtnShadow,
                     TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), true});
}

} // namespace wendolarka
