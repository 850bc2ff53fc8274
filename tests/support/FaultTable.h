#pragma once

// Table-driven fault paths: each row runs a script against the main window on
// a scenario's fixture store, with calls of the object model failing as the row
// says, and compares everything the runner logged (window lines left out) with
// the row's blessed output in tests/faults/FEATURE.expected.

#include <gtest/gtest.h>

#include <ostream>

namespace faulttable {

struct Case {
    const char* name;
    const char* fixture;  // the scenario folder whose fixture.json is the store
    // "Class.Member#N=Code" rules separated by ";": the Nth call from the start
    // of the script fails (N "*": every call). Code is a mapi::code name.
    const char* faults;
    const char* script;
};

inline void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// The actual log of `c`: standard output, then "stderr: ..." lines if any.
std::string run(const Case& c);

// The blessed log of row `row` of `feature`'s table; with QUORVANE_BLESS set,
// `actual` is written there first.
std::string expected(const char* feature, const char* row, const std::string& actual);

class Table : public ::testing::TestWithParam<Case> {};

inline std::string rowName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

}  // namespace faulttable

// One table per feature: FAULT_TABLE(Session, kSessionCases).
#define FAULT_TABLE(Feature, cases)                                                 \
    class Feature##Faults : public faulttable::Table {};                            \
    TEST_P(Feature##Faults, LogsExactly) {                                          \
        const std::string actual = faulttable::run(GetParam());                     \
        EXPECT_EQ(actual, faulttable::expected(#Feature, GetParam().name, actual)); \
    }                                                                               \
    INSTANTIATE_TEST_SUITE_P(Rows, Feature##Faults, ::testing::ValuesIn(cases), faulttable::rowName)
