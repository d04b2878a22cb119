#include "find_dialog.h"

#include "core/cp1250_validator.h"
#include "platform/desktop.h"
#include "widgets/form_setup.h"
#include "widgets/radio_group.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace wendolarka {

Tfinddlg::Tfinddlg(QWidget* parent) : QDialog(parent) {
    initForm(*this, {QStringLiteral("finddlg"), QStringLiteral("Szukanie"), QSize(289, 204), clBtnShadow,
                     TFont(QStringLiteral("Arial"), 10, fsBold, clWindowText, EASTEUROPE_CHARSET), false});
    // A dialog border with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    Label1 = named(new QLabel(utf8("Szukana fraza:"), this), "Label1");
    Label1->setGeometry(16, 10, 257, 18);
    Search = named(new QLineEdit(this), "Search");
    Search->setGeometry(16, 30, 257, 24);
    Search->setValidator(new TCp1250Validator(Search));
    chkLitery = named(new QCheckBox(utf8("Uwzględnij wielkość liter"), this), "chkLitery");
    chkLitery->setGeometry(16, 62, 257, 20);
    chkSlowa = named(new QCheckBox(utf8("Uwzględnij tylko całe wyrazy"), this), "chkSlowa");
    chkSlowa->setGeometry(16, 84, 257, 20);
    RadioGroup1 = named(new TRadioGroup(this), "RadioGroup1");
    RadioGroup1->setGeometry(16, 108, 257, 54);
    RadioGroup1->setItems({utf8("Szukaj kolejno rekordami"), utf8("Szukaj kolejno kolumnami")});
    RadioGroup1->setItemIndex(0);
    Button1 = named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    Button1->setGeometry(48, 170, 89, 25);
    Button2 = named(new QPushButton(QStringLiteral("Anuluj"), this), "Button2");
    Button2->setGeometry(152, 170, 89, 25);
    for (QPushButton* button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    Search->setFocus();
    setFixedSize(size()); // a dialog border: not resized
}

TSearchRequest Tfinddlg::request() const {
    return {Search->text(), chkLitery->isChecked(), chkSlowa->isChecked(), RadioGroup1->ItemIndex() == 0};
}

std::optional<TSearchRequest> Tfinddlg::ask(QWidget* parent, const QRect& screen) {
    Tfinddlg dialog(parent);
    dialog.move(centredOn(screen, dialog.size()));
    // Centred by its frame once the window manager has put one around it; the client keeps its size.
    new TOuterFrameKeeper(dialog, QSize(), [&dialog, screen] {
        return centredOn(screen, dialog.size() + TOuterFrameKeeper::frameOf(dialog));
    });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.request();
}

} // namespace wendolarka
