#include <gtest/gtest.h>

#include "messaging/Error.h"
#include "messaging/VbConvert.h"

namespace {

std::int32_t errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const mapi::Error& e) {
        return e.number();
    }
    return 0;
}

QString dateText(const QString& s) {
    return mapi::dateToText(vb::toDate(s));
}

TEST(VbNumbers, IntegerConversionsRoundHalfToEven) {
    EXPECT_EQ(vb::toInteger("2.5"), 2);
    EXPECT_EQ(vb::toInteger("3.5"), 4);
    EXPECT_EQ(vb::toInteger("-2.5"), -2);
    EXPECT_EQ(vb::toInteger("-3.5"), -4);
    EXPECT_EQ(vb::toInteger("2.5000001"), 3);
    EXPECT_EQ(vb::toInteger("0.4999"), 0);
    EXPECT_EQ(vb::toLong("1234567.5"), 1234568);
    EXPECT_EQ(vb::toLong("1234566.5"), 1234566);
    EXPECT_EQ(vb::toLong("1.5E3"), 1500);
    EXPECT_EQ(vb::toLong("2.5e0"), 2);
}

TEST(VbNumbers, Overflow) {
    EXPECT_EQ(errorOf([] { vb::toInteger("32768"); }), mapi::code::Overflow);
    EXPECT_EQ(errorOf([] { vb::toInteger("-32768.6"); }), mapi::code::Overflow);
    EXPECT_EQ(errorOf([] { vb::toLong("2147483648"); }), mapi::code::Overflow);
    EXPECT_EQ(vb::toLong("-2147483648"), INT32_MIN);
    EXPECT_EQ(errorOf([] { vb::toSingle("1E39"); }), mapi::code::Overflow);
    EXPECT_EQ(errorOf([] { vb::toDouble("1E400"); }), mapi::code::Overflow);
    EXPECT_EQ(errorOf([] { vb::toCurrency("922337203685478"); }), mapi::code::Overflow);
}

TEST(VbNumbers, ThousandsSeparatorsSignsBlanksAndHex) {
    EXPECT_EQ(vb::toLong("1,234,567"), 1234567);
    EXPECT_EQ(vb::toDouble("  -1,234.5  "), -1234.5);
    EXPECT_EQ(vb::toDouble("+.5"), 0.5);
    EXPECT_EQ(vb::toLong("&H1F"), 31);
    EXPECT_EQ(vb::toLong("&hff"), 255);
    EXPECT_EQ(vb::toInteger("&HFFFF"), -1);
    EXPECT_EQ(vb::toLong("&H10000"), 65536);
    EXPECT_EQ(vb::toLong("&O17"), 15);
    EXPECT_EQ(vb::toDouble("$1,000.25"), 1000.25);
}

TEST(VbNumbers, WhatIsNotANumberIsATypeMismatch) {
    for (const char* bad :
         {"", "   ", "abc", "1,", ",1", "1..2", "1e", "12x", "&H", "&HZZ", "1 2", "--1"}) {
        EXPECT_FALSE(vb::isNumeric(bad)) << bad;
        EXPECT_EQ(errorOf([&] { vb::toDouble(bad); }), mapi::code::TypeMismatch) << bad;
    }
    for (const char* good : {"0", "-0", "1,000", "1.", ".5", "1e5", "1E-5", " 7 ", "&H7FFFFFFF"})
        EXPECT_TRUE(vb::isNumeric(good)) << good;
}

TEST(VbNumbers, CurrencyKeepsFourDecimalsExactly) {
    EXPECT_EQ(vb::toCurrency("1.23456").scaled, 12346);
    EXPECT_EQ(vb::toCurrency("1.00005").scaled, 10000);  // half to even
    EXPECT_EQ(vb::toCurrency("1.00015").scaled, 10002);
    EXPECT_EQ(vb::toCurrency("-19.99").scaled, -199900);
    EXPECT_EQ(mapi::currencyToText(vb::toCurrency("1,234.5")), "1234.5");
}

TEST(VbNumbers, SingleAndDouble) {
    EXPECT_FLOAT_EQ(vb::toSingle("3.25"), 3.25f);
    EXPECT_DOUBLE_EQ(vb::toDouble("1.5E-3"), 0.0015);
}

TEST(VbBoolean, WordsInAnyCaseAndNumbers) {
    EXPECT_TRUE(vb::toBoolean("True"));
    EXPECT_TRUE(vb::toBoolean("tRUE"));
    EXPECT_FALSE(vb::toBoolean(" false "));
    EXPECT_FALSE(vb::toBoolean("0"));
    EXPECT_FALSE(vb::toBoolean("0.0"));
    EXPECT_TRUE(vb::toBoolean("-1"));
    EXPECT_TRUE(vb::toBoolean("0.1"));
    EXPECT_TRUE(vb::toBoolean("&H1"));
    EXPECT_EQ(errorOf([] { vb::toBoolean("yes"); }), mapi::code::TypeMismatch);
    EXPECT_EQ(errorOf([] { vb::toBoolean(""); }), mapi::code::TypeMismatch);
}

TEST(VbDates, NumericForms) {
    EXPECT_EQ(dateText("3/1/1999"), "3/1/1999");
    EXPECT_EQ(dateText("03/01/1999"), "3/1/1999");
    EXPECT_EQ(dateText("1999-03-01"), "3/1/1999");
    EXPECT_EQ(dateText("12/31/99"), "12/31/1999");
    EXPECT_EQ(dateText("1/1/29"), "1/1/2029");
    EXPECT_EQ(dateText("1/1/30"), "1/1/1930");
    EXPECT_EQ(dateText("13/1/1999"), "1/13/1999");  // only day/month makes sense
    EXPECT_EQ(dateText("2/29/2000"), "2/29/2000");
}

TEST(VbDates, MonthNames) {
    EXPECT_EQ(dateText("March 1, 1999"), "3/1/1999");
    EXPECT_EQ(dateText("1-Mar-1999"), "3/1/1999");
    EXPECT_EQ(dateText("1 March 1999"), "3/1/1999");
    EXPECT_EQ(dateText("Monday, March 1, 1999"), "3/1/1999");
    EXPECT_EQ(dateText("Dec 25 2001"), "12/25/2001");
}

TEST(VbDates, TimesAloneAndAfterADate) {
    EXPECT_EQ(dateText("10:15"), "10:15:00 AM");
    EXPECT_EQ(dateText("10:15:30 PM"), "10:15:30 PM");
    EXPECT_EQ(dateText("12:00 AM"), "12/30/1899");  // midnight of day zero
    EXPECT_EQ(dateText("12:30 pm"), "12:30:00 PM");
    EXPECT_EQ(dateText("23:59:59"), "11:59:59 PM");
    EXPECT_EQ(dateText("3/1/1999 10:15 AM"), "3/1/1999 10:15:00 AM");
    EXPECT_EQ(dateText("1999-03-01 22:05:09"), "3/1/1999 10:05:09 PM");
    EXPECT_EQ(dateText("March 1, 1999 6 PM"), "3/1/1999 6:00:00 PM");
    // Before day zero the time counts away from it, as the serial's sign does.
    EXPECT_DOUBLE_EQ(vb::toDate(QStringLiteral("12/30/1899 6:00 AM")).serial, 0.25);
    EXPECT_DOUBLE_EQ(vb::toDate(QStringLiteral("12/29/1899 6:00 AM")).serial, -1.25);
}

TEST(VbDates, Rejected) {
    for (const char* bad : {"", "hello", "2/30/1999", "13/13/1999", "25:00", "10:61", "1999",
                            "3/1/1999 xyz", "13:00 PM", "Smarch 1, 1999"}) {
        EXPECT_FALSE(vb::isDate(bad)) << bad;
    }
    EXPECT_EQ(errorOf([] { vb::toDate("hello"); }), mapi::code::TypeMismatch);
    EXPECT_TRUE(vb::isDate(" 3/1/1999 "));
}

TEST(VbDates, NumbersConvertAsDaySerials) {
    EXPECT_EQ(dateText("36220"), "3/1/1999");
    EXPECT_EQ(dateText("36220.5"), "3/1/1999 12:00:00 PM");
}

}  // namespace
