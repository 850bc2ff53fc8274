#include <QDateTime>
#include <cmath>

#include "messaging/LocalTime.h"
#include "store/FixtureWriter.h"
#include "store/Props.h"

// The fixture's JSON values as the store keeps them, and its identifiers.

namespace store::fixture {

void Writer::keys(const QJsonObject& o, const QString& place,
                  std::initializer_list<const char*> allowed) const {
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key().startsWith(QLatin1Char('_'))) continue;
        bool ok = false;
        for (const char* a : allowed) ok = ok || it.key() == QLatin1String(a);
        if (!ok) fail(at(place, it.key()), QStringLiteral("unknown key"));
    }
}

QJsonObject Writer::object(const QJsonValue& v, const QString& place) const {
    if (!v.isObject()) fail(place, QStringLiteral("expected an object"));
    return v.toObject();
}

QJsonArray Writer::array(const QJsonObject& o, const char* key, const QString& place) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return {};
    if (!v.isArray()) fail(at(place, QLatin1String(key)), QStringLiteral("expected an array"));
    return v.toArray();
}

SqlValue Writer::text(const QJsonObject& o, const char* key, const QString& place,
                      const QString& def) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return def;
    if (v.isNull()) return SqlValue();
    if (!v.isString()) fail(at(place, QLatin1String(key)), QStringLiteral("expected a string"));
    return v.toString();
}

SqlValue Writer::integer(const QJsonObject& o, const char* key, const QString& place,
                         std::int64_t min, std::int64_t max, std::int64_t def) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return def;
    if (v.isNull()) return SqlValue();
    const double d = v.toDouble();
    if (!v.isDouble() || d != std::floor(d))
        fail(at(place, QLatin1String(key)), QStringLiteral("expected a whole number"));
    if (d < static_cast<double>(min) || d > static_cast<double>(max))
        fail(at(place, QLatin1String(key)),
             QStringLiteral("must be between %1 and %2").arg(min).arg(max));
    return static_cast<std::int64_t>(d);
}

SqlValue Writer::boolean(const QJsonObject& o, const char* key, const QString& place,
                         bool def) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return std::int64_t{def ? 1 : 0};
    if (v.isNull()) return SqlValue();
    if (!v.isBool()) fail(at(place, QLatin1String(key)), QStringLiteral("expected true or false"));
    return std::int64_t{v.toBool() ? 1 : 0};
}

std::optional<std::int64_t> Writer::parseDate(const QString& s) const {
    // The plain form needs no QDateTime, whose every local-time construction
    // asks the zone again: a big fixture would spend most of its time there.
    if (s.size() == 19 && s[10] == QLatin1Char('T')) {
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        const QTime t = QTime::fromString(s.mid(11), Qt::ISODate);
        if (d.isValid() && t.isValid() && !mapi::localDayMayShift(d)) return secondsOf(d, t);
    }
    QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        if (!d.isValid()) return std::nullopt;
        dt = QDateTime(d, QTime(0, 0));
    }
    // Local wall-clock time as written; any zone suffix is not converted.
    return secondsOf(QDateTime(dt.date(), dt.time()));
}

SqlValue Writer::date(const QJsonObject& o, const char* key, const QString& place) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return std::int64_t{0};
    if (v.isNull()) return SqlValue();
    const auto s = v.isString() ? parseDate(v.toString()) : std::nullopt;
    if (!s)
        fail(at(place, QLatin1String(key)),
             QStringLiteral("expected an ISO 8601 date and time such as \"1999-03-01T09:30:00\""));
    return *s;
}

std::optional<QString> Writer::explicitId(const QJsonObject& o, const QString& place) {
    const QJsonValue v = o.value(QLatin1String("id"));
    if (v.isUndefined()) return std::nullopt;
    if (!v.isString() || !isHexId(v.toString()))
        fail(at(place, QStringLiteral("id")), QStringLiteral("expected a hexadecimal string"));
    const QString id = v.toString().toUpper();
    if (usedIds_.contains(id))
        fail(at(place, QStringLiteral("id")), QStringLiteral("duplicate id \"%1\"").arg(id));
    usedIds_.insert(id);
    return id;
}

QString Writer::assignId(const std::optional<QString>& given, EntryKind kind, std::int64_t rid) {
    // Against every id of the fixture, not only those of the row's table.
    const QString id =
        given ? *given
              : freeEntryId(kind, rid, [&](const QString& e) { return usedIds_.contains(e); });
    usedIds_.insert(id);
    setEntryId(db_, kind, rid, id);
    return id;
}

}  // namespace store::fixture
