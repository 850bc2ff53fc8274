#include "model/Values.h"

#include <QDate>
#include <cmath>

#include "messaging/Error.h"
#include "messaging/LocalTime.h"
#include "messaging/Readings.h"
#include "messaging/VbConvert.h"

namespace model {

using mapi::Variant;
using mapi::VarType;

namespace {

const QDate kDayZero(1899, 12, 30);

bool isNumberType(VarType t) {
    return t == VarType::Integer || t == VarType::Long || t == VarType::Single ||
           t == VarType::Double || t == VarType::Currency || t == VarType::Boolean;
}

double numberOf(const Variant& v) {
    return mapi::numberValue(v).value_or(0);
}

}  // namespace

std::uint16_t propTypeOf(VarType vt) {
    switch (vt) {
        case VarType::Integer:
            return 0x0002;
        case VarType::Long:
            return 0x0003;
        case VarType::Single:
            return 0x0004;
        case VarType::Double:
            return 0x0005;
        case VarType::Currency:
            return 0x0006;
        case VarType::Date:
            return 0x0040;
        case VarType::String:
            return 0x001E;
        case VarType::Error:
            return 0x000A;
        case VarType::Boolean:
            return 0x000B;
        case VarType::Binary:
            return 0x0102;
        case VarType::Null:
            return 0x0001;
        default:
            return 0x0000;
    }
}

std::uint32_t normalizeTag(std::uint32_t tag) {
    return (tag & 0xFFFF) == 0x001F ? (tag & 0xFFFF0000u) | 0x001E : tag;
}

std::int64_t secondsOf(const QDateTime& dt) {
    return secondsOf(dt.date(), dt.time());
}

std::int64_t secondsOf(const QDate& d, const QTime& t) {
    return kDayZero.daysTo(d) * 86400 + t.msecsSinceStartOfDay() / 1000;
}

std::int64_t secondsOf(mapi::Date d) {
    const mapi::LocalTime lt = mapi::localTimeOf(d);
    return secondsOf(lt.date, lt.time);
}

mapi::Date dateOfSeconds(std::int64_t s) {
    std::int64_t days = s / 86400;
    std::int64_t rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const mapi::LocalTime lt =
        mapi::normalizeLocal(kDayZero.addDays(days), QTime(0, 0).addSecs(static_cast<int>(rest)));
    return mapi::dateOfLocal(lt.date, lt.time);
}

Variant coerce(VarType vt, const Variant& v) {
    if (v.type() == vt || v.isNull()) return v;
    const VarType from = v.type();
    const bool text = from == VarType::String;
    switch (vt) {
        case VarType::String:
            return Variant(v.toText());
        case VarType::Integer:
            if (text) return Variant::integer(vb::toInteger(v.asString()));
            if (isNumberType(from)) {
                const double d = std::nearbyint(numberOf(v));
                if (d < -32768 || d > 32767) mapi::raise(mapi::code::Overflow);
                return Variant::integer(static_cast<std::int16_t>(d));
            }
            break;
        case VarType::Long:
            if (text) return Variant(vb::toLong(v.asString()));
            if (isNumberType(from)) {
                const double d = std::nearbyint(numberOf(v));
                if (d < -2147483648.0 || d > 2147483647.0) mapi::raise(mapi::code::Overflow);
                return Variant(static_cast<std::int32_t>(d));
            }
            break;
        case VarType::Single:
            if (text) return Variant(vb::toSingle(v.asString()));
            if (isNumberType(from)) return Variant(static_cast<float>(numberOf(v)));
            break;
        case VarType::Double:
            if (text) return Variant(vb::toDouble(v.asString()));
            if (isNumberType(from) || from == VarType::Date) return Variant(numberOf(v));
            break;
        case VarType::Currency:
            if (text) return Variant(vb::toCurrency(v.asString()));
            if (isNumberType(from))
                return Variant(mapi::Currency{std::llround(numberOf(v) * 10000.0)});
            break;
        case VarType::Date:
            if (text) return Variant(vb::toDate(v.asString()));
            if (from == VarType::Double || from == VarType::Single)
                return Variant(mapi::Date{numberOf(v)});
            break;
        case VarType::Boolean:
            if (text) return Variant(vb::toBoolean(v.asString()));
            if (isNumberType(from)) return Variant(numberOf(v) != 0);
            break;
        case VarType::Binary:
            if (text) return Variant(QByteArray::fromHex(v.asString().toLatin1()));
            break;
        case VarType::Error:
            if (from == VarType::Long) return Variant(mapi::ErrorValue{v.asLong()});
            break;
        default:
            return v;
    }
    mapi::raise(mapi::code::TypeMismatch);
}

bool looselyEqual(const Variant& stored, const Variant& wanted) {
    const VarType a = stored.type();
    const VarType b = wanted.type();
    if (a == VarType::Null || a == VarType::Empty || b == VarType::Null || b == VarType::Empty)
        return false;
    if (a == VarType::Error || b == VarType::Error)
        return a == b && stored.asError().code == wanted.asError().code;
    if (a == VarType::Binary || b == VarType::Binary) {
        if (a == b) return stored.asBinary() == wanted.asBinary();
    }
    try {
        if (a == VarType::String || b == VarType::String)
            return stored.toText().compare(wanted.toText(), Qt::CaseInsensitive) == 0;
        if (a == VarType::Date || b == VarType::Date) {
            if (a == VarType::Date && b == VarType::Date)
                return secondsOf(stored.asDate()) == secondsOf(wanted.asDate());
            return numberOf(stored) == numberOf(wanted);
        }
        if (a == VarType::Boolean || b == VarType::Boolean)
            return (numberOf(stored) != 0) == (numberOf(wanted) != 0);
        if (a == VarType::Currency && b == VarType::Currency)
            return stored.asCurrency().scaled == wanted.asCurrency().scaled;
        if (a == VarType::Single || b == VarType::Single)
            return static_cast<float>(numberOf(stored)) == static_cast<float>(numberOf(wanted));
        return numberOf(stored) == numberOf(wanted);
    } catch (const mapi::Error&) {
        return false;
    }
}

bool containsText(const QString& haystack, const QString& needle) {
    return haystack.contains(needle, Qt::CaseInsensitive);
}

}  // namespace model
