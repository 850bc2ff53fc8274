// A run-time value placed between quotes in a generated line must come back
// unchanged when that line runs: quotes and line breaks included.

#include <gtest/gtest.h>

#include "RunHelper.h"
#include "codegen/CodeBuilder.h"
#include "codegen/VarNames.h"

namespace {

struct Case {
    const char* value;
    const char* line;  // the generated line for `v = "%1"`
};

class QuotedValue : public testing::TestWithParam<Case> {};

TEST_P(QuotedValue, IsAValidLiteralOfTheSameValue) {
    codegen::VarNames names;
    const QString value = QString::fromUtf8(GetParam().value);
    const QString code = codegen::Code(names).line(u"v = \"%1\"", {value}).text();
    EXPECT_EQ(code.toStdString(), std::string(GetParam().line) + "\r\n");

    vbrun_test::RecordingHost host;
    const QString out =
        vbrun_test::runText(code + QStringLiteral("Debug.Print v;"), nullptr, &host);
    EXPECT_EQ(out.toStdString(), value.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Mend, QuotedValue,
    testing::Values(Case{"plain", "v = \"plain\""}, Case{"", "v = \"\""},
                    Case{"Quarterly \"figures\"", "v = \"Quarterly \"\"figures\"\"\""},
                    Case{"\"", "v = \"\"\"\""},
                    Case{"Dear all,\r\n  Regards", "v = \"Dear all,\" & vbCrLf & \"  Regards\""},
                    Case{"a\nb\rc", "v = \"a\" & vbLf & \"b\" & vbCr & \"c\""},
                    Case{"end\r\n", "v = \"end\" & vbCrLf & \"\""}));

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
