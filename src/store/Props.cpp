#include "store/Props.h"

#include <QDate>
#include <cmath>

#include "messaging/Error.h"
#include "messaging/LocalTime.h"
#include "messaging/VbConvert.h"

namespace store {

using mapi::Variant;
using mapi::VarType;

namespace {
const QDate kDayZero(1899, 12, 30);
}

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

SqlValue encode(VarType vt, const Variant& v) {
    if (v.isNull() || v.isEmpty()) return SqlValue();
    const Variant c = coerce(vt, v);
    switch (vt) {
        case VarType::Integer:
            return static_cast<std::int64_t>(c.asInteger());
        case VarType::Long:
            return static_cast<std::int64_t>(c.asLong());
        case VarType::Single:
            return static_cast<double>(c.asSingle());
        case VarType::Double:
            return c.asDouble();
        case VarType::Currency:
            return c.asCurrency().scaled;
        case VarType::Date:
            return secondsOf(c.asDate());
        case VarType::String:
            return c.asString();
        case VarType::Error:
            return static_cast<std::int64_t>(c.asError().code);
        case VarType::Boolean:
            return static_cast<std::int64_t>(c.asBoolean() ? 1 : 0);
        case VarType::Binary:
            return c.asBinary();
        default:
            return SqlValue();
    }
}

namespace {
std::int64_t asInt(const SqlValue& v) {
    if (auto p = std::get_if<std::int64_t>(&v)) return *p;
    if (auto p = std::get_if<double>(&v)) return static_cast<std::int64_t>(std::llround(*p));
    if (auto p = std::get_if<QString>(&v)) return p->toLongLong();
    return 0;
}
double asReal(const SqlValue& v) {
    if (auto p = std::get_if<double>(&v)) return *p;
    if (auto p = std::get_if<std::int64_t>(&v)) return static_cast<double>(*p);
    if (auto p = std::get_if<QString>(&v)) return p->toDouble();
    return 0;
}
}  // namespace

Variant decode(VarType vt, const SqlValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return Variant::null();
    switch (vt) {
        case VarType::Empty:
            return Variant();
        case VarType::Null:
            return Variant::null();
        case VarType::Integer:
            return Variant::integer(static_cast<std::int16_t>(asInt(v)));
        case VarType::Long:
            return Variant(static_cast<std::int32_t>(asInt(v)));
        case VarType::Single:
            return Variant(static_cast<float>(asReal(v)));
        case VarType::Double:
            return Variant(asReal(v));
        case VarType::Currency:
            return Variant(mapi::Currency{asInt(v)});
        case VarType::Date:
            return Variant(dateOfSeconds(asInt(v)));
        case VarType::Error:
            return Variant(mapi::ErrorValue{static_cast<std::int32_t>(asInt(v))});
        case VarType::Boolean:
            return Variant(asInt(v) != 0);
        case VarType::Binary:
            if (auto p = std::get_if<QByteArray>(&v)) return Variant(*p);
            if (auto p = std::get_if<QString>(&v)) return Variant(p->toUtf8());
            return Variant(QByteArray());
        case VarType::String:
        default:
            if (auto p = std::get_if<QString>(&v)) return Variant(*p);
            if (auto p = std::get_if<std::int64_t>(&v)) return Variant(QString::number(*p));
            if (auto p = std::get_if<double>(&v)) return Variant(mapi::doubleToText(*p));
            if (auto p = std::get_if<QByteArray>(&v)) return Variant(QString::fromUtf8(*p));
            return Variant(QString());
    }
}

namespace {

bool isNumberType(VarType t) {
    return t == VarType::Integer || t == VarType::Long || t == VarType::Single ||
           t == VarType::Double || t == VarType::Currency || t == VarType::Boolean;
}

double numberOf(const Variant& v) {
    return mapi::numberValue(v).value_or(0);
}

}  // namespace

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
    if (a == VarType::Null || a == VarType::Empty || b == VarType::Null) return false;
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

QString makeEntryId(int kind, std::int64_t n) {
    // A fixed prefix per object kind keeps the identifiers of different kinds apart.
    return QStringLiteral("0000000%1%2")
        .arg(kind, 1, 16)
        .arg(static_cast<qulonglong>(n), 16, 16, QLatin1Char('0'))
        .toUpper();
}

bool isHexId(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s) {
        const char l = c.toLatin1();
        if (!((l >= '0' && l <= '9') || (l >= 'A' && l <= 'F') || (l >= 'a' && l <= 'f')))
            return false;
    }
    return true;
}

}  // namespace store
