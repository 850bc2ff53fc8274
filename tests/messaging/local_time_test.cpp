// Local times are turned into dates and back without asking the zone for
// every value; wherever a zone has a transition the result must still be what
// a QDateTime in local time gives, in zones with and without daylight saving.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <ctime>

#include "messaging/LocalTime.h"
#include "messaging/Variant.h"

namespace {

const QDate kDayZero(1899, 12, 30);

class ZoneGuard {
  public:
    explicit ZoneGuard(const char* zone)
        : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneGuard() {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

  private:
    bool had_;
    QByteArray old_;
};

struct Case {
    const char* zone;
    QDate day;  // a transition day, an ordinary one, one long ago
};

const Case kCases[] = {
    {"Europe/Berlin", QDate(2024, 3, 31)},
    {"Europe/Berlin", QDate(2024, 10, 27)},
    {"Europe/Berlin", QDate(1998, 7, 4)},
    {"Europe/Berlin", QDate(1945, 5, 24)},
    {"America/New_York", QDate(2024, 3, 10)},
    {"America/New_York", QDate(2024, 11, 3)},
    {"America/New_York", QDate(1969, 4, 27)},
    {"Australia/Lord_Howe", QDate(2024, 4, 7)},
    {"Australia/Lord_Howe", QDate(2024, 10, 6)},
    {"America/Sao_Paulo", QDate(2018, 11, 4)},
    {"UTC", QDate(2024, 3, 31)},
    {"Asia/Kolkata", QDate(1899, 12, 30)},
};

TEST(LocalTime, DatesFromLocalTimesMatchQDateTimeAroundTransitions) {
    for (const Case& c : kCases) {
        const ZoneGuard zone(c.zone);
        for (QDate d = c.day.addDays(-1); d <= c.day.addDays(1); d = d.addDays(1)) {
            for (int s = 0; s < 86400; s += 5 * 60) {
                const QTime t = QTime(0, 0).addSecs(s);
                const mapi::LocalTime lt = mapi::normalizeLocal(d, t);
                const QDateTime ref(d, t);
                ASSERT_EQ(lt.date, ref.date())
                    << c.zone << ' ' << qPrintable(d.toString()) << ' ' << s;
                ASSERT_EQ(lt.time, ref.time())
                    << c.zone << ' ' << qPrintable(d.toString()) << ' ' << s;
                ASSERT_EQ(mapi::dateOfLocal(lt.date, lt.time).serial,
                          mapi::Date::fromDateTime(ref).serial)
                    << c.zone << ' ' << qPrintable(d.toString()) << ' ' << s;
            }
        }
    }
}

TEST(LocalTime, DateValuesReadBackAsQDateTimeHoldsThem) {
    for (const Case& c : kCases) {
        const ZoneGuard zone(c.zone);
        const qint64 first = kDayZero.daysTo(c.day) - 1;
        for (qint64 day = first; day <= first + 2; ++day) {
            for (int s = 0; s < 86400; s += 7 * 60) {
                const double frac = s / 86400.0;
                const mapi::Date date{day >= 0 ? day + frac : day - frac};
                const QDateTime ref(kDayZero.addDays(day), QTime(0, 0).addSecs(s));
                const mapi::LocalTime lt = mapi::localTimeOf(date);
                ASSERT_EQ(lt.date, ref.date()) << c.zone << ' ' << day << ' ' << s;
                ASSERT_EQ(lt.time, ref.time()) << c.zone << ' ' << day << ' ' << s;
            }
        }
    }
}

TEST(LocalTime, TextsOnATransitionDayAndInOtherYears) {
    const ZoneGuard zone("Europe/Berlin");
    struct Row {
        QDate day;
        QTime time;
        const char* text;
    };
    const Row rows[] = {
        {QDate(2024, 3, 31), QTime(1, 59, 59), "3/31/2024 1:59:59 AM"},
        {QDate(2024, 3, 31), QTime(2, 30), "3/31/2024 2:30:00 AM"},  // inside the gap
        {QDate(2024, 3, 31), QTime(3, 0), "3/31/2024 3:00:00 AM"},
        {QDate(2024, 10, 27), QTime(2, 30), "10/27/2024 2:30:00 AM"},  // the repeated hour
        {QDate(1998, 7, 4), QTime(21, 15), "7/4/1998 9:15:00 PM"},
        {QDate(1969, 12, 31), QTime(23, 30), "12/31/1969 11:30:00 PM"},
    };
    for (const Row& r : rows) {
        const mapi::LocalTime lt = mapi::normalizeLocal(r.day, r.time);
        EXPECT_EQ(mapi::dateToText(mapi::dateOfLocal(lt.date, lt.time)), QLatin1String(r.text));
    }
}

}  // namespace
