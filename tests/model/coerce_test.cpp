// What a property assignment makes of a value, as both stores convert it: the
// type each kind becomes, and the conversions that fail (Type mismatch,
// Overflow).
#include <gtest/gtest.h>

#include <optional>

#include "messaging/Error.h"
#include "model/Values.h"

namespace {

using mapi::Variant;
using mapi::VarType;

struct Row {
    const char* name;
    VarType to;
    Variant from;
    std::optional<Variant> expected;  // nullopt: fails with `error`
    std::int32_t error = 0;
};

TEST(Coerce, EachKindBecomesTheTypeOrFails) {
    const Row rows[] = {
        {"text to Long", VarType::Long, Variant("12"), Variant(std::int32_t{12})},
        {"Double to Integer rounds to even", VarType::Integer, Variant(2.5), Variant::integer(2)},
        {"Integer overflow", VarType::Integer, Variant(std::int32_t{40000}), std::nullopt,
         mapi::code::Overflow},
        {"Double to Date", VarType::Date, Variant(2.0), Variant(mapi::Date{2.0})},
        {"Long to Date is no date", VarType::Date, Variant(std::int32_t{2}), std::nullopt,
         mapi::code::TypeMismatch},
        {"number to Boolean", VarType::Boolean, Variant(std::int32_t{-1}), Variant(true)},
        {"hex text to Binary", VarType::Binary, Variant("0aff"),
         Variant(QByteArray("\x0a\xff", 2))},
        {"Long to Error", VarType::Error, Variant(std::int32_t{5}), Variant(mapi::ErrorValue{5})},
        {"Integer to Error is no error value", VarType::Error, Variant::integer(5), std::nullopt,
         mapi::code::TypeMismatch},
        {"text to Error is no error value", VarType::Error, Variant("5"), std::nullopt,
         mapi::code::TypeMismatch},
        {"Null stays Null", VarType::Long, Variant::null(), Variant::null()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.expected) {
            EXPECT_EQ(model::coerce(r.to, r.from), *r.expected);
            continue;
        }
        try {
            model::coerce(r.to, r.from);
            ADD_FAILURE() << "no error";
        } catch (const mapi::Error& e) {
            EXPECT_EQ(e.number(), r.error);
        }
    }
}

}  // namespace
