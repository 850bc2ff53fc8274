#pragma once

// The two blocks of generated code the send-message window writes: the
// address-book call (Address...) and the sending block (Send).

#include <QString>

#include "codegen/VarNames.h"

namespace compose {

// The 14 lines written by Address..., whether or not anything was chosen.
QString addressBookCode(const codegen::VarNames& names);

// The 57 lines written by Send. `subject` and `bodyText` go into the two
// quoted assignments as they stand: no escaping, line breaks included.
QString sendCode(const codegen::VarNames& names, const QString& subject, const QString& bodyText);

}  // namespace compose
