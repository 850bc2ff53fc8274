// The object model as code reaches it, over the store built from a fixture: the generated
// blocks' own statements, default members, named arguments and the library's
// errors reaching Err.Number.

#include <gtest/gtest.h>

#include "RunHelper.h"
#include "messaging/SessionFactory.h"
#include "support/FaultyMapi.h"
#include "support/StoreTestUtil.h"

namespace {

const char* const kLogon =
    "Set oSession = CreateObject(\"MAPI.Session\")\n"
    "oSession.Logon ProfileName:=\"Default\", ProfilePassword:=\"\", ShowDialog:=False, "
    "NewSession:=True\n";

struct Case {
    const char* name;
    const char* source;  // runs after kLogon (lines numbered from 3)
    const char* expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Binding : public testing::TestWithParam<Case> {
  protected:
    void SetUp() override { storetest::installFixture(); }
};

TEST_P(Binding, RunsAgainstTheStore) {
    const QString source = QString::fromUtf8(kLogon) + QString::fromUtf8(GetParam().source);
    EXPECT_EQ(vbrun_test::runText(source).toStdString(), std::string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Reading, Binding,
    testing::Values(
        Case{"store listing with the default member",
             "Set oStores = oSession.InfoStores\n"
             "For iLooper = 1 To oStores.Count\n"
             "  debug.print oStores.Item(iLooper).ID, oStores(iLooper).Name\n"
             "Next iLooper",
             "A1            Archive\nB1            Mailbox - Ann Lee"},
        Case{"folder walk with GetFirst and GetNext",
             "Set oFolders = oSession.GetInfoStore(\"B1\").RootFolder.Folders\n"
             "Set oFolder = oFolders.GetFirst\n"
             "While Not oFolder Is Nothing\n"
             "  debug.print oFolder.Name\n"
             "  Set oFolder = oFolders.GetNext\n"
             "Wend",
             "Inbox\nSent Items\nOutbox"},
        Case{"message properties and recipients",
             "Set oMsg = oSession.GetMessage(\"A111\", \"A1\")\n"
             "debug.print CStr(oMsg.Importance); oMsg.Sender.Name; CStr(oMsg.TimeReceived); "
             "CStr(oMsg.Unread)\n"
             "Set oRecips = oMsg.Recipients\n"
             "For iLooper = 1 To oRecips.Count\n"
             "  debug.print oRecips.Item(iLooper).Name, oRecips.Item(iLooper).Type\n"
             "Next iLooper\n"
             "debug.print oMsg.Attachments(1).Name",
             "2Bob Stone12/31/1998 11:59:00 PMTrue\nAnn Lee        1 \nCarl Moe       2 \n"
             "Dina Ray       3 \nplan.txt"},
        Case{"an address entry in text is its name",
             "For Each oMsg In oSession.GetFolder(\"B110\", \"B1\").Messages\n"
             "  Debug.Print oMsg.TimeReceived & vbTab & oMsg.Sender & vbTab & oMsg.Subject\n"
             "Next",
             "3/1/1999 9:00:00 AM\tCarl Moe\tLunch on Friday\n3/2/1999 2:30:00 PM\tBob "
             "Stone\tBudget 1999 draft\n3/3/1999\tErin Fox\tMeeting receipt"},
        Case{"message filter set through its members",
             "Set oMsgs = oSession.GetFolder(\"B110\", \"B1\").Messages\n"
             "Set oFilter = oMsgs.Filter\n"
             "oFilter.Subject = \"Lunch\"\n"
             "For Each oMsg In oMsgs\n"
             "  Debug.Print oMsg.Subject\n"
             "Next",
             "Lunch on Friday"},
        Case{"fields by name, by tag and by position",
             "Set oMsg = oSession.GetMessage(\"A111\", \"A1\")\n"
             "Debug.Print oMsg.Fields(\"Keywords\"); oMsg.Fields.Item(\"Keywords\").Value; "
             "TypeName(oMsg.Fields(1))",
             "xxField"},
        Case{"address list by name and its entries",
             "Set oAddressEntries = oSession.AddressLists(\"Personal Address "
             "Book\").AddressEntries\n"
             "For Each oAddressEntry In oAddressEntries\n"
             "  Debug.Print oAddressEntry.Name & vbTab & oAddressEntry.Type\n"
             "Next",
             "Dina Ray\tSMTP\nTeam\tMAPIPDL"},
        Case{"alias look-up with Fields.Add(tag, value)",
             "Set oAddressEntries = oSession.AddressLists.Item(\"Global Address "
             "List\").AddressEntries\n"
             "Set oFilter = oAddressEntries.Filter\n"
             "Set oFilterFields = oFilter.Fields.Add(973078558, \"bobs\")\n"
             "Set oAddressEntry = oAddressEntries.GetFirst\n"
             "Debug.Print oAddressEntry.Name",
             "Bob Stone"}));

INSTANTIATE_TEST_SUITE_P(
    Changing, Binding,
    testing::Values(Case{"a message added in the Outbox through With",
                         "Set oMsg = oSession.Outbox.Messages.Add\n"
                         "With oMsg\n"
                         "  .subject = \"Hi\"\n"
                         "  .Text = \"Body\"\n"
                         "  .importance = 2\n"
                         "  Set oRecip = oMsg.Recipients.Add(Name:=\"Dina Ray\", Type:=2)\n"
                         "  oRecip.Resolve\n"
                         "  .Update\n"
                         "End With\n"
                         "For Each oMsg In oSession.Outbox.Messages\n"
                         "  Debug.Print oMsg.Subject; oMsg.Importance; oMsg.Recipients(1).Address\n"
                         "Next",
                         "Hi 2 dina@example.com"},
                    Case{"delete",
                         "oSession.GetMessage(\"B1A1\", \"B1\").Delete\n"
                         "Debug.Print oSession.GetFolder(\"B110\", \"B1\").Messages.Count",
                         " 2 "},
                    Case{"a new address entry with Fields(tag) = value",
                         "Set oAddressEntries = oSession.AddressLists(\"Personal Address "
                         "Book\").AddressEntries\n"
                         "Set oAddressEntry = oAddressEntries.Add(\"SMTP\", \"Ann Archer\")\n"
                         "oAddressEntry.Address = \"ann.archer@example.com\"\n"
                         "oAddressEntry.Fields(977272843) = False\n"
                         "oAddressEntry.Update\n"
                         "oAddressEntry.Fields(805568542) = \"likes tea\"\n"
                         "oAddressEntry.Update\n"
                         "Debug.Print oAddressEntries.Count; oAddressEntries(3).Fields(805568542)",
                         " 3 likes tea"}));

INSTANTIATE_TEST_SUITE_P(
    Failures, Binding,
    testing::Values(
        Case{"library error trapped",
             "On Error Resume Next\n"
             "Set oMsg = oSession.GetMessage(\"nope\", \"B1\")\n"
             "Debug.Print Err.Number; oMsg Is Nothing\n"
             "Debug.Print Err.Description",
             "-2147221233 True\nThe object could not be found. [MAPI_E_NOT_FOUND(8004010F)]"},
        Case{"library error untrapped names its line",
             "Debug.Print \"before\"\n"
             "Set oMsg = oSession.GetMessage(\"nope\", \"B1\")\n"
             "Debug.Print \"after\"",
             "before\nerror 4 -2147221233: The object could not be found. "
             "[MAPI_E_NOT_FOUND(8004010F)]"},
        Case{"unknown member", "oSession.Send",
             "error 3 438: Object doesn't support this property or method"},
        Case{"unknown property set on a recipient",
             "Set oRecip = oSession.GetMessage(\"A111\", \"A1\").Recipients(1)\n"
             "oRecip.Colour = 2",
             "error 4 438: Object doesn't support this property or method"},
        Case{"member of Nothing", "Set oMsg = Nothing\nDebug.Print oMsg.Subject",
             "error 4 91: Object variable or With block variable not set"},
        Case{"leading dot outside With", ".Update", "error 3 424: Object required"},
        Case{"a message without the property",
             "Set oMsg = oSession.GetMessage(\"A111\", \"A1\")\n"
             "On Error Resume Next\n"
             "Debug.Print oMsg.Fields(\"Broken\").Value\n"
             "Debug.Print Err.Number",
             " 13 "}));

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
