#pragma once

#include <QString>

#include "vbrun/Ast.h"
#include "vbrun/CompileError.h"

namespace vbrun {

// Parses a whole program; every syntax fault and every construct outside the
// language throws CompileError with its line before anything runs.
Program parse(const QString& source);

}  // namespace vbrun
