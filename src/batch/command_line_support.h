#pragma once

// What the command-line jobs share: their exit codes, a failure that ends a
// run with its code and one line, and how each line is written.

#include "core/exception.h"

#include <QString>

#include <cstdio>
#include <exception>

namespace wendolarka::command_line {

inline constexpr int kDone = 0, kRefused = 1, kUsage = 2, kNobody = 3, kUnfit = 4;

struct RunError {
    int code;
    QString text;
};

inline void say(std::FILE* stream, const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stream);
    std::fflush(stream);
}

// Runs a job; whatever stops it is one line on `errors` and its exit code.
template <typename Job>
int reportingFailures(std::FILE* errors, Job job) {
    try {
        return job();
    } catch (const RunError& error) {
        say(errors, QStringLiteral("wendolarka: ") + error.text);
        return error.code;
    } catch (const Exception& error) {
        say(errors, QStringLiteral("wendolarka: ") + error.message());
        return kRefused;
    } catch (const std::exception& error) {
        say(errors, QStringLiteral("wendolarka: ") + QString::fromLocal8Bit(error.what()));
        return kRefused;
    }
}

} // namespace wendolarka::command_line
