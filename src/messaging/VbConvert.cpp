#include "messaging/VbConvert.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <cfloat>
#include <cmath>
#include <optional>

#include "messaging/Error.h"

namespace vb {

namespace {

// Wide enough for 20 significant digits times 10^4 without overflow checks.
__extension__ typedef __int128 Wide;

// ---- numbers ------------------------------------------------------------------

// A number as written: sign, significant digits and a power of ten, so that
// integer and currency rounding can be done exactly on the decimal digits.
struct Decimal {
    bool negative = false;
    QString digits;    // no leading zeros; empty means zero
    int exponent = 0;  // value = digits * 10^exponent
    bool hex = false;  // &H / &O forms carry their value directly
    std::int64_t hexValue = 0;
};

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

std::optional<Decimal> parseRadix(const QString& body, int radix, bool negative) {
    if (body.isEmpty()) return std::nullopt;
    bool ok = false;
    const qulonglong raw = body.toULongLong(&ok, radix);
    const int bitsPerDigit = radix == 16 ? 4 : 3;
    if (!ok || body.size() * bitsPerDigit > 32 + (radix == 8 ? 1 : 0) || raw > 0xFFFFFFFFull)
        return std::nullopt;
    Decimal d;
    // Up to 16 bits the literal is an Integer, beyond it a Long: &HFFFF is -1.
    if (raw <= 0xFFFF && body.size() * bitsPerDigit <= 16 + (radix == 8 ? 2 : 0))
        d.hexValue = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw));
    else
        d.hexValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
    if (negative) d.hexValue = -d.hexValue;
    d.hex = true;
    return d;
}

std::optional<Decimal> parseNumber(const QString& input) {
    const QString s = trimBlanks(input);
    qsizetype i = 0;
    const qsizetype n = s.size();
    bool negative = false;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
        while (i < n && isBlank(s[i])) ++i;
    }
    if (i + 1 < n && s[i] == QLatin1Char('&')) {
        const QChar r = s[i + 1].toUpper();
        if (r == QLatin1Char('H')) return parseRadix(s.mid(i + 2), 16, negative);
        if (r == QLatin1Char('O')) return parseRadix(s.mid(i + 2), 8, negative);
        return std::nullopt;
    }
    if (i < n && s[i] == QLatin1Char('$')) ++i;  // US currency sign

    QString intDigits, fracDigits;
    bool sawDigit = false;
    bool lastWasComma = false;
    while (i < n) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            intDigits += c;
            sawDigit = true;
            lastWasComma = false;
        } else if (c == QLatin1Char(',') && sawDigit && !lastWasComma) {
            lastWasComma = true;  // thousands separator
        } else {
            break;
        }
        ++i;
    }
    if (lastWasComma) return std::nullopt;
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            fracDigits += s[i];
            sawDigit = true;
            ++i;
        }
    }
    if (!sawDigit) return std::nullopt;
    int exp = 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        bool expNeg = false;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
            expNeg = s[i] == QLatin1Char('-');
            ++i;
        }
        QString expDigits;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) expDigits += s[i++];
        if (expDigits.isEmpty() || expDigits.size() > 4) return std::nullopt;
        exp = expDigits.toInt() * (expNeg ? -1 : 1);
    }
    if (i != n) return std::nullopt;

    Decimal d;
    d.negative = negative;
    QString all = intDigits + fracDigits;
    d.exponent = exp - static_cast<int>(fracDigits.size());
    qsizetype lead = 0;
    while (lead < all.size() && all[lead] == QLatin1Char('0')) ++lead;
    all = all.mid(lead);
    while (!all.isEmpty() && all.endsWith(QLatin1Char('0'))) {
        all.chop(1);
        ++d.exponent;
    }
    d.digits = all;
    if (d.digits.isEmpty()) d.exponent = 0;
    return d;
}

Decimal numberOrMismatch(const QString& text) {
    std::optional<Decimal> d = parseNumber(text);
    if (!d) mapi::raise(mapi::code::TypeMismatch);
    return *d;
}

double toDoubleValue(const Decimal& d) {
    if (d.hex) return static_cast<double>(d.hexValue);
    if (d.digits.isEmpty()) return 0.0;
    const QString text = (d.negative ? QStringLiteral("-") : QString()) + d.digits +
                         QStringLiteral("e") + QString::number(d.exponent);
    return std::strtod(text.toLatin1().constData(), nullptr);
}

// Rounds the decimal to `places` decimals, half to even, as a scaled 128-bit
// integer; nullopt when it does not fit in 64 bits.
std::optional<std::int64_t> roundScaled(const Decimal& d, int places) {
    if (d.hex) {
        Wide v = d.hexValue;
        for (int k = 0; k < places; ++k) v *= 10;
        return static_cast<std::int64_t>(v);
    }
    if (d.digits.isEmpty()) return 0;
    const int shift = d.exponent + places;  // value * 10^places = digits * 10^shift
    Wide whole = 0;
    const Wide limit = static_cast<Wide>(1) << 64;
    if (shift >= 0) {
        if (d.digits.size() + shift > 20) return std::nullopt;
        for (QChar c : d.digits) whole = whole * 10 + (c.unicode() - '0');
        for (int k = 0; k < shift; ++k) whole *= 10;
    } else {
        const qsizetype keep = d.digits.size() + shift;  // digits left of the cut
        if (keep > 20) return std::nullopt;
        for (qsizetype k = 0; k < keep; ++k) whole = whole * 10 + (d.digits[k].unicode() - '0');
        // Compare the dropped part with one half.
        const QString dropped = keep >= 0
                                    ? d.digits.mid(keep)
                                    : QString(static_cast<int>(-keep), QLatin1Char('0')) + d.digits;
        int cmp;  // -1 below half, 0 exactly half, 1 above
        if (dropped.isEmpty() || dropped[0] < QLatin1Char('5')) {
            cmp = -1;
        } else if (dropped[0] > QLatin1Char('5')) {
            cmp = 1;
        } else {
            cmp = 0;
            for (qsizetype k = 1; k < dropped.size(); ++k)
                if (dropped[k] != QLatin1Char('0')) cmp = 1;
        }
        if (cmp > 0 || (cmp == 0 && (whole % 2) != 0)) ++whole;
    }
    if (whole >= limit) return std::nullopt;
    if (d.negative) whole = -whole;
    if (whole > INT64_MAX || whole < INT64_MIN) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

std::int64_t roundedInRange(const QString& text, std::int64_t lo, std::int64_t hi) {
    const Decimal d = numberOrMismatch(text);
    const std::optional<std::int64_t> v = roundScaled(d, 0);
    if (!v || *v < lo || *v > hi) mapi::raise(mapi::code::Overflow);
    return *v;
}

// ---- dates --------------------------------------------------------------------

struct TimeOfDay {
    int seconds = 0;
};

int monthFromName(const QString& word) {
    static const char* names[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                  "MAY",       "JUNE",     "JULY",     "AUGUST",
                                  "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
    const QString w = word.toUpper();
    if (w.size() < 3) return 0;
    for (int m = 0; m < 12; ++m) {
        const QString full = QString::fromLatin1(names[m]);
        if (full.startsWith(w)) return m + 1;
    }
    if (w == QLatin1String("SEPT")) return 9;
    return 0;
}

bool isWeekdayName(const QString& word) {
    static const char* names[] = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                  "FRIDAY", "SATURDAY", "SUNDAY"};
    const QString w = word.toUpper();
    if (w.size() < 3) return false;
    for (const char* n : names)
        if (QString::fromLatin1(n).startsWith(w)) return true;
    return false;
}

int expandYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() <= 2) return y < 30 ? 2000 + y : 1900 + y;
    return y;
}

std::optional<QDate> makeDate(int y, int m, int d) {
    if (y < 100 || y > 9999) return std::nullopt;
    QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

// Numbers in the platform's M/D order, swapped to D/M when only that makes sense.
std::optional<QDate> monthDay(int a, int b, int year) {
    if (auto date = makeDate(year, a, b)) return date;
    if (a > 12) return makeDate(year, b, a);
    return std::nullopt;
}

std::optional<TimeOfDay> parseTime(const QString& t) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2})(?::(\\d{1,2})(?::(\\d{1,2}))?)?\\s*(AM|PM|A|P)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch()) return std::nullopt;
    const bool hasMinutes = m.capturedLength(2) > 0;
    const QString ampm = m.captured(4).toUpper();
    if (!hasMinutes && ampm.isEmpty()) return std::nullopt;  // a bare number is no time
    int h = m.captured(1).toInt();
    const int min = hasMinutes ? m.captured(2).toInt() : 0;
    const int sec = m.capturedLength(3) > 0 ? m.captured(3).toInt() : 0;
    if (min > 59 || sec > 59) return std::nullopt;
    if (!ampm.isEmpty()) {
        if (h > 12) return std::nullopt;
        if (h == 12) h = 0;
        if (ampm.startsWith(QLatin1Char('P'))) h += 12;
    } else if (h > 23) {
        return std::nullopt;
    }
    return TimeOfDay{h * 3600 + min * 60 + sec};
}

std::optional<QDate> parseDatePart(const QString& text) {
    static const QRegularExpression numeric(
        QStringLiteral("^(\\d{1,4})\\s*([/\\-.])\\s*(\\d{1,2})(?:\\s*\\2\\s*(\\d{1,4}))?$"));
    QRegularExpressionMatch m = numeric.match(text);
    if (m.hasMatch()) {
        const QString first = m.captured(1);
        const int second = m.captured(3).toInt();
        const bool hasThird = m.capturedLength(4) > 0;
        if (first.size() >= 3) {  // year first: YYYY-MM-DD
            if (!hasThird) return std::nullopt;
            return makeDate(first.toInt(), second, m.captured(4).toInt());
        }
        const int year = hasThird ? expandYear(m.captured(4)) : QDate::currentDate().year();
        return monthDay(first.toInt(), second, year);
    }

    // Forms with a month name: "March 1, 1999", "1-Mar-1999", "1 March 1999", "Mar 1999".
    static const QRegularExpression splitter(QStringLiteral("[\\s,\\-/.]+"));
    const QStringList tokens = text.split(splitter, Qt::SkipEmptyParts);
    int month = 0;
    QStringList numbers;
    for (const QString& tok : tokens) {
        bool isNum = false;
        tok.toInt(&isNum);
        if (isNum && tok.size() <= 4) {
            numbers << tok;
        } else if (const int mo = monthFromName(tok); mo && !month) {
            month = mo;
        } else if (!isWeekdayName(tok)) {
            return std::nullopt;
        }
    }
    if (!month || numbers.isEmpty() || numbers.size() > 2) return std::nullopt;
    if (numbers.size() == 1) {
        if (numbers[0].size() >= 3) return makeDate(numbers[0].toInt(), month, 1);  // "March 1999"
        return makeDate(QDate::currentDate().year(), month, numbers[0].toInt());
    }
    // Two numbers: day then year, whichever side of the month name they stand.
    return makeDate(expandYear(numbers[1]), month, numbers[0].toInt());
}

std::optional<mapi::Date> parseDate(const QString& input) {
    const QString s = trimBlanks(input).simplified();
    if (s.isEmpty()) return std::nullopt;

    // A time stands at the end: split it off at the last blank before "h:mm" or "h AM".
    static const QRegularExpression timeTail(
        QStringLiteral("(?:^|\\s)(\\d{1,2}(?::\\d{1,2}(?::\\d{1,2})?)?\\s*(?:AM|PM|A|P)?)$"),
        QRegularExpression::CaseInsensitiveOption);
    QString datePart = s;
    std::optional<TimeOfDay> time;
    const QRegularExpressionMatch tm = timeTail.match(s);
    if (tm.hasMatch()) {
        if (auto t = parseTime(tm.captured(1).trimmed())) {
            time = t;
            datePart = s.left(tm.capturedStart(1)).trimmed();
        }
    }
    if (datePart.isEmpty()) {
        if (!time) return std::nullopt;
        return mapi::Date{time->seconds / 86400.0};
    }
    const std::optional<QDate> date = parseDatePart(datePart);
    if (!date) return std::nullopt;
    mapi::Date result = mapi::Date::fromDate(*date);
    if (time) {
        const double frac = time->seconds / 86400.0;
        result.serial += result.serial >= 0 ? frac : -frac;
    }
    return result;
}

}  // namespace

bool isDate(const QString& text) {
    return parseDate(text).has_value();
}

bool isNumeric(const QString& text) {
    return parseNumber(text).has_value();
}

bool toBoolean(const QString& text) {
    const QString t = trimBlanks(text);
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    const Decimal d = numberOrMismatch(t);
    return d.hex ? d.hexValue != 0 : !d.digits.isEmpty();
}

std::int16_t toInteger(const QString& text) {
    return static_cast<std::int16_t>(roundedInRange(text, INT16_MIN, INT16_MAX));
}

std::int32_t toLong(const QString& text) {
    return static_cast<std::int32_t>(roundedInRange(text, INT32_MIN, INT32_MAX));
}

float toSingle(const QString& text) {
    const double v = toDoubleValue(numberOrMismatch(text));
    if (std::isinf(v) || std::fabs(v) > FLT_MAX) mapi::raise(mapi::code::Overflow);
    return static_cast<float>(v);
}

double toDouble(const QString& text) {
    const double v = toDoubleValue(numberOrMismatch(text));
    if (std::isinf(v)) mapi::raise(mapi::code::Overflow);
    return v;
}

mapi::Currency toCurrency(const QString& text) {
    const std::optional<std::int64_t> v = roundScaled(numberOrMismatch(text), 4);
    if (!v) mapi::raise(mapi::code::Overflow);
    return mapi::Currency{*v};
}

mapi::Date toDate(const QString& text) {
    if (std::optional<mapi::Date> d = parseDate(text)) return *d;
    // A number converts to the date it counts from day zero.
    if (std::optional<Decimal> n = parseNumber(text)) {
        const double v = toDoubleValue(*n);
        if (v < -657434.0 || v > 2958465.99999) mapi::raise(mapi::code::Overflow);
        return mapi::Date{v};
    }
    mapi::raise(mapi::code::TypeMismatch);
}

}  // namespace vb
