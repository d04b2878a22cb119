#include "print_window.h"

#include "widgets/form_setup.h"

namespace wendolarka {

TFDruk::TFDruk(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("FDruk"), QStringLiteral("Podgląd i wydruk strony"), QSize(645, 570) - kToolWindowFrame, clSilver,
                     TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), false});
}

} // namespace wendolarka
