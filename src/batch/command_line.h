#pragma once

#include <QStringList>

#include <cstdio>

namespace wendolarka {

// Whether the arguments ask for work without windows (--batch, --export, --help),
// or hold anything else that the window would not take.
bool isCommandLineRun(const QStringList& arguments);

// Runs one command-line job; `arguments` without the program name. Messages go
// to `errors` (one line per error), progress too when it is a terminal.
// Returns the exit code: 0 done, 1 a file or its content refused or not
// writable, 2 wrong arguments, 3 no person matches.
int runCommandLine(const QStringList& arguments, std::FILE* output = stdout, std::FILE* errors = stderr);

// The text --help prints.
QString commandLineUsage();

} // namespace wendolarka
