#include "messaging/Variant.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <unordered_map>

#include "messaging/Error.h"
#include "messaging/LocalTime.h"

namespace mapi {

namespace {

const QDate kDayZero(1899, 12, 30);

QString fixExponent(QString s) {
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) s[e] = QLatin1Char('E');
    return s;
}

}  // namespace

namespace {

// The zone's offset from UTC through a whole UTC day (every three hours and
// at its end), or nothing when it changes within the day. localtime_r reads
// the zone once, unlike mktime, which re-checks the zone file on every call.
std::optional<long> steadyOffsetOfUtcDay(qint64 utcDay) {
    std::optional<long> offset;
    for (int hour = 0; hour <= 24; hour += 3) {
        const std::time_t t = static_cast<std::time_t>(utcDay * 86400 + hour * 3600);
        std::tm tm{};
        if (!localtime_r(&t, &tm)) return std::nullopt;
        if (offset && *offset != tm.tm_gmtoff) return std::nullopt;
        offset = tm.tm_gmtoff;
    }
    return offset;
}

}  // namespace

bool localDayMayShift(const QDate& d) {
    struct DayCache {
        bool zoneSet = false;
        std::string zone;
        std::unordered_map<qint64, bool> days;
        std::unordered_map<qint64, std::optional<long>> utcDays;
    };
    thread_local DayCache cache;
    // Tests and users may switch TZ while running: a new zone starts afresh.
    const char* tz = std::getenv("TZ");
    if (cache.zoneSet != (tz != nullptr) || (tz && cache.zone != tz)) {
        cache.zoneSet = tz != nullptr;
        cache.zone = tz ? tz : "";
        cache.days.clear();
        cache.utcDays.clear();
        tzset();
    }
    const auto [it, fresh] = cache.days.try_emplace(d.toJulianDay(), false);
    if (!fresh) return it->second;

    // Within these years a zone's offset never moves twice inside three
    // hours, so an offset steady from two days before to two days after
    // (every local time of `d` and of the afternoon before lies in there)
    // means nothing can move. Elsewhere, and near any change, QDateTime
    // decides, as the reference.
    if (d.year() >= 1972 && d.year() <= 2100) {
        const qint64 utcDay = d.toJulianDay() - 2440588;  // 1 January 1970
        std::optional<long> first;
        bool steady = true;
        for (qint64 u = utcDay - 2; steady && u <= utcDay + 1; ++u) {
            auto [ut, utFresh] = cache.utcDays.try_emplace(u);
            if (utFresh) ut->second = steadyOffsetOfUtcDay(u);
            steady = ut->second && (!first || *first == *ut->second);
            if (steady) first = ut->second;
        }
        if (steady) return false;
    }
    // Any transition that could move a time of day `d` lies between these.
    const QDateTime before(d.addDays(-1), QTime(12, 0));
    const QDateTime after(d, QTime(23, 59, 59));
    it->second =
        !before.isValid() || !after.isValid() || before.offsetFromUtc() != after.offsetFromUtc();
    return it->second;
}

LocalTime normalizeLocal(const QDate& d, const QTime& t) {
    if (!d.isValid() || !t.isValid() || localDayMayShift(d)) {
        const QDateTime dt(d, t);
        return {dt.date(), dt.time()};
    }
    return {d, t};
}

Date Date::fromDateTime(const QDateTime& dt) {
    return dateOfLocal(dt.date(), dt.time());
}

Date dateOfLocal(const QDate& d, const QTime& t) {
    const double days = static_cast<double>(kDayZero.daysTo(d));
    const double frac = (t.msecsSinceStartOfDay() / 1000) / 86400.0;
    return Date{days >= 0 ? days + frac : days - frac};
}

Date Date::fromDate(const QDate& d) {
    return Date{static_cast<double>(kDayZero.daysTo(d))};
}

QDateTime Date::toDateTime() const {
    const LocalTime lt = localTimeOf(*this);
    return QDateTime(lt.date, lt.time);
}

LocalTime localTimeOf(Date d) {
    const double whole = std::trunc(d.serial);
    const double frac = std::fabs(d.serial - whole);
    qint64 secs = std::llround(frac * 86400.0);
    qint64 days = static_cast<qint64>(whole);
    if (secs >= 86400) {  // rounding up to the next midnight
        secs -= 86400;
        days += d.serial < 0 ? -1 : 1;
    }
    return normalizeLocal(kDayZero.addDays(days), QTime(0, 0).addSecs(static_cast<int>(secs)));
}

namespace {

void appendNumber(QString& out, int v) {
    char16_t digits[12];
    int n = 0;
    unsigned u = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0) out += QLatin1Char('-');
    while (n > 0) out += QChar(digits[--n]);
}

void appendTwoDigits(QString& out, int v) {
    out += QChar(static_cast<char16_t>(u'0' + v / 10));
    out += QChar(static_cast<char16_t>(u'0' + v % 10));
}

}  // namespace

// Written out digit by digit: a filter's result converts one date a line.
QString dateToText(Date d) {
    const LocalTime lt = localTimeOf(d);
    const QDate& date = lt.date;
    const QTime& time = lt.time;
    const bool hasTime = time != QTime(0, 0);
    const bool hasDate = date != kDayZero;
    QString out;
    out.reserve(24);
    if (hasDate || !hasTime) {
        appendNumber(out, date.month());
        out += QLatin1Char('/');
        appendNumber(out, date.day());
        out += QLatin1Char('/');
        appendNumber(out, date.year());
    }
    if (hasTime) {
        if (!out.isEmpty()) out += QLatin1Char(' ');
        const int h12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
        appendNumber(out, h12);
        out += QLatin1Char(':');
        appendTwoDigits(out, time.minute());
        out += QLatin1Char(':');
        appendTwoDigits(out, time.second());
        out += time.hour() < 12 ? QLatin1String(" AM") : QLatin1String(" PM");
    }
    return out;
}

QString doubleToText(double v) {
    return fixExponent(QString::number(v, 'g', 15));
}

QString singleToText(float v) {
    return fixExponent(QString::number(static_cast<double>(v), 'g', 7));
}

QString currencyToText(Currency c) {
    const bool negative = c.scaled < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
    QString out = QString::number(magnitude / 10000);
    std::uint64_t frac = magnitude % 10000;
    if (frac != 0) {
        QString digits = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
        out += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + out : out;
}

VarType Variant::type() const {
    switch (v_.index()) {
        case 0:
            return VarType::Empty;
        case 1:
            return VarType::Null;
        case 2:
            return VarType::Integer;
        case 3:
            return VarType::Long;
        case 4:
            return VarType::Single;
        case 5:
            return VarType::Double;
        case 6:
            return VarType::Currency;
        case 7:
            return VarType::Date;
        case 8:
            return VarType::String;
        case 9:
            return VarType::Error;
        case 10:
            return VarType::Boolean;
        case 11:
            return VarType::Binary;
        default:
            return VarType::Object;
    }
}

QString Variant::toText() const {
    switch (type()) {
        case VarType::Empty:
            return QString();
        case VarType::Null:
            raise(code::InvalidUseOfNull);
        case VarType::Integer:
            return QString::number(asInteger());
        case VarType::Long:
            return QString::number(asLong());
        case VarType::Single:
            return singleToText(asSingle());
        case VarType::Double:
            return doubleToText(asDouble());
        case VarType::Currency:
            return currencyToText(asCurrency());
        case VarType::Date:
            return dateToText(asDate());
        case VarType::String:
            return asString();
        case VarType::Boolean:
            return asBoolean() ? QStringLiteral("True") : QStringLiteral("False");
        case VarType::Binary:
            return QString::fromLatin1(asBinary().toHex().toUpper());
        case VarType::Error:
        case VarType::Object:
            break;
    }
    raise(code::TypeMismatch);
}

}  // namespace mapi
