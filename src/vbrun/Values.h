#pragma once

// The language's value rules over mapi::Variant: conversions, arithmetic and
// comparison as Visual Basic applies them to variants. Faults throw mapi::Error
// with the language's numbers (13 Type mismatch, 6 Overflow, 11 Division by
// zero, 94 Invalid use of Null). Objects never reach these functions: the
// interpreter replaces them by their default member first.

#include <QString>
#include <cstdint>
#include <optional>

#include "messaging/Error.h"
#include "messaging/Variant.h"
#include "vbrun/Ast.h"
#include "vbrun/Types.h"

namespace vbrun {

namespace err {
inline constexpr std::int32_t Interrupted = 18;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t ObjectRequired = 424;
inline constexpr std::int32_t CannotCreateObject = 429;
inline constexpr std::int32_t NotSupported = 438;
inline constexpr std::int32_t ArgumentNotOptional = 449;
inline constexpr std::int32_t WrongArguments = 450;
inline constexpr std::int32_t ForNotInitialized = 92;
inline constexpr std::int32_t ArrayFixed = 10;
inline constexpr std::int32_t OutOfStack = 28;
inline constexpr std::int32_t NotACollection = 451;
inline constexpr std::int32_t ConstAssignment =
    1000;  // a compile error in VB; caught here at run time
}  // namespace err

// The error with its standard description (the library's table first, then
// the interpreter's own numbers).
mapi::Error makeError(std::int32_t number);
[[noreturn]] void raise(std::int32_t number);

bool isNumber(const mapi::Variant& v);  // Integer .. Currency, Boolean, Date
bool isObject(const mapi::Variant& v);

double toDouble(const mapi::Variant& v);
std::int32_t toLong(const mapi::Variant& v);  // rounds half to even, Overflow outside 32 bits
std::int16_t toInteger(const mapi::Variant& v);
bool toBoolean(const mapi::Variant& v);
mapi::Date toDate(const mapi::Variant& v);
QString toText(const mapi::Variant& v);  // CStr: Null fails with 94
// Truth of an If/While condition: Null counts as False.
bool isTrue(const mapi::Variant& v);

// Converts a value for a variable declared As `kind`.
mapi::Variant convertTo(VarKind kind, const mapi::Variant& v);
mapi::Variant zeroOf(VarKind kind);

mapi::Variant arithmetic(Op op, const mapi::Variant& a, const mapi::Variant& b);
mapi::Variant negate(const mapi::Variant& a);
mapi::Variant logical(Op op, const mapi::Variant& a, const mapi::Variant& b);
mapi::Variant logicalNot(const mapi::Variant& a);
// <0, 0, >0; nullopt when either side is Null.
std::optional<int> compare(const mapi::Variant& a, const mapi::Variant& b);
mapi::Variant comparison(Op op, const mapi::Variant& a, const mapi::Variant& b);
bool like(const QString& text, const QString& pattern);

// The text Debug.Print writes for a value: numbers with a leading blank for
// the sign and a trailing blank, Null as "Null".
QString printText(const mapi::Variant& v);

}  // namespace vbrun
