#pragma once

#include <QValidator>

namespace wendolarka {

// Refuses, as it is typed or pasted, any character the Windows-1250 code page
// cannot hold, so that nothing typed is ever replaced on its way to a file.
class TCp1250Validator final : public QValidator {
    Q_OBJECT
public:
    explicit TCp1250Validator(QObject* parent = nullptr) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;
};

} // namespace wendolarka
