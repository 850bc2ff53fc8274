#include "store/Props.h"

#include <cmath>

#include "messaging/Error.h"

namespace store {

using mapi::Variant;
using mapi::VarType;

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
