#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "messaging/Variant.h"
#include "vbrun/Host.h"

namespace vbrun {

// Built-in functions and constants by lower-case name (Len, CStr, vbCrLf ...).
bool isBuiltin(const QString& key);
bool isBuiltinConstant(const QString& key);
mapi::Variant builtinConstant(const QString& key);

// Calls a built-in function; `args` as written (nullopt for an omitted one).
mapi::Variant callBuiltin(const QString& key, const std::vector<std::optional<mapi::Variant>>& args,
                          Host& host);

// Format(value, pattern) for numbers and dates.
QString formatValue(const mapi::Variant& value, const QString& pattern);

}  // namespace vbrun
