#pragma once

// Table-driven fault paths: each row runs a script against the main window on
// a scenario's fixture store, with calls of the object model failing as the row
// says, and compares everything the runner logged (window lines left out).

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
    const char* expected;  // standard output, then "stderr: ..." lines if any
};

inline void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// The actual log of `c`, in the form of Case::expected.
std::string run(const Case& c);

class Table : public ::testing::TestWithParam<Case> {};

inline std::string rowName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

}  // namespace faulttable

// One table per feature: FAULT_TABLE(Session, kSessionCases).
#define FAULT_TABLE(Feature, cases)                                               \
    class Feature##Faults : public faulttable::Table {};                          \
    TEST_P(Feature##Faults, LogsExactly) {                                        \
        EXPECT_EQ(faulttable::run(GetParam()), std::string(GetParam().expected)); \
    }                                                                             \
    INSTANTIATE_TEST_SUITE_P(Rows, Feature##Faults, ::testing::ValuesIn(cases), faulttable::rowName)
