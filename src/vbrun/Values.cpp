#include "vbrun/Values.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "messaging/Readings.h"
#include "messaging/VbConvert.h"

namespace vbrun {

using mapi::Variant;
using mapi::VarType;

namespace {

struct OwnError {
    std::int32_t number;
    const char* text;
};

constexpr OwnError kOwn[] = {
    {err::Interrupted, "User interrupt occurred"},
    {err::DivisionByZero, "Division by zero"},
    {err::OutOfMemory, "Out of memory"},
    {err::ArrayFixed, "This array is fixed or temporarily locked"},
    {err::OutOfStack, "Out of stack space"},
    {err::NotACollection, "Object not a collection"},
    {err::ConstAssignment, "Assignment to constant not permitted"},
    {err::ForNotInitialized, "For loop not initialized"},
    {err::ObjectRequired, "Object required"},
    {err::CannotCreateObject, "ActiveX component can't create object"},
    {err::NotSupported, "Object doesn't support this property or method"},
    {err::ArgumentNotOptional, "Argument not optional"},
    {err::WrongArguments, "Wrong number of arguments or invalid property assignment"},
};

// Integer kinds keep integer arithmetic; rank orders the result types.
int rank(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty:
        case VarType::Boolean:
        case VarType::Integer:
            return 1;
        case VarType::Long:
            return 2;
        case VarType::Single:
            return 3;
        case VarType::Currency:
            return 5;
        case VarType::Date:
            return 6;
        default:
            return 4;  // Double, and strings converted to Double
    }
}

Variant fromInteger(std::int64_t r, int rk) {
    if (rk <= 1 && r >= -32768 && r <= 32767) return Variant::integer(static_cast<std::int16_t>(r));
    if (r >= std::numeric_limits<std::int32_t>::min() &&
        r <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<std::int32_t>(r));
    return Variant(static_cast<double>(r));
}

double roundEven(double d) {
    return std::nearbyint(d);
}

}  // namespace

mapi::Error makeError(std::int32_t number) {
    for (const OwnError& e : kOwn)
        if (e.number == number) return mapi::Error(number, QString::fromUtf8(e.text));
    return mapi::makeError(number);
}

void raise(std::int32_t number) {
    throw makeError(number);
}

bool isNumber(const Variant& v) {
    switch (v.type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Boolean:
        case VarType::Date:
            return true;
        default:
            return false;
    }
}

bool isObject(const Variant& v) {
    return v.type() == VarType::Object;
}

double toDouble(const Variant& v) {
    if (const auto n = mapi::numberValue(v)) return *n;
    switch (v.type()) {
        case VarType::Empty:
            return 0;
        case VarType::Null:
            raise(mapi::code::InvalidUseOfNull);
        case VarType::String:
            return vb::toDouble(v.asString());
        default:
            raise(mapi::code::TypeMismatch);
    }
}

std::int32_t toLong(const Variant& v) {
    if (v.type() == VarType::Long) return v.asLong();
    if (v.type() == VarType::Integer) return v.asInteger();
    if (v.type() == VarType::String) return vb::toLong(v.asString());
    const double d = roundEven(toDouble(v));
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) raise(mapi::code::Overflow);
    return static_cast<std::int32_t>(d);
}

std::int16_t toInteger(const Variant& v) {
    if (v.type() == VarType::String) return vb::toInteger(v.asString());
    const double d = roundEven(toDouble(v));
    if (!(d >= -32768.0 && d <= 32767.0)) raise(mapi::code::Overflow);
    return static_cast<std::int16_t>(d);
}

bool toBoolean(const Variant& v) {
    if (v.type() == VarType::Boolean) return v.asBoolean();
    if (v.type() == VarType::String) return vb::toBoolean(v.asString());
    return toDouble(v) != 0;
}

mapi::Date toDate(const Variant& v) {
    if (v.type() == VarType::Date) return v.asDate();
    if (v.type() == VarType::String) {
        if (vb::isDate(v.asString())) return vb::toDate(v.asString());
        return mapi::Date{vb::toDouble(v.asString())};
    }
    return mapi::Date{toDouble(v)};
}

QString toText(const Variant& v) {
    return v.toText();
}

bool isTrue(const Variant& v) {
    if (v.isNull()) return false;
    return toBoolean(v);
}

Variant convertTo(VarKind kind, const Variant& v) {
    switch (kind) {
        case VarKind::Variant:
        case VarKind::Object:
            return v;
        case VarKind::String:
            return Variant(toText(v));
        case VarKind::Integer:
            return Variant::integer(toInteger(v));
        case VarKind::Byte: {
            const std::int32_t b = toLong(v);
            if (b < 0 || b > 255) raise(mapi::code::Overflow);
            return Variant::integer(static_cast<std::int16_t>(b));
        }
        case VarKind::Long:
            return Variant(toLong(v));
        case VarKind::Single:
            return Variant(static_cast<float>(toDouble(v)));
        case VarKind::Double:
            return Variant(toDouble(v));
        case VarKind::Currency:
            if (v.type() == VarType::String) return Variant(vb::toCurrency(v.asString()));
            return Variant(
                mapi::Currency{static_cast<std::int64_t>(roundEven(toDouble(v) * 10000.0))});
        case VarKind::Date:
            return Variant(toDate(v));
        case VarKind::Boolean:
            return Variant(toBoolean(v));
    }
    return v;
}

Variant zeroOf(VarKind kind) {
    switch (kind) {
        case VarKind::Variant:
            return Variant();
        case VarKind::Object:
            return Variant(std::shared_ptr<mapi::Object>());
        case VarKind::String:
            return Variant(QString());
        default:
            return convertTo(kind, Variant::integer(0));
    }
}

Variant arithmetic(Op op, const Variant& a, const Variant& b) {
    if (op == Op::Cat) {
        const QString l = a.isNull() ? QString() : toText(a);
        const QString r = b.isNull() ? QString() : toText(b);
        if (a.isNull() && b.isNull()) return Variant::null();
        return Variant(l + r);
    }
    if (a.isNull() || b.isNull()) return Variant::null();
    const bool aStr = a.type() == VarType::String, bStr = b.type() == VarType::String;
    if (op == Op::Add && ((aStr && bStr) || (aStr && b.isEmpty()) || (bStr && a.isEmpty())))
        return Variant(toText(a) + toText(b));
    const int rk = std::max(aStr ? 4 : rank(a), bStr ? 4 : rank(b));
    switch (op) {
        case Op::Add:
        case Op::Sub:
        case Op::Mul: {
            if (rk <= 2) {
                const std::int64_t x = toLong(a), y = toLong(b);
                const std::int64_t r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
                return fromInteger(r, rk);
            }
            const double x = toDouble(a), y = toDouble(b);
            const double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
            if (rk == 6 && op != Op::Mul) return Variant(mapi::Date{r});
            if (rk == 5)
                return Variant(mapi::Currency{static_cast<std::int64_t>(roundEven(r * 10000.0))});
            if (rk == 3) return Variant(static_cast<float>(r));
            return Variant(r);
        }
        case Op::Div: {
            const double y = toDouble(b);
            const double x = toDouble(a);
            if (y == 0) raise(x == 0 ? mapi::code::Overflow : err::DivisionByZero);
            return Variant(x / y);
        }
        case Op::IntDiv:
        case Op::Mod: {
            const std::int64_t x = toLong(a), y = toLong(b);
            if (y == 0) raise(err::DivisionByZero);
            return fromInteger(op == Op::IntDiv ? x / y : x % y, std::min(rk, 2));
        }
        case Op::Pow:
            return Variant(std::pow(toDouble(a), toDouble(b)));
        default:
            raise(mapi::code::TypeMismatch);
    }
}

Variant negate(const Variant& a) {
    if (a.isNull()) return a;
    switch (a.type()) {
        case VarType::Empty:
            return Variant::integer(0);
        case VarType::Integer:
        case VarType::Boolean:
            return fromInteger(-static_cast<std::int64_t>(toLong(a)), 1);
        case VarType::Long:
            return fromInteger(-static_cast<std::int64_t>(a.asLong()), 2);
        case VarType::Single:
            return Variant(-a.asSingle());
        case VarType::Currency:
            return Variant(mapi::Currency{-a.asCurrency().scaled});
        case VarType::Date:
            return Variant(mapi::Date{-a.asDate().serial});
        default:
            return Variant(-toDouble(a));
    }
}

Variant logical(Op op, const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return Variant::null();
    if (a.type() == VarType::Boolean && b.type() == VarType::Boolean) {
        const bool x = a.asBoolean(), y = b.asBoolean();
        switch (op) {
            case Op::And:
                return Variant(x && y);
            case Op::Or:
                return Variant(x || y);
            case Op::Xor:
                return Variant(x != y);
            case Op::Eqv:
                return Variant(x == y);
            default:
                return Variant(!x || y);
        }
    }
    const std::int32_t x = toLong(a), y = toLong(b);
    std::int32_t r = 0;
    switch (op) {
        case Op::And:
            r = x & y;
            break;
        case Op::Or:
            r = x | y;
            break;
        case Op::Xor:
            r = x ^ y;
            break;
        case Op::Eqv:
            r = ~(x ^ y);
            break;
        default:
            r = ~x | y;
            break;
    }
    return fromInteger(r, std::max(rank(a), rank(b)));
}

Variant logicalNot(const Variant& a) {
    if (a.isNull()) return a;
    if (a.type() == VarType::Boolean) return Variant(!a.asBoolean());
    if (a.type() == VarType::String) {
        if (vb::isNumeric(a.asString())) return Variant(~toLong(a));
        return Variant(!toBoolean(a));
    }
    return fromInteger(~toLong(a), rank(a));
}

std::optional<int> compare(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return std::nullopt;
    const bool aStr = a.type() == VarType::String, bStr = b.type() == VarType::String;
    if (aStr && bStr) {
        const int c = QString::compare(a.asString(), b.asString(), Qt::CaseSensitive);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (aStr || bStr) {
        if (a.isEmpty()) return compare(Variant(QString()), b);
        if (b.isEmpty()) return compare(a, Variant(QString()));
        const Variant& text = aStr ? a : b;
        // A number sorts before any text that is not itself a number.
        if (!vb::isNumeric(text.asString())) return aStr ? 1 : -1;
    }
    const double x = toDouble(a), y = toDouble(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

Variant comparison(Op op, const Variant& a, const Variant& b) {
    const std::optional<int> c = compare(a, b);
    if (!c) return Variant::null();
    switch (op) {
        case Op::Eq:
            return Variant(*c == 0);
        case Op::Ne:
            return Variant(*c != 0);
        case Op::Lt:
            return Variant(*c < 0);
        case Op::Le:
            return Variant(*c <= 0);
        case Op::Gt:
            return Variant(*c > 0);
        default:
            return Variant(*c >= 0);
    }
}

bool like(const QString& text, const QString& pattern) {
    QString rx = QStringLiteral("^");
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'*') {
            rx += QStringLiteral(".*");
        } else if (c == u'?') {
            rx += u'.';
        } else if (c == u'#') {
            rx += QStringLiteral("[0-9]");
        } else if (c == u'[') {
            const int end = static_cast<int>(pattern.indexOf(u']', i + 1));
            if (end < 0) raise(mapi::code::InvalidProcedureCall);
            QString set = pattern.mid(i + 1, end - i - 1);
            if (set.startsWith(u'!')) set[0] = u'^';
            rx += u'[' + set + u']';
            i = end;
        } else {
            rx += QRegularExpression::escape(QString(c));
        }
    }
    rx += u'$';
    return QRegularExpression(rx, QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

QString printText(const Variant& v) {
    if (v.isNull()) return QStringLiteral("Null");
    switch (v.type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency: {
            const QString t = v.toText();
            return t.startsWith(u'-') ? t + u' ' : u' ' + t + u' ';
        }
        default:
            return v.toText();
    }
}

}  // namespace vbrun
