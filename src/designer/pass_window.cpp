#include "pass_window.h"

#include "platform/form_setup.h"

namespace wendolarka {

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("Form1"), QString(), QSize(376, 194), clWindow,
                     TFont(QStringLiteral("MS Sans Serif"), 8), true});
}

} // namespace wendolarka
