#pragma once

#include <QString>
#include <optional>

namespace vbrun {

// The declared type of a variable; a typed variable converts what is assigned
// to it and starts at its type's zero instead of Empty.
enum class VarKind {
    Variant,
    String,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    Date,
    Boolean,
    Byte,
    Object
};

// "String", "long", "MAPI.Session", "Message" ...; nullopt for an unknown type.
std::optional<VarKind> typeFromName(const QString& name);

}  // namespace vbrun
