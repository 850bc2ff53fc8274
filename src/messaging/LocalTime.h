#pragma once

#include <QDate>
#include <QTime>

#include "messaging/Variant.h"

namespace mapi {

// A wall-clock date and time in the local zone.
struct LocalTime {
    QDate date;
    QTime time;
};

// The local time as a QDateTime in local time would hold it: a time inside a
// daylight-saving gap moves on as QDateTime moves it. Only days near a zone
// transition are handed to QDateTime (whose every construction makes the C
// library re-check the zone file); the answer per day is remembered.
LocalTime normalizeLocal(const QDate& d, const QTime& t);
// Whether a time on day `d` could come out of normalizeLocal changed.
bool localDayMayShift(const QDate& d);

// Date::toDateTime without building a QDateTime.
LocalTime localTimeOf(Date d);
// Date::fromDateTime from a wall-clock time already normalised.
Date dateOfLocal(const QDate& d, const QTime& t);

}  // namespace mapi
