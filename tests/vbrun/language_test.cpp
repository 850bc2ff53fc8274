// The language on its own: each construct as source text and the exact output
// (or error) it must give (language.json: groups of [source, output] pairs). No
// messaging objects are involved here.

#include <gtest/gtest.h>

#include <atomic>

#include "RunHelper.h"
#include "support/JsonCases.h"

namespace {

class Language : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(Language, PrintsExactly) {
    EXPECT_EQ(vbrun_test::runText(GetParam().fields[0]).toStdString(), GetParam().field(1));
}

INSTANTIATE_TEST_SUITE_P(Cases, Language,
                         testing::ValuesIn(jsoncases::read(VBRUN_CASES_DIR "/language.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

// Stop: a runaway loop ends with error 18 at the next statement after the
// flag is raised, and On Error Resume Next does not swallow it.
struct StoppingHost : vbrun_test::RecordingHost {
    std::atomic<bool>* flag = nullptr;
    void print(const QString& line) override {
        RecordingHost::print(line);
        if (lines.size() == 3) flag->store(true);
    }
};

TEST(Stop, EndsARunawayLoopWithError18) {
    std::atomic<bool> flag{false};
    StoppingHost host;
    host.flag = &flag;
    vbrun::Interpreter in(host);
    in.setCancelFlag(&flag);
    const QString out = vbrun_test::runText(
        QStringLiteral("On Error Resume Next\ni = 0\nDo\n  i = i + 1\n  Debug.Print i\nLoop"), &in,
        &host);
    EXPECT_EQ(out.toStdString(), " 1 \n 2 \n 3 \nerror 5 18: User interrupt occurred");
}

}  // namespace
