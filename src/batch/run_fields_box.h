#pragma once

#include "core/pass_fields.h"

#include <QGroupBox>

#include <optional>

class QCheckBox;
class QDateEdit;
class QLineEdit;

namespace wendolarka {

// "Dane wydruku": what a run gives composed texts and codes beside the person,
// the validity date ("Ważna do") and the first pass number ("Numer od",
// its digits as typed: 0001 counts 0001, 0002, …).
class TRunFieldsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TRunFieldsBox(QWidget* parent = nullptr);

    // The run's fields as chosen; nothing when the number typed is none.
    std::optional<TRunFields> runFields() const;
    // Shows a run's fields (the last run's, as the pass window keeps them).
    void setRunFields(const TRunFields& run);

    QCheckBox* chkWaznaDo = nullptr;
    QDateEdit* dtWaznaDo = nullptr;
    QLineEdit* edNumerOd = nullptr;
};

} // namespace wendolarka
