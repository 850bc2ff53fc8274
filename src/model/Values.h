#pragma once

// What a value means wherever a store keeps or compares one: the conversion a
// property assignment makes, the equality filters use, and dates as whole
// seconds. Both stores read values through these, so that a field compares
// alike on either.

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "messaging/Variant.h"

namespace model {

// The property type (low word) used for a Visual Basic type.
std::uint16_t propTypeOf(mapi::VarType vt);
// PT_UNICODE tags are looked up as their PT_STRING8 twins.
std::uint32_t normalizeTag(std::uint32_t tag);

// A local time as whole seconds since 30 December 1899: ordered, so range
// conditions compare them as numbers, and the same second on either store.
std::int64_t secondsOf(const QDateTime& dt);
std::int64_t secondsOf(const QDate& d, const QTime& t);  // a normalised local time
std::int64_t secondsOf(mapi::Date d);
mapi::Date dateOfSeconds(std::int64_t s);

// Converts a value to the given type as a property assignment does; throws
// "Type mismatch" when it cannot.
mapi::Variant coerce(mapi::VarType vt, const mapi::Variant& v);

// Equality as the filters use it: texts case-insensitively, numbers by value,
// mixed text and other kinds through the other value's text form. Nothing
// equals Empty or Null.
bool looselyEqual(const mapi::Variant& stored, const mapi::Variant& wanted);

// Case-insensitive substring test of the filters.
bool containsText(const QString& haystack, const QString& needle);

}  // namespace model
