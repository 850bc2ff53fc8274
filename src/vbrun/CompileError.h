#pragma once

#include <QString>
#include <stdexcept>

namespace vbrun {

// A fault found before anything runs: the line (1-based) and what is wrong,
// e.g. "Expected: End If" or "GoTo is not supported".
struct CompileError : std::runtime_error {
    CompileError(int line, const QString& message)
        : std::runtime_error(message.toStdString()), line(line), message(message) {}
    int line;
    QString message;
};

}  // namespace vbrun
