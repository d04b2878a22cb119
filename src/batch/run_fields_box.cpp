#include "run_fields_box.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace wendolarka {

TRunFieldsBox::TRunFieldsBox(QWidget* parent) : QGroupBox(QStringLiteral("Dane wydruku"), parent) {
    setObjectName(QStringLiteral("GroupDaneWydruku"));
    chkWaznaDo = new QCheckBox(QString::fromUtf8("Ważna do:"), this);
    chkWaznaDo->setObjectName(QStringLiteral("chkWaznaDo"));
    dtWaznaDo = new QDateEdit(QDate::currentDate().addYears(1), this);
    dtWaznaDo->setObjectName(QStringLiteral("dtWaznaDo"));
    dtWaznaDo->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dtWaznaDo->setCalendarPopup(true);
    dtWaznaDo->setEnabled(false);
    connect(chkWaznaDo, &QCheckBox::toggled, dtWaznaDo, &QWidget::setEnabled);
    edNumerOd = new QLineEdit(QStringLiteral("1"), this);
    edNumerOd->setObjectName(QStringLiteral("edNumerOd"));
    edNumerOd->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,18}")), edNumerOd));
    // One row: the window's left column is tall already.
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(chkWaznaDo);
    layout->addWidget(dtWaznaDo, 1);
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("Numer od:"), this));
    layout->addWidget(edNumerOd, 1);
}

std::optional<TRunFields> TRunFieldsBox::runFields() const {
    TRunFields run;
    if (chkWaznaDo->isChecked())
        run.validUntil = dtWaznaDo->date();
    return withNumberFrom(run, edNumerOd->text());
}

} // namespace wendolarka

namespace wendolarka {

void TRunFieldsBox::setRunFields(const TRunFields& run) {
    chkWaznaDo->setChecked(run.validUntil.has_value());
    if (run.validUntil)
        dtWaznaDo->setDate(*run.validUntil);
    edNumerOd->setText(QStringLiteral("%1").arg(run.firstNumber, run.numberDigits, 10, QLatin1Char('0')));
}

} // namespace wendolarka
