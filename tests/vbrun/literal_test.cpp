// A run-time value placed between quotes in a generated line must come back
// unchanged when that line runs: quotes and line breaks included.

#include <gtest/gtest.h>

#include "RunHelper.h"
#include "codegen/CodeBuilder.h"
#include "codegen/VarNames.h"
#include "support/JsonCases.h"

namespace {

// literal.json: [value, the generated line for `v = "%1"`].
class QuotedValue : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(QuotedValue, IsAValidLiteralOfTheSameValue) {
    codegen::VarNames names;
    const QString value = GetParam().fields[0];
    const QString code = codegen::Code(names).line(u"v = \"%1\"", {value}).text();
    EXPECT_EQ(code.toStdString(), GetParam().field(1) + "\r\n");

    vbrun_test::RecordingHost host;
    const QString out =
        vbrun_test::runText(code + QStringLiteral("Debug.Print v;"), nullptr, &host);
    EXPECT_EQ(out.toStdString(), value.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, QuotedValue,
                         testing::ValuesIn(jsoncases::read(VBRUN_CASES_DIR "/literal.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

TEST(UnquotedValue, IsWrittenAsBefore) {
    codegen::VarNames names;
    EXPECT_EQ(codegen::Code(names)
                  .line(u"x = %1 & \"%2\" & %3",
                        {QStringLiteral("a\"b"), QStringLiteral("c\"d"), QStringLiteral("e\r\nf")})
                  .text()
                  .toStdString(),
              "x = a\"b & \"c\"\"d\" & e\r\nf\r\n");
}

}  // namespace
