#pragma once

// Readings of values every back-end and the interpreter share, so that a
// property or a number means the same wherever it is read.

#include <cstdint>
#include <optional>

#include "messaging/Variant.h"

namespace mapi {

// The Visual Basic type of a property tag's value type (its low word), or
// nullopt for a property type the library does not map.
std::optional<VarType> varTypeOfTag(std::uint32_t tag);

// The number a numeric variant holds (Boolean True is -1, a Currency its
// value, a Date its serial), or nullopt for any other type.
std::optional<double> numberValue(const Variant& v);

}  // namespace mapi
