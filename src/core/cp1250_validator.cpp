#include "cp1250_validator.h"

#include "cp1250.h"

namespace wendolarka {

QValidator::State TCp1250Validator::validate(QString& input, int&) const {
    return cp1250::firstUnencodable(input) ? Invalid : Acceptable;
}

} // namespace wendolarka
