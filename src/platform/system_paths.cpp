#include "system_paths.h"

#include <QCoreApplication>
#include <QDir>

namespace wendolarka {

QString programFolder() { return QCoreApplication::applicationDirPath(); }

QString temporaryFolder() { return QDir::tempPath(); }

} // namespace wendolarka
