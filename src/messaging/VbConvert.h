#pragma once

// Conversions of text as the Visual Basic scripting language does them
// (IsDate, IsNumeric, CBool, CInt, CLng, CSng, CDbl, CCur, CDate), under fixed
// US-English rules so that results never depend on the machine's locale.
// A value that does not convert throws "Type mismatch" (13); one out of range
// throws "Overflow" (6).

#include <QString>
#include <cstdint>

#include "messaging/Variant.h"

namespace vb {

// Dates: M/D/YYYY, M/D/YY, YYYY-MM-DD, month names ("March 1, 1999",
// "1-Mar-1999"), a time alone ("10:15", "10:15:30 PM") or a date followed by a time.
bool isDate(const QString& text);
// Numbers: optional sign, digits with optional "," thousands groups, a decimal
// point, an exponent, surrounding blanks, and &H hexadecimal.
bool isNumeric(const QString& text);

bool toBoolean(const QString& text);          // True/False in any case, or any number (0 false)
std::int16_t toInteger(const QString& text);  // rounds half to even
std::int32_t toLong(const QString& text);     // rounds half to even
float toSingle(const QString& text);
double toDouble(const QString& text);
mapi::Currency toCurrency(const QString& text);  // rounds half to even at 4 decimals
mapi::Date toDate(const QString& text);

}  // namespace vb
