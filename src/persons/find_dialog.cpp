#include "find_dialog.h"

#include "widgets/form_setup.h"

namespace wendolarka {

Tfinddlg::Tfinddlg(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("finddlg"), QStringLiteral("Szukanie"), QSize(289, 204), clBtnShadow,
                     TFont(QStringLiteral("Arial"), 10, fsBold, clWindowText, EASTEUROPE_CHARSET), false});
}

} // namespace wendolarka
