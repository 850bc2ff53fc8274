#pragma once

#include <QSet>
#include <QString>

#include "vbrun/Ast.h"
#include "vbrun/CompileError.h"

namespace vbrun {

// Parses a whole program; every syntax fault and every construct outside the
// language throws CompileError with its line before anything runs.
// `knownVariables` (lower case) already hold values, e.g. from earlier runs in
// the Immediate window, so "x(1)" on such a name is an index, not a call of an
// unknown function.
Program parse(const QString& source, const QSet<QString>& knownVariables = {});

}  // namespace vbrun
