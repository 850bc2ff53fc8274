#pragma once

// Value encodings shared by the store's objects, its filters and its fixture
// loader.

#include <QString>
#include <cstdint>

#include "messaging/Readings.h"
#include "messaging/Variant.h"
#include "model/Tags.h"
#include "model/Values.h"
#include "store/Database.h"

namespace store {

// The rules of values, tags and dates are the model's; the store only keeps them.
namespace tag = model::tag;
using mapi::varTypeOfTag;
using model::coerce;
using model::containsText;
using model::dateOfSeconds;
using model::kMsgFlagHasAttach;
using model::kMsgFlagRead;
using model::kMsgFlagUnsent;
using model::looselyEqual;
using model::normalizeTag;
using model::propTypeOf;
using model::secondsOf;

// A value of the given type as stored (NULL for Null/unreadable); dates are
// kept as secondsOf() gives them, which keeps them ordered for range conditions.
SqlValue encode(mapi::VarType vt, const mapi::Variant& v);
mapi::Variant decode(mapi::VarType vt, const SqlValue& v);

// "0A1B..." upper-case hexadecimal entry identifiers.
QString makeEntryId(int kind, std::int64_t n);
bool isHexId(const QString& s);

}  // namespace store
