// The in-memory back-end that other tests build on: logon forms, collection
// protocols, filters, writes and failure injection.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "messaging/Error.h"
#include "messaging/SessionFactory.h"
#include "support/FakeMapi.h"

using namespace mapi;

namespace {

std::int32_t errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

Ref<Session> logon(const std::shared_ptr<fake::World>& w) {
    auto s = fake::newSession(w);
    LogonArgs a;
    a.profileName = "Default";
    a.profilePassword = "secret";
    s->Logon(a);
    return s;
}

QStringList subjects(const Ref<Messages>& messages) {
    QStringList out;
    for (auto m = messages->GetFirst(); m; m = messages->GetNext()) out << m->Subject();
    return out;
}

}  // namespace

TEST(FakeMapi, LogonFormsAndTheirFailures) {
    auto w = fake::demoWorld();
    fake::install(w);
    auto s = createSession();
    EXPECT_EQ(errorOf([&] { s->InfoStoresOf(); }), code::NotInitialized);
    EXPECT_EQ(errorOf([&] { s->Logoff(); }), code::NotInitialized);

    LogonArgs wrong;
    wrong.profileName = "default";
    wrong.profilePassword = "nope";
    EXPECT_EQ(errorOf([&] { s->Logon(wrong); }), code::LogonFailed);
    LogonArgs unknown;
    unknown.profileName = "Elsewhere";
    EXPECT_EQ(errorOf([&] { s->Logon(unknown); }), code::LogonFailed);

    LogonArgs dynamic;
    dynamic.profileInfo = "MAIL01\nJSmith";
    s->Logon(dynamic);
    EXPECT_EQ(s->InfoStoresOf()->Count(), 2);
    s->Logoff();

    LogonArgs noMatch;
    noMatch.profileInfo = "mail02\njsmith";
    EXPECT_EQ(errorOf([&] { s->Logon(noMatch); }), code::LogonFailed);

    QString offered;
    w->profileDialog = [&](const QStringList& names, const QString& pre) {
        offered = names.join(",") + "/" + pre;
        mapi::raise(code::UserCancel);
        return QString();
    };
    LogonArgs dialog;
    dialog.showDialog = true;
    EXPECT_EQ(errorOf([&] { s->Logon(dialog); }), code::UserCancel);
    EXPECT_EQ(offered, "Default/Default");

    s->Logon(LogonArgs{});  // neither a name nor the dialog: the default profile
    auto shared = createSession();
    LogonArgs share;
    share.newSession = false;
    share.profileName = "Elsewhere";  // ignored: the logged-on profile is shared
    shared->Logon(share);
    EXPECT_EQ(shared->InfoStoresOf()->Item(1)->Name(), "Mailbox - John Smith");
}

TEST(FakeMapi, CollectionsWalkInStoredOrderAndEndEmpty) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    auto root = s->GetInfoStore("S1")->RootFolder();
    auto folders = root->FoldersOf();
    EXPECT_TRUE(folders->GetNext().isNothing());  // before GetFirst
    QStringList names;
    for (auto f = folders->GetFirst(); f; f = folders->GetNext()) names << f->Name();
    EXPECT_EQ(names, QStringList({"Inbox", "Outbox", "Projects"}));
    EXPECT_TRUE(folders->GetNext().isNothing());
    EXPECT_EQ(errorOf([&] { folders->Item(4); }), code::NotFound);
    EXPECT_EQ(s->GetFolder("F4", "S1")->MessagesOf()->Item(1)->Subject(), "Old plans");
    EXPECT_EQ(errorOf([&] { s->GetFolder("F4", "S2"); }), code::NotFound);
    EXPECT_EQ(s->InfoStoresOf()->ItemByName("public folders")->ID(), "S2");
    QStringList lists;
    auto all = s->AddressListsOf();  // held: the loop must not outlive the collection
    for (const Ref<AddressList>& l : *all) lists << l->Name();
    EXPECT_EQ(lists, QStringList({"Global Address List", "Personal Address Book", "Contacts"}));
}

TEST(FakeMapi, MessageFieldsStandardThenCustomAndMissingProperties) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    auto msg = s->GetMessage("M1", "S1");
    QStringList tags;
    auto fields = msg->FieldsOf();
    for (const Ref<Field>& f : *fields)
        tags << QStringLiteral("%1:%2:%3").arg(f->ID()).arg(f->Name()).arg(f->Type().toText());
    EXPECT_EQ(tags.mid(0, 3), QStringList({"1507331::3", "1703966::8", "3604510::8"}));
    EXPECT_EQ(tags.size(), 11 + 7);
    EXPECT_EQ(tags.last(), QStringLiteral("%1:Broken:10").arg(std::int32_t(0x8007000A)));
    EXPECT_EQ(errorOf([&] { msg->FieldsOf()->ItemByName("Broken")->Value().toText(); }),
              code::TypeMismatch);

    w->messageById("M1")->missing.insert("Subject");
    EXPECT_EQ(errorOf([&] { msg->Subject(); }), code::NotFound);
    EXPECT_EQ(msg->FieldsOf()->Count(), 17);
}

TEST(FakeMapi, MessageFilterMembersNotOrAndBadDates) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    auto inbox = s->GetFolder("F1", "S1");

    auto messages = inbox->MessagesOf();
    messages->FilterOf()->Set("subject", "REPORT");
    EXPECT_EQ(subjects(messages), QStringList({"Quarterly report"}));

    messages = inbox->MessagesOf();
    messages->FilterOf()->Set("Recipients", "bob@");
    messages->FilterOf()->Set("Importance", "2");
    EXPECT_EQ(subjects(messages), QStringList({"Quarterly report"}));

    messages = inbox->MessagesOf();
    auto filter = messages->FilterOf();
    filter->FieldsOf()->Add("Project", 8, "falcon");
    filter->SetNot(true);
    EXPECT_EQ(subjects(messages), QStringList({"Lunch?"}));

    messages = inbox->MessagesOf();
    filter = messages->FilterOf();
    filter->FieldsOf()->Add("Project", 8, "nothing");
    filter->FieldsOf()->Add(std::int32_t(0x0E080003), 3, "512");
    filter->SetOr(true);
    EXPECT_EQ(subjects(messages), QStringList({"Lunch?"}));

    messages = inbox->MessagesOf();
    messages->FilterOf()->Set("TimeFirst", "3/2/1999");
    EXPECT_EQ(subjects(messages), QStringList({"Lunch?"}));
    messages = inbox->MessagesOf();
    messages->FilterOf()->Set("TimeLast", "not a date");
    EXPECT_EQ(errorOf([&] { messages->GetFirst(); }), code::InvalidParameter);
    EXPECT_EQ(errorOf([&] { messages->FilterOf()->Set("Colour", "red"); }), code::NoSupport);
}

TEST(FakeMapi, AddressFilterMatchesTheAliasExactly) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    auto entries = s->AddressListByName("Global Address List")->AddressEntriesOf();
    entries->FilterOf()->FieldsOf()->Add(std::int32_t(973078558), "BBAKER");
    auto first = entries->GetFirst();
    ASSERT_FALSE(first.isNothing());
    EXPECT_EQ(first->Name(), "Bob Baker");
    EXPECT_TRUE(entries->GetNext().isNothing());

    entries = s->AddressListByName("Global Address List")->AddressEntriesOf();
    entries->FilterOf()->FieldsOf()->Add(std::int32_t(973078558), "bbak");
    EXPECT_TRUE(entries->GetFirst().isNothing());
}

TEST(FakeMapi, WritesLandInTheDataAndFailAsTheLibraryDoes) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    auto outbox = s->Outbox();
    EXPECT_EQ(outbox->ID(), "F2");
    auto msg = outbox->MessagesOf()->Add();
    msg->SetSubject("Hello");
    auto r = msg->RecipientsOf()->Add("bbaker", 1);
    r->Resolve();
    EXPECT_EQ(r->Address(), "bob@example.com");
    EXPECT_EQ(errorOf([&] { msg->RecipientsOf()->Add("nobody", 2)->Resolve(); }), code::NotFound);
    auto twin = std::make_shared<fake::EntryData>();
    twin->name = "Bob Baker";
    twin->address = "other@example.com";
    w->listByName("Personal Address Book")->entries.push_back(twin);
    EXPECT_EQ(errorOf([&] { msg->RecipientsOf()->Add("Bob Baker", 2)->Resolve(); }),
              code::AmbiguousRecip);
    EXPECT_EQ(w->folderById("F2")->messages.size(), 0u);
    msg->Update();
    ASSERT_EQ(w->folderById("F2")->messages.size(), 1u);
    EXPECT_EQ(w->folderById("F2")->messages[0]->subject, "Hello");

    auto m2 = s->GetMessage("M2", "S1");
    m2->Delete();
    EXPECT_EQ(errorOf([&] { m2->Delete(); }), code::NotFound);
    EXPECT_EQ(w->folderById("F1")->messages.size(), 1u);

    QTemporaryDir dir;
    auto att = s->GetMessage("M1", "S1")->AttachmentsOf()->Item(1);
    att->WriteToFile(dir.filePath("out.txt"));
    QFile out(dir.filePath("out.txt"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("Q1 42\r\nQ2 47\r\n"));
    EXPECT_EQ(errorOf([&] { att->WriteToFile(dir.filePath("no/such/dir/x")); }), code::NoAccess);
    EXPECT_EQ(errorOf([&] { msg->AttachmentsOf()->Add()->ReadFromFile(dir.filePath("none")); }),
              code::NotFound);

    auto contacts = s->AddressListByName("Contacts")->AddressEntriesOf();
    EXPECT_EQ(errorOf([&] { contacts->Add("SMTP", "Zed")->Update(); }), code::NoAccess);
    EXPECT_TRUE(w->listByName("Contacts")->entries.empty());

    auto pab = s->AddressListByName("Personal Address Book")->AddressEntriesOf();
    auto zed = pab->Add("SMTP", "Zed");
    zed->SetAddress("zed@example.com");
    zed->FieldsOf()->Add(std::int32_t(973078558), "zed");
    EXPECT_EQ(pab->Count(), 3);  // not there before Update
    zed->Update();
    EXPECT_EQ(pab->Count(), 4);
    EXPECT_EQ(w->listByName("Personal Address Book")->entries.back()->alias, "zed");

    auto team = pab->Item(2);
    team->Members()->Add("SMTP", "Yan");
    EXPECT_EQ(team->Members()->Count(), 2);
    team->Update();
    EXPECT_EQ(team->Members()->Count(), 3);
}

TEST(FakeMapi, FaultsFailTheChosenCallAndCountEveryCall) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    auto messages = s->GetFolder("F1", "S1")->MessagesOf();
    w->faults.failOn("Messages.GetNext", 2, code::DiskError);
    auto m = messages->GetFirst();
    EXPECT_FALSE(messages->GetNext().isNothing());
    try {
        messages->GetNext();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), code::DiskError);
        EXPECT_EQ(e.description(),
                  "The message store could not be read or written. [MAPI_E_DISK_ERROR(80040116)]");
    }
    EXPECT_TRUE(messages->GetNext().isNothing());  // only the second call failed
    EXPECT_EQ(w->faults.calls("Messages.GetNext"), 3);

    w->faults.failOn("Message.*", 1, 13, -1);
    EXPECT_EQ(errorOf([&] { m->Subject(); }), 13);
    EXPECT_EQ(errorOf([&] { m->Text(); }), 13);
    w->faults.clearRules();
    EXPECT_EQ(m->Subject(), "Quarterly report");
    EXPECT_EQ(w->faults.log().mid(w->faults.log().size() - 3),
              QStringList({"Message.Subject", "Message.Text", "Message.Subject"}));
}

TEST(FakeMapi, AddressBookAnswerBecomesANewRecipientsCollection) {
    auto w = fake::demoWorld();
    auto s = logon(w);
    std::optional<QString> title;
    w->addressBook = [&](Session&, const AddressBookArgs& a) {
        title = a.title;
        return std::vector<store::ChosenRecipient>{
            {"Cy Cole", "cy@example.com", "SMTP", 3, 0, "E3"},
            {"Ann Archer", "ann@example.com", "SMTP", 1, 0, "E1"}};
    };
    AddressBookArgs args;
    args.title = "My Title";
    auto chosen = s->AddressBook(args);
    EXPECT_EQ(title, std::optional<QString>("My Title"));
    ASSERT_EQ(chosen->Count(), 2);
    EXPECT_EQ(chosen->Item(1)->Name(), "Cy Cole");
    EXPECT_EQ(chosen->Item(1)->Type(), 3);
    EXPECT_EQ(chosen->Item(2)->Address(), "ann@example.com");
}
