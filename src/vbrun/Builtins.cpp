#include "vbrun/Builtins.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <functional>

#include "messaging/SessionFactory.h"
#include "messaging/VbConvert.h"
#include "vbrun/Binding.h"
#include "vbrun/Values.h"

namespace vbrun {

using mapi::Variant;
using Args = std::vector<std::optional<Variant>>;

namespace {

// An object stands for its default member wherever a plain value is wanted.
Variant scalar(const Variant& v) {
    return isObject(v) ? defaultMember(v.asObject(), CallArgs{}) : v;
}

Variant arg(const Args& a, size_t i) {
    if (i >= a.size() || !a[i]) raise(err::ArgumentNotOptional);
    return scalar(*a[i]);
}

bool has(const Args& a, size_t i) {
    return i < a.size() && a[i].has_value();
}

QString textArg(const Args& a, size_t i) {
    return toText(arg(a, i));
}

std::int32_t longArg(const Args& a, size_t i) {
    return toLong(arg(a, i));
}

// Null in, Null out: the string functions pass it through as VB's do.
bool nullIn(const Args& a) {
    return !a.empty() && a[0] && !isObject(*a[0]) && a[0]->isNull();
}

std::int32_t lengthArg(const Args& a, size_t i) {
    const std::int32_t n = longArg(a, i);
    if (n < 0) raise(mapi::code::InvalidProcedureCall);
    return n;
}

const ArrayObject& arrayArg(const Args& a) {
    if (a.empty() || !a[0] || !isObject(*a[0])) raise(mapi::code::TypeMismatch);
    const auto* arr = dynamic_cast<const ArrayObject*>(a[0]->asObject().get());
    if (!arr) raise(mapi::code::TypeMismatch);
    return *arr;
}

QDateTime dateTimeArg(const Args& a, size_t i) {
    return toDate(arg(a, i)).toDateTime();
}

Variant now() {
    const QDateTime t = QDateTime::currentDateTime();
    return Variant(mapi::Date::fromDateTime(
        QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()))));
}

int varType(const Variant& v) {
    return static_cast<int>(v.type());
}

using Fn = std::function<Variant(const Args&, Host&)>;

const QHash<QString, Fn>& functions() {
    static const QHash<QString, Fn> f = {
        {QStringLiteral("cstr"), [](const Args& a, Host&) { return Variant(textArg(a, 0)); }},
        {QStringLiteral("cint"),
         [](const Args& a, Host&) { return convertTo(VarKind::Integer, arg(a, 0)); }},
        {QStringLiteral("clng"),
         [](const Args& a, Host&) { return convertTo(VarKind::Long, arg(a, 0)); }},
        {QStringLiteral("csng"),
         [](const Args& a, Host&) { return convertTo(VarKind::Single, arg(a, 0)); }},
        {QStringLiteral("cdbl"),
         [](const Args& a, Host&) { return convertTo(VarKind::Double, arg(a, 0)); }},
        {QStringLiteral("ccur"),
         [](const Args& a, Host&) { return convertTo(VarKind::Currency, arg(a, 0)); }},
        {QStringLiteral("cbool"),
         [](const Args& a, Host&) { return convertTo(VarKind::Boolean, arg(a, 0)); }},
        {QStringLiteral("cbyte"),
         [](const Args& a, Host&) { return convertTo(VarKind::Byte, arg(a, 0)); }},
        {QStringLiteral("cdate"),
         [](const Args& a, Host&) { return convertTo(VarKind::Date, arg(a, 0)); }},
        {QStringLiteral("cvar"), [](const Args& a, Host&) { return arg(a, 0); }},
        {QStringLiteral("isdate"),
         [](const Args& a, Host&) {
             const Variant v = arg(a, 0);
             return Variant(v.type() == mapi::VarType::Date ||
                            (v.type() == mapi::VarType::String && vb::isDate(v.asString())));
         }},
        {QStringLiteral("isnumeric"),
         [](const Args& a, Host&) {
             const Variant v = arg(a, 0);
             if (v.type() == mapi::VarType::String) return Variant(vb::isNumeric(v.asString()));
             return Variant(isNumber(v) || v.isEmpty());
         }},
        {QStringLiteral("isnull"),
         [](const Args& a, Host&) { return Variant(has(a, 0) && a[0]->isNull()); }},
        {QStringLiteral("isempty"),
         [](const Args& a, Host&) { return Variant(has(a, 0) && a[0]->isEmpty()); }},
        {QStringLiteral("isobject"),
         [](const Args& a, Host&) { return Variant(has(a, 0) && isObject(*a[0])); }},
        {QStringLiteral("isarray"),
         [](const Args& a, Host&) {
             return Variant(has(a, 0) && isObject(*a[0]) &&
                            dynamic_cast<ArrayObject*>(a[0]->asObject().get()) != nullptr);
         }},
        {QStringLiteral("typename"),
         [](const Args& a, Host&) {
             if (!has(a, 0)) raise(err::ArgumentNotOptional);
             const Variant& v = *a[0];
             if (isObject(v)) {
                 if (dynamic_cast<ArrayObject*>(v.asObject().get()))
                     return Variant(QStringLiteral("Variant()"));
                 return Variant(typeName(v.asObject()));
             }
             static const char* names[] = {"Empty",  "Null",   "Integer",  "Long",
                                           "Single", "Double", "Currency", "Date",
                                           "String", "Object", "Error",    "Boolean"};
             const int t = varType(v);
             return Variant(QString::fromLatin1(t <= 11 ? names[t] : "Byte()"));
         }},
        {QStringLiteral("vartype"),
         [](const Args& a, Host&) {
             if (!has(a, 0)) raise(err::ArgumentNotOptional);
             if (isObject(*a[0]) && dynamic_cast<ArrayObject*>(a[0]->asObject().get()))
                 return Variant(8204);
             return Variant(static_cast<std::int32_t>(varType(*a[0])));
         }},
        {QStringLiteral("len"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             return Variant(static_cast<std::int32_t>(textArg(a, 0).size()));
         }},
        {QStringLiteral("left"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             return Variant(textArg(a, 0).left(lengthArg(a, 1)));
         }},
        {QStringLiteral("right"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             return Variant(textArg(a, 0).right(lengthArg(a, 1)));
         }},
        {QStringLiteral("mid"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             const std::int32_t start = longArg(a, 1);
             if (start < 1) raise(mapi::code::InvalidProcedureCall);
             const QString s = textArg(a, 0);
             return Variant(has(a, 2) ? s.mid(start - 1, lengthArg(a, 2)) : s.mid(start - 1));
         }},
        {QStringLiteral("instr"),
         [](const Args& a, Host&) {
             // InStr([start,] haystack, needle [, compare])
             size_t i = 0;
             std::int32_t start = 1;
             if (a.size() >= 3 && has(a, 0) && isNumber(arg(a, 0)) && has(a, 2)) {
                 start = longArg(a, 0);
                 i = 1;
             }
             if (start < 1) raise(mapi::code::InvalidProcedureCall);
             const bool text = has(a, i + 2) && longArg(a, i + 2) == 1;
             const QString hay = textArg(a, i), needle = textArg(a, i + 1);
             if (start > hay.size() + 1) return Variant(0);
             const qsizetype at =
                 hay.indexOf(needle, start - 1, text ? Qt::CaseInsensitive : Qt::CaseSensitive);
             return Variant(static_cast<std::int32_t>(at + 1));
         }},
        {QStringLiteral("ucase"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             return Variant(textArg(a, 0).toUpper());
         }},
        {QStringLiteral("lcase"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             return Variant(textArg(a, 0).toLower());
         }},
        {QStringLiteral("trim"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             QString s = textArg(a, 0);
             while (s.startsWith(u' ')) s.remove(0, 1);
             while (s.endsWith(u' ')) s.chop(1);
             return Variant(s);
         }},
        {QStringLiteral("ltrim"),
         [](const Args& a, Host&) {
             QString s = textArg(a, 0);
             while (s.startsWith(u' ')) s.remove(0, 1);
             return Variant(s);
         }},
        {QStringLiteral("rtrim"),
         [](const Args& a, Host&) {
             QString s = textArg(a, 0);
             while (s.endsWith(u' ')) s.chop(1);
             return Variant(s);
         }},
        {QStringLiteral("space"),
         [](const Args& a, Host&) { return Variant(QString(lengthArg(a, 0), u' ')); }},
        {QStringLiteral("string"),
         [](const Args& a, Host&) {
             const Variant c = arg(a, 1);
             const QChar ch = c.type() == mapi::VarType::String
                                  ? (c.asString().isEmpty() ? QChar() : c.asString().front())
                                  : QChar(toLong(c));
             return Variant(QString(lengthArg(a, 0), ch));
         }},
        {QStringLiteral("replace"),
         [](const Args& a, Host&) {
             QString s = textArg(a, 0);
             return Variant(s.replace(textArg(a, 1), textArg(a, 2)));
         }},
        {QStringLiteral("strcomp"),
         [](const Args& a, Host&) {
             const bool text = has(a, 2) && longArg(a, 2) == 1;
             const int c = QString::compare(textArg(a, 0), textArg(a, 1),
                                            text ? Qt::CaseInsensitive : Qt::CaseSensitive);
             return Variant(static_cast<std::int32_t>(c < 0 ? -1 : c > 0 ? 1 : 0));
         }},
        {QStringLiteral("chr"),
         [](const Args& a, Host&) { return Variant(QString(QChar(longArg(a, 0)))); }},
        {QStringLiteral("asc"),
         [](const Args& a, Host&) {
             const QString s = textArg(a, 0);
             if (s.isEmpty()) raise(mapi::code::InvalidProcedureCall);
             return Variant(static_cast<std::int32_t>(s[0].unicode()));
         }},
        {QStringLiteral("str"),
         [](const Args& a, Host&) {
             const Variant v = arg(a, 0);
             const QString t = toText(Variant(toDouble(v)));
             return Variant(t.startsWith(u'-') ? t : u' ' + t);
         }},
        {QStringLiteral("val"),
         [](const Args& a, Host&) {
             const QString s = textArg(a, 0).trimmed();
             int end = 0;
             while (end < s.size() && (s[end].isDigit() || s[end] == u'.' ||
                                       (end == 0 && (s[0] == u'-' || s[0] == u'+'))))
                 ++end;
             return Variant(s.left(end).toDouble());
         }},
        {QStringLiteral("abs"),
         [](const Args& a, Host&) {
             const Variant v = arg(a, 0);
             return compare(v, Variant::integer(0)).value_or(0) < 0 ? negate(v) : v;
         }},
        {QStringLiteral("int"),
         [](const Args& a, Host&) { return Variant(std::floor(toDouble(arg(a, 0)))); }},
        {QStringLiteral("fix"),
         [](const Args& a, Host&) { return Variant(std::trunc(toDouble(arg(a, 0)))); }},
        {QStringLiteral("round"),
         [](const Args& a, Host&) {
             const double p = std::pow(10.0, has(a, 1) ? longArg(a, 1) : 0);
             return Variant(std::nearbyint(toDouble(arg(a, 0)) * p) / p);
         }},
        {QStringLiteral("sgn"),
         [](const Args& a, Host&) {
             const double d = toDouble(arg(a, 0));
             return Variant::integer(static_cast<std::int16_t>(d < 0 ? -1 : d > 0 ? 1 : 0));
         }},
        {QStringLiteral("sqr"),
         [](const Args& a, Host&) { return Variant(std::sqrt(toDouble(arg(a, 0)))); }},
        {QStringLiteral("now"), [](const Args&, Host&) { return now(); }},
        // Code that reads or writes files next to it names them from here.
        {QStringLiteral("curdir"),
         [](const Args&, Host&) { return Variant(QDir::toNativeSeparators(QDir::currentPath())); }},
        {QStringLiteral("dateserial"),
         [](const Args& a, Host&) {
             // Months and days past their range roll over, as in the language.
             const QDate first(int(longArg(a, 0)), 1, 1);
             const QDate d = first.addMonths(int(longArg(a, 1)) - 1).addDays(longArg(a, 2) - 1);
             if (!d.isValid()) raise(mapi::code::Overflow);
             return Variant(mapi::Date::fromDate(d));
         }},
        {QStringLiteral("date"),
         [](const Args&, Host&) { return Variant(mapi::Date::fromDate(QDate::currentDate())); }},
        {QStringLiteral("time"),
         [](const Args&, Host&) {
             const double serial = toDouble(now());
             return Variant(mapi::Date{serial - std::floor(serial)});
         }},
        {QStringLiteral("timer"),
         [](const Args&, Host&) {
             return Variant(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
         }},
        {QStringLiteral("year"),
         [](const Args& a, Host&) { return Variant(dateTimeArg(a, 0).date().year()); }},
        {QStringLiteral("month"),
         [](const Args& a, Host&) { return Variant(dateTimeArg(a, 0).date().month()); }},
        {QStringLiteral("day"),
         [](const Args& a, Host&) { return Variant(dateTimeArg(a, 0).date().day()); }},
        {QStringLiteral("hour"),
         [](const Args& a, Host&) { return Variant(dateTimeArg(a, 0).time().hour()); }},
        {QStringLiteral("minute"),
         [](const Args& a, Host&) { return Variant(dateTimeArg(a, 0).time().minute()); }},
        {QStringLiteral("second"),
         [](const Args& a, Host&) { return Variant(dateTimeArg(a, 0).time().second()); }},
        {QStringLiteral("format"),
         [](const Args& a, Host&) {
             if (nullIn(a)) return Variant::null();
             return Variant(formatValue(arg(a, 0), has(a, 1) ? textArg(a, 1) : QString()));
         }},
        {QStringLiteral("ubound"),
         [](const Args& a, Host&) {
             return Variant(static_cast<std::int32_t>(arrayArg(a).items.size()) - 1);
         }},
        {QStringLiteral("lbound"),
         [](const Args& a, Host&) {
             arrayArg(a);
             return Variant(0);
         }},
        {QStringLiteral("array"),
         [](const Args& a, Host&) {
             auto arr = std::make_shared<ArrayObject>();
             for (const auto& v : a) arr->items.push_back(v ? *v : Variant());
             return Variant(std::static_pointer_cast<mapi::Object>(arr));
         }},
        {QStringLiteral("msgbox"),
         [](const Args& a, Host& host) {
             const int buttons = has(a, 1) ? longArg(a, 1) : 0;
             const QString title = has(a, 2) ? textArg(a, 2) : QString();
             return Variant(static_cast<std::int32_t>(host.msgBox(textArg(a, 0), buttons, title)));
         }},
        {QStringLiteral("createobject"),
         [](const Args& a, Host&) {
             if (textArg(a, 0).compare(u"MAPI.Session", Qt::CaseInsensitive) != 0)
                 raise(err::CannotCreateObject);
             return Variant(std::static_pointer_cast<mapi::Object>(mapi::createSession().shared()));
         }},
    };
    return f;
}

const QHash<QString, Variant>& constants() {
    static const QHash<QString, Variant> c = {
        {QStringLiteral("vbtab"), Variant(QStringLiteral("\t"))},
        {QStringLiteral("vbcrlf"), Variant(QStringLiteral("\r\n"))},
        {QStringLiteral("vbnewline"), Variant(QStringLiteral("\r\n"))},
        {QStringLiteral("vbcr"), Variant(QStringLiteral("\r"))},
        {QStringLiteral("vblf"), Variant(QStringLiteral("\n"))},
        {QStringLiteral("vbnullstring"), Variant(QString())},
        {QStringLiteral("vbnullchar"), Variant(QString(QChar(0)))},
        {QStringLiteral("vbokonly"), Variant::integer(0)},
        {QStringLiteral("vbokcancel"), Variant::integer(1)},
        {QStringLiteral("vbyesnocancel"), Variant::integer(3)},
        {QStringLiteral("vbyesno"), Variant::integer(4)},
        {QStringLiteral("vbcritical"), Variant::integer(16)},
        {QStringLiteral("vbquestion"), Variant::integer(32)},
        {QStringLiteral("vbexclamation"), Variant::integer(48)},
        {QStringLiteral("vbinformation"), Variant::integer(64)},
        {QStringLiteral("vbok"), Variant::integer(1)},
        {QStringLiteral("vbcancel"), Variant::integer(2)},
        {QStringLiteral("vbyes"), Variant::integer(6)},
        {QStringLiteral("vbno"), Variant::integer(7)},
        {QStringLiteral("vbbinarycompare"), Variant::integer(0)},
        {QStringLiteral("vbtextcompare"), Variant::integer(1)},
        {QStringLiteral("vbobjecterror"), Variant(static_cast<std::int32_t>(0x80040000))},
        {QStringLiteral("cdoto"), Variant(1)},
        {QStringLiteral("cdocc"), Variant(2)},
        {QStringLiteral("cdobcc"), Variant(3)},
    };
    return c;
}

// ---- Format -------------------------------------------------------------------

QString formatNumber(double v, QString pattern) {
    static const QHash<QString, QString> named = {
        {QStringLiteral("fixed"), QStringLiteral("0.00")},
        {QStringLiteral("standard"), QStringLiteral("#,##0.00")},
        {QStringLiteral("percent"), QStringLiteral("0.00%")},
        {QStringLiteral("currency"), QStringLiteral("$#,##0.00")},
    };
    if (pattern.compare(u"General Number", Qt::CaseInsensitive) == 0) return toText(Variant(v));
    pattern = named.value(pattern.toLower(), pattern);
    const qsizetype first = pattern.indexOf(QRegularExpression(QStringLiteral("[0#.,]")));
    if (first < 0) return pattern;
    qsizetype last = first;
    for (qsizetype i = first; i < pattern.size(); ++i)
        if (QStringLiteral("0#.,").contains(pattern[i])) last = i;
    const QString prefix = pattern.left(first), suffix = pattern.mid(last + 1);
    const QString body = pattern.mid(first, last - first + 1);
    const qsizetype dot = body.indexOf(u'.');
    const QString intPart = dot < 0 ? body : body.left(dot);
    const QString fracPart = dot < 0 ? QString() : body.mid(dot + 1);
    if (suffix.contains(u'%') || prefix.contains(u'%')) v *= 100;
    const int minInt = static_cast<int>(intPart.count(u'0'));
    const int maxFrac = static_cast<int>(fracPart.count(u'0') + fracPart.count(u'#'));
    const int minFrac = static_cast<int>(fracPart.count(u'0'));
    QString digits = QString::number(std::fabs(v), 'f', maxFrac);
    QString ip = digits.section(u'.', 0, 0), fp = digits.section(u'.', 1);
    while (fp.size() > minFrac && fp.endsWith(u'0')) fp.chop(1);
    if (ip == u"0" && minInt == 0) ip.clear();
    while (ip.size() < minInt) ip.prepend(u'0');
    if (intPart.contains(u',')) {
        for (qsizetype i = ip.size() - 3; i > 0; i -= 3) ip.insert(i, u',');
    }
    QString out = ip;
    if (!fp.isEmpty() || (dot >= 0 && minFrac > 0))
        out += u'.' + fp;
    else if (dot >= 0 && maxFrac == 0)
        out += u'.';
    const bool negative =
        v < 0 && (QString(ip + fp).contains(QRegularExpression(QStringLiteral("[1-9]"))));
    return (negative ? QStringLiteral("-") : QString()) + prefix + out + suffix;
}

QString formatDate(const QDateTime& dt, QString pattern) {
    static const QHash<QString, QString> named = {
        {QStringLiteral("long date"), QStringLiteral("dddd, mmmm d, yyyy")},
        {QStringLiteral("medium date"), QStringLiteral("dd-mmm-yy")},
        {QStringLiteral("short date"), QStringLiteral("m/d/yyyy")},
        {QStringLiteral("long time"), QStringLiteral("h:nn:ss AM/PM")},
        {QStringLiteral("medium time"), QStringLiteral("hh:nn AM/PM")},
        {QStringLiteral("short time"), QStringLiteral("hh:nn")},
    };
    pattern = named.value(pattern.toLower(), pattern);
    const QLocale c = QLocale::c();
    const bool twelve = pattern.contains(QStringLiteral("AM/PM"), Qt::CaseInsensitive) ||
                        pattern.contains(QStringLiteral("A/P"), Qt::CaseInsensitive);
    int hour = dt.time().hour();
    if (twelve) hour = hour % 12 == 0 ? 12 : hour % 12;
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < pattern.size();) {
        auto run = [&](QChar ch) {
            qsizetype j = i;
            while (j < pattern.size() && pattern[j].toLower() == ch) ++j;
            return static_cast<int>(j - i);
        };
        const QChar ch = pattern[i].toLower();
        if (pattern.mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
            const bool upper = pattern[i].isUpper();
            QString t = dt.time().hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            out += upper ? t : t.toLower();
            i += 5;
        } else if (pattern.mid(i, 3).compare(u"A/P", Qt::CaseInsensitive) == 0) {
            out += dt.time().hour() < 12 ? u'A' : u'P';
            i += 3;
        } else if (ch == u'y') {
            const int n = run(u'y');
            out += n >= 3
                       ? QString::number(dt.date().year())
                       : QStringLiteral("%1").arg(dt.date().year() % 100, 2, 10, QLatin1Char('0'));
            i += n;
        } else if (ch == u'm') {
            const int n = run(u'm');
            if (afterHour && n <= 2) {
                out += QStringLiteral("%1").arg(dt.time().minute(), n, 10, QLatin1Char('0'));
            } else {
                const int m = dt.date().month();
                out += n == 1   ? QString::number(m)
                       : n == 2 ? QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'))
                       : n == 3 ? c.monthName(m, QLocale::ShortFormat)
                                : c.monthName(m, QLocale::LongFormat);
            }
            afterHour = false;
            i += n;
        } else if (ch == u'd') {
            const int n = run(u'd');
            const int d = dt.date().day();
            out += n == 1   ? QString::number(d)
                   : n == 2 ? QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'))
                   : n == 3 ? c.dayName(dt.date().dayOfWeek(), QLocale::ShortFormat)
                            : c.dayName(dt.date().dayOfWeek(), QLocale::LongFormat);
            i += n;
        } else if (ch == u'h' || ch == u'n' || ch == u's') {
            const int n = std::min(run(ch), 2);
            const int val = ch == u'h'   ? hour
                            : ch == u'n' ? dt.time().minute()
                                         : dt.time().second();
            out += QStringLiteral("%1").arg(val, n, 10, QLatin1Char('0'));
            afterHour = ch == u'h';
            i += run(ch);
        } else if (ch == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            out += pattern.mid(i + 1, (end < 0 ? pattern.size() : end) - i - 1);
            i = end < 0 ? pattern.size() : end + 1;
        } else if (ch == u'\\' && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

}  // namespace

bool isBuiltin(const QString& key) {
    return functions().contains(key) || constants().contains(key);
}

bool isBuiltinConstant(const QString& key) {
    return constants().contains(key);
}

Variant builtinConstant(const QString& key) {
    return constants().value(key);
}

Variant callBuiltin(const QString& key, const Args& args, Host& host) {
    const auto it = functions().constFind(key);
    if (it == functions().constEnd()) raise(err::NotSupported);
    return (*it)(args, host);
}

QString formatValue(const Variant& value, const QString& pattern) {
    if (pattern.isEmpty()) return toText(value);
    const bool dateLike = value.type() == mapi::VarType::Date ||
                          (value.type() == mapi::VarType::String && vb::isDate(value.asString()) &&
                           !vb::isNumeric(value.asString()));
    const QString p = pattern.toLower();
    if (p == u"general date") return toText(Variant(toDate(value)));
    const bool datePattern =
        p.contains(QRegularExpression(QStringLiteral("[ydhns]|date|time|am/pm"))) &&
        !p.contains(QRegularExpression(QStringLiteral("[0#]")));
    if (dateLike || datePattern) return formatDate(toDate(value).toDateTime(), pattern);
    return formatNumber(toDouble(value), pattern);
}

}  // namespace vbrun
