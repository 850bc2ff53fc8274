#pragma once

#include <QSet>
#include <QString>

#include "vbrun/Ast.h"
#include "vbrun/CompileError.h"

namespace vbrun {

// A name called with arguments that is no variable, procedure or built-in
// function cannot run; VB finds this before running, and so do we. Throws
// CompileError for the first such call in source order. `knownVariables` as
// for parse().
void resolveNames(const Program& program, const QSet<QString>& knownVariables);

}  // namespace vbrun
