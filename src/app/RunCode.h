#pragma once

// quorvane --run-code FILE [--fixture F.json] [--script S]: runs a file of
// Visual Basic and writes its Debug.Print lines on standard output; a compile
// or run-time error goes to standard error as "FILE:LINE: ..." and makes the
// exit status 1.

#include <QString>

#include "messaging/Variant.h"

namespace app {

class MAPIForm;

// Runs the file with `sessionName` (when not empty) already holding `session`.
// Returns the exit status: 0, 1 for a compile or run-time error, 2 when the
// file cannot be read.
int runCodeFile(const QString& path, const QString& sessionName = QString(),
                const mapi::Variant& session = mapi::Variant());

// The same after a scenario script: the form's logged-on session is the value
// of the session variable under its current name.
int runCodeFileAfterScript(const QString& path, MAPIForm& form);

}  // namespace app
