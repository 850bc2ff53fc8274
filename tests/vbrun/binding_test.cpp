// The object model as code reaches it, over the store built from a fixture: the generated
// blocks' own statements, default members, named arguments and the library's
// errors reaching Err.Number.

#include <gtest/gtest.h>

#include "RunHelper.h"
#include "messaging/SessionFactory.h"
#include "support/FaultyMapi.h"
#include "support/JsonCases.h"
#include "support/StoreTestUtil.h"

namespace {

const char* const kLogon =
    "Set oSession = CreateObject(\"MAPI.Session\")\n"
    "oSession.Logon ProfileName:=\"Default\", ProfilePassword:=\"\", ShowDialog:=False, "
    "NewSession:=True\n";

// binding.json: groups of [what, source, output]; each source runs after kLogon
// (so its lines are numbered from 3) on a fresh store.
class Binding : public testing::TestWithParam<jsoncases::Case> {
  protected:
    void SetUp() override { storetest::installFixture(); }
};

TEST_P(Binding, RunsAgainstTheStore) {
    EXPECT_EQ(vbrun_test::runText(QString::fromUtf8(kLogon) + GetParam().fields[1]).toStdString(),
              GetParam().field(2));
}

INSTANTIATE_TEST_SUITE_P(Cases, Binding,
                         testing::ValuesIn(jsoncases::read(VBRUN_CASES_DIR "/binding.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

TEST(BindingSession, PreBoundSessionRunsWithoutLogon) {
    storetest::installFixture();
    faulty::Install wrapped;
    mapi::Ref<mapi::Session> session = storetest::logon();

    vbrun_test::RecordingHost host;
    vbrun::Interpreter in(host);
    in.bind(QStringLiteral("oSession"),
            mapi::Variant(std::static_pointer_cast<mapi::Object>(session.shared())));
    const QString out = vbrun_test::runText(
        QStringLiteral(
            "If oSession Is Nothing Then\n  Set oSession = CreateObject(\"MAPI.Session\")\nEnd If\n"
            "debug.print osession.InfoStores.Count"),
        &in, &host);
    EXPECT_EQ(out.toStdString(), " 2 ");
    EXPECT_EQ(faulty::faults().calls("Session.Logon"), 1);
}

TEST(BindingSession, LogonFailureReachesErr) {
    storetest::installFixture();
    EXPECT_EQ(vbrun_test::runText(
                  QStringLiteral(
                      "Set s = CreateObject(\"MAPI.Session\")\nOn Error Resume Next\n"
                      "s.Logon \"Secret\", \"wrong\", False\nDebug.Print Err.Number = &H80040111"))
                  .toStdString(),
              "True");
}

}  // namespace
