#include "messaging/VbConvert.h"

#include "messaging/Error.h"

namespace vb {

bool isDate(const QString&) { return false; }
bool isNumeric(const QString&) { return false; }
bool toBoolean(const QString&) { mapi::raise(mapi::code::TypeMismatch); }
std::int16_t toInteger(const QString&) { mapi::raise(mapi::code::TypeMismatch); }
std::int32_t toLong(const QString&) { mapi::raise(mapi::code::TypeMismatch); }
float toSingle(const QString&) { mapi::raise(mapi::code::TypeMismatch); }
double toDouble(const QString&) { mapi::raise(mapi::code::TypeMismatch); }
mapi::Currency toCurrency(const QString&) { mapi::raise(mapi::code::TypeMismatch); }
mapi::Date toDate(const QString&) { mapi::raise(mapi::code::TypeMismatch); }

}  // namespace vb
