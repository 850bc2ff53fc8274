#include <gtest/gtest.h>

#include "messaging/Error.h"
#include "messaging/Variant.h"

namespace {

using mapi::Variant;

std::int32_t textError(const Variant& v) {
    try {
        (void)v.toText();
    } catch (const mapi::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(VariantText, PlatformFormsIndependentOfLocale) {
    EXPECT_EQ(Variant(true).toText(), "True");
    EXPECT_EQ(Variant(false).toText(), "False");
    EXPECT_EQ(Variant(std::int32_t{-42}).toText(), "-42");
    EXPECT_EQ(Variant::integer(7).toText(), "7");
    EXPECT_EQ(Variant(2.5).toText(), "2.5");
    EXPECT_EQ(Variant(0.1).toText(), "0.1");
    EXPECT_EQ(Variant(1e20).toText(), "1E+20");
    EXPECT_EQ(Variant(1.5f).toText(), "1.5");
    EXPECT_EQ(Variant(mapi::Currency{123450}).toText(), "12.345");
    EXPECT_EQ(Variant(mapi::Currency{-50000}).toText(), "-5");
    EXPECT_EQ(Variant(QByteArray("\x01\xab", 2)).toText(), "01AB");
    EXPECT_EQ(Variant().toText(), "");
}

TEST(VariantText, Dates) {
    const auto dt = [](int y, int mo, int d, int h, int mi, int s) {
        return Variant(mapi::Date::fromDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s))));
    };
    EXPECT_EQ(dt(1999, 3, 1, 14, 5, 9).toText(), "3/1/1999 2:05:09 PM");
    EXPECT_EQ(dt(1999, 3, 1, 0, 0, 0).toText(), "3/1/1999");
    EXPECT_EQ(dt(2000, 12, 31, 0, 0, 1).toText(), "12/31/2000 12:00:01 AM");
    EXPECT_EQ(dt(2000, 12, 31, 12, 0, 0).toText(), "12/31/2000 12:00:00 PM");
    EXPECT_EQ(dt(1899, 12, 30, 10, 15, 0).toText(), "10:15:00 AM");
    EXPECT_EQ(dt(1850, 6, 1, 6, 0, 0).toText(), "6/1/1850 6:00:00 AM");
    EXPECT_EQ(dt(1899, 12, 30, 0, 0, 0).toText(), "12/30/1899");
    EXPECT_EQ(dt(9999, 12, 31, 23, 59, 59).toText(), "12/31/9999 11:59:59 PM");
    EXPECT_EQ(dt(100, 1, 1, 10, 10, 10).toText(), "1/1/100 10:10:10 AM");
    EXPECT_EQ(dt(2001, 10, 20, 22, 9, 50).toText(), "10/20/2001 10:09:50 PM");
}

TEST(VariantText, NullErrorAndObjectsFail) {
    EXPECT_EQ(textError(Variant::null()), mapi::code::InvalidUseOfNull);
    EXPECT_EQ(textError(Variant(mapi::ErrorValue{-2147221233})), mapi::code::TypeMismatch);
}

TEST(VariantType, CodesAreTheVariantTypeNumbers) {
    EXPECT_EQ(static_cast<int>(Variant().type()), 0);
    EXPECT_EQ(static_cast<int>(Variant::null().type()), 1);
    EXPECT_EQ(static_cast<int>(Variant::integer(1).type()), 2);
    EXPECT_EQ(static_cast<int>(Variant(std::int32_t{1}).type()), 3);
    EXPECT_EQ(static_cast<int>(Variant(1.0f).type()), 4);
    EXPECT_EQ(static_cast<int>(Variant(1.0).type()), 5);
    EXPECT_EQ(static_cast<int>(Variant(mapi::Currency{}).type()), 6);
    EXPECT_EQ(static_cast<int>(Variant(mapi::Date{}).type()), 7);
    EXPECT_EQ(static_cast<int>(Variant("x").type()), 8);
    EXPECT_EQ(static_cast<int>(Variant(mapi::ErrorValue{5}).type()), 10);
    EXPECT_EQ(static_cast<int>(Variant(true).type()), 11);
    EXPECT_EQ(static_cast<int>(Variant(QByteArray("a")).type()), 65);
}

}  // namespace
