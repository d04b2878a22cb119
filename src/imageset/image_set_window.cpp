#include "image_set_window.h"

#include "widgets/form_setup.h"

namespace wendolarka {

TForm3::TForm3(QWidget* parent) : QWidget(parent) {
    initForm(*this, {QStringLiteral("Form3"), QStringLiteral("Okno tworzenia zestawów graficznych"), QSize(443, 507) - kToolWindowFrame, clWhite,
                     TFont(QStringLiteral("MS Sans Serif"), 8), true});
}

} // namespace wendolarka
