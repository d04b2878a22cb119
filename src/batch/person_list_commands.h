#pragma once

#include <QStringList>

#include <cstdio>

namespace wendolarka {

// Whether the arguments ask for a person list to go in or out (--import, --export-persons).
bool isPersonListCommand(const QStringList& arguments);

// Runs --import or --export-persons. The summary goes to `output` as one line;
// every problem is a line on `errors` naming the file and row. Exit codes as the
// batch's: 0 done, 1 a file refused, 2 wrong arguments, 3 nothing to import.
int runPersonListCommand(const QStringList& arguments, std::FILE* output, std::FILE* errors);

// The part of --help about person lists.
QString personListUsage();

} // namespace wendolarka
