#pragma once

#include <QString>

namespace wendolarka {

// The folder that holds the program file (help file, temporary photo).
QString programFolder();

// The system's folder for temporary files.
QString temporaryFolder();

} // namespace wendolarka
