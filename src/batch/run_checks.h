#pragma once

#include "core/pass_fields.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace wendolarka {

class IDialogs;
class ISQLiteDatabase;

// Before passes go out from the window: a first number that is one, a validity
// date where the template prints one, what the user says to fields the program
// does not know, and to the persons whose texts or codes will not print whole.
// Whether to go on.
bool acceptRun(IDialogs& dialogs, ISQLiteDatabase& db, const QByteArray& templateFile, const std::vector<std::int64_t>& persons,
               int scale, const std::optional<TRunFields>& run);

} // namespace wendolarka
