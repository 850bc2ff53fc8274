#pragma once

// Property tags, value encodings and comparisons shared by the store's objects,
// its filters and its fixture loader.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

#include "messaging/Readings.h"
#include "messaging/Variant.h"
#include "store/Database.h"

namespace store {

namespace tag {
// Messages.
inline constexpr std::uint32_t Importance = 0x00170003;
inline constexpr std::uint32_t MessageClass = 0x001A001E;
inline constexpr std::uint32_t Subject = 0x0037001E;
inline constexpr std::uint32_t ClientSubmitTime = 0x00390040;
inline constexpr std::uint32_t ConversationTopic = 0x0070001E;
inline constexpr std::uint32_t ConversationIndex = 0x00710102;
inline constexpr std::uint32_t SenderName = 0x0C1A001E;
inline constexpr std::uint32_t DeliveryTime = 0x0E060040;
inline constexpr std::uint32_t MessageFlags = 0x0E070003;
inline constexpr std::uint32_t MessageSize = 0x0E080003;
inline constexpr std::uint32_t Body = 0x1000001E;
// Address entries.
inline constexpr std::uint32_t DisplayName = 0x3001001E;
inline constexpr std::uint32_t AddressType = 0x3002001E;
inline constexpr std::uint32_t EmailAddress = 0x3003001E;
inline constexpr std::uint32_t Comment = 0x3004001E;
inline constexpr std::uint32_t DisplayType = 0x39000003;
inline constexpr std::uint32_t Account = 0x3A00001E;
inline constexpr std::uint32_t SendRichInfo = 0x3A40000B;
}  // namespace tag

inline constexpr int kMsgFlagRead = 0x1;
inline constexpr int kMsgFlagUnsent = 0x8;
inline constexpr int kMsgFlagHasAttach = 0x10;

using mapi::varTypeOfTag;
// The property type (low word) used for a Visual Basic type.
std::uint16_t propTypeOf(mapi::VarType vt);
// PT_UNICODE tags are looked up as their PT_STRING8 twins.
std::uint32_t normalizeTag(std::uint32_t tag);

// Dates are kept as whole seconds since 30 December 1899 (local time), which
// keeps them ordered for range conditions.
std::int64_t secondsOf(const QDateTime& dt);
std::int64_t secondsOf(const QDate& d, const QTime& t);  // a normalised local time
std::int64_t secondsOf(mapi::Date d);
mapi::Date dateOfSeconds(std::int64_t s);

// A value of the given type as stored (NULL for Null/unreadable).
SqlValue encode(mapi::VarType vt, const mapi::Variant& v);
mapi::Variant decode(mapi::VarType vt, const SqlValue& v);

// Converts a value to the given type as a property assignment does; throws
// "Type mismatch" when it cannot.
mapi::Variant coerce(mapi::VarType vt, const mapi::Variant& v);

// Equality as the filters use it: texts case-insensitively, numbers by value,
// mixed text and other kinds through the other value's text form.
bool looselyEqual(const mapi::Variant& stored, const mapi::Variant& wanted);

// Case-insensitive substring test of the filters.
bool containsText(const QString& haystack, const QString& needle);

// "0A1B..." upper-case hexadecimal entry identifiers.
QString makeEntryId(int kind, std::int64_t n);
bool isHexId(const QString& s);

}  // namespace store
