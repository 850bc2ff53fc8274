// The read path: stores, folders and messages through every collection
// protocol, message properties, recipients, attachments and fields.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <ctime>

#include "support/StoreTestUtil.h"

using namespace storetest;
using mapi::Ref;
using mapi::Variant;
using mapi::code::NotFound;

namespace {

class Read : public ::testing::Test {
  protected:
    void SetUp() override {
        installFixture();
        s = logon();
    }
    Ref<mapi::Message> msg(const char* id) { return s->GetMessage(QLatin1String(id), QString()); }
    Ref<mapi::Session> s;
};

TEST_F(Read, StoresFoldersAndWalksInStoredOrder) {
    auto stores = s->InfoStoresOf();
    ASSERT_EQ(stores->Count(), 2);
    EXPECT_EQ(stores->Item(1)->ID(), QStringLiteral("A1"));
    EXPECT_EQ(stores->ItemByName(QStringLiteral("Mailbox - Ann Lee"))->ID(), QStringLiteral("B1"));
    EXPECT_EQ(errorOf([&] { stores->Item(3); }), NotFound);
    EXPECT_EQ(errorOf([&] { stores->Item(0); }), NotFound);
    EXPECT_EQ(errorOf([&] { stores->ItemByName(QStringLiteral("Nope")); }), NotFound);

    auto root = s->GetInfoStore(QStringLiteral("b1"))->RootFolder();
    EXPECT_EQ(root->Name(), QString());  // root without a name: plain default
    auto folders = root->FoldersOf();
    QStringList walked;
    EXPECT_TRUE(folders->GetNext().isNothing());  // before GetFirst
    for (auto f = folders->GetFirst(); f; f = folders->GetNext())
        walked << f->Name() + "=" + f->ID();
    EXPECT_EQ(walked, (QStringList{"Inbox=B110", "Sent Items=B120", "Outbox=B130"}));
    EXPECT_TRUE(folders->GetNext().isNothing());  // stays at the end

    QStringList each;
    for (Ref<mapi::Folder> f : *folders) each << f->Name();
    EXPECT_EQ(each, (QStringList{"Inbox", "Sent Items", "Outbox"}));
    EXPECT_EQ(folders->Count(), 3);
    EXPECT_EQ(folders->Item(2)->ID(), QStringLiteral("B120"));
}

TEST_F(Read, GetFolderAndGetMessageCheckTheStore) {
    EXPECT_EQ(s->GetFolder(QStringLiteral("B111"), QStringLiteral("B1"))->Name(),
              QStringLiteral("Projects"));
    EXPECT_EQ(errorOf([&] { s->GetFolder(QStringLiteral("B111"), QStringLiteral("A1")); }),
              NotFound);
    EXPECT_EQ(errorOf([&] { s->GetFolder(QStringLiteral("FFFF"), QStringLiteral("B1")); }),
              NotFound);
    EXPECT_EQ(s->GetMessage(QStringLiteral("B1A2"), QStringLiteral("B1"))->Subject(),
              QStringLiteral("Budget 1999 draft"));
    EXPECT_EQ(errorOf([&] { s->GetMessage(QStringLiteral("B1A2"), QStringLiteral("A1")); }),
              NotFound);
    EXPECT_EQ(errorOf([&] { s->GetInfoStore(QStringLiteral("C1")); }), NotFound);

    // A profile sees only its own stores.
    auto bare = logon(QStringLiteral("Bare"));
    EXPECT_EQ(errorOf([&] { bare->GetMessage(QStringLiteral("B1A2"), QString()); }), NotFound);
}

TEST_F(Read, MessagesByCountItemGetFirstAndForEach) {
    auto msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    ASSERT_EQ(msgs->Count(), 3);
    EXPECT_EQ(msgs->Item(1)->ID(), QStringLiteral("B1A1"));
    EXPECT_EQ(msgs->Item(3)->Subject(), QStringLiteral("Meeting receipt"));
    EXPECT_EQ(errorOf([&] { msgs->Item(4); }), NotFound);
    QStringList walked;
    for (auto m = msgs->GetFirst(); m; m = msgs->GetNext()) walked << m->ID();
    EXPECT_EQ(walked, (QStringList{"B1A1", "B1A2", "B1A3"}));
    QStringList each;
    for (Ref<mapi::Message> m : *msgs) each << m->ID();
    EXPECT_EQ(each, walked);
    EXPECT_TRUE(
        s->GetFolder(QStringLiteral("B120"), QString())->MessagesOf()->GetFirst().isNothing());
}

TEST_F(Read, AWalkSkipsAMessageDeletedBeforeItsBatchWasRead) {
    auto msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    auto walk = msgs->enumerate();  // the row list is taken now, the messages on first use
    msg("B1A2")->Delete();
    QStringList seen;
    for (auto m = walk->next(); m; m = walk->next()) seen << m->ID();
    EXPECT_EQ(seen, (QStringList{"B1A1", "B1A3"}));
    // A filtered walk reads only the matching rows, whatever lies between them.
    auto filtered = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    filtered->FilterOf()->Set(QStringLiteral("Importance"), std::int32_t{0});
    QStringList matched;
    for (auto m = filtered->GetFirst(); m; m = filtered->GetNext()) matched << m->ID();
    EXPECT_EQ(matched, (QStringList{"B1A3"}));
}

// A walk reads only what a listing shows; the rest of a message is read on
// first use. Once its row is gone that read fails as the body read always did,
// while a message deleted through itself keeps what it held.
TEST_F(Read, AWalkedMessageReadAfterItsRowWasDeleted) {
    auto msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    auto first = msgs->GetFirst();
    auto second = msgs->GetNext();
    ASSERT_EQ(first->ID(), QStringLiteral("B1A1"));
    msg("B1A1")->Delete();
    EXPECT_EQ(first->Subject(), QStringLiteral("Lunch on Friday"));  // listed with it
    const std::function<void(const Ref<mapi::Message>&)> reads[] = {
        [](const auto& m) { m->Text(); },       [](const auto& m) { m->TimeReceived(); },
        [](const auto& m) { m->Importance(); }, [](const auto& m) { m->Sender(); },
        [](const auto& m) { m->Type(); },       [](const auto& m) { m->FieldsOf(); },
        [](const auto& m) { m->Update(); },
    };
    for (const auto& read : reads) EXPECT_EQ(errorOf([&] { read(first); }), NotFound);
    // The same message read eagerly by ID, deleted behind it: the body fails alike.
    auto eager = msg("B1A3");
    msg("B1A3")->Delete();
    EXPECT_EQ(errorOf([&] { eager->Text(); }), NotFound);
    // Deleted through itself: its properties still answer.
    second->Delete();
    EXPECT_EQ(second->TimeReceived().toText(), QStringLiteral("3/2/1999 2:30:00 PM"));
    EXPECT_EQ(second->Sender()->Name(), QStringLiteral("Bob Stone"));
    EXPECT_EQ(errorOf([&] { second->Delete(); }), NotFound);
}

// Messages added over several sessions are listed in the order they were
// stored, by every walk, with the IDs and subjects they were stored with.
TEST_F(Read, MessagesAddedInSeveralSessionsKeepTheStoredOrder) {
    QStringList added;
    for (int session = 0; session < 3; ++session) {
        Ref<mapi::Session> ses = logon();
        auto msgs = ses->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
        for (int i = 0; i < 2; ++i) {
            auto m = msgs->Add();
            m->SetSubject(QStringLiteral("session %1 message %2").arg(session).arg(i));
            m->Update();
            added << m->ID();
        }
        ses->Logoff();
    }
    s->GetMessage(added[2], QString())->Delete();
    added.removeAt(2);
    const QStringList expected = QStringList{"B1A1", "B1A2", "B1A3"} + added;
    auto msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    QStringList walked, forEach, byItem, subjects;
    for (auto m = msgs->GetFirst(); m; m = msgs->GetNext()) {
        walked << m->ID();
        subjects << m->Subject();
    }
    for (const Ref<mapi::Message>& m : *msgs) forEach << m->ID();
    for (std::int32_t i = 1; i <= msgs->Count(); ++i) byItem << msgs->Item(i)->ID();
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(forEach, expected);
    EXPECT_EQ(byItem, expected);
    EXPECT_EQ(subjects.mid(3),
              (QStringList{"session 0 message 0", "session 0 message 1", "session 1 message 1",
                           "session 2 message 0", "session 2 message 1"}));
}

TEST_F(Read, MessagePropertiesAndTheirTextForms) {
    auto m = msg("A111");
    EXPECT_EQ(m->Subject(), QStringLiteral("Budget 1998"));
    EXPECT_EQ(m->Text(), QStringLiteral("Numbers attached"));
    EXPECT_EQ(m->Importance(), Variant(std::int32_t{2}));
    EXPECT_EQ(m->Sender()->Name(), QStringLiteral("Bob Stone"));
    EXPECT_EQ(m->Sender()->Address(), QStringLiteral("bob@example.com"));
    EXPECT_EQ(m->Size().toText(), QStringLiteral("2048"));
    EXPECT_EQ(m->TimeReceived().toText(), QStringLiteral("12/31/1998 11:59:00 PM"));
    EXPECT_EQ(m->TimeSent().toText(), QStringLiteral("12/31/1998 11:50:00 PM"));
    EXPECT_EQ(m->Type(), QStringLiteral("IPM.Note"));
    EXPECT_EQ(m->Unread().toText(), QStringLiteral("True"));
    EXPECT_EQ(m->Sent(), Variant(true));
    EXPECT_EQ(m->ConversationIndex(), QStringLiteral("01BE0A"));
    EXPECT_EQ(m->ConversationTopic(), QStringLiteral("Budget"));
}

TEST_F(Read, NullStoredPropertiesAreNotFound) {
    auto m = msg("A112");
    EXPECT_EQ(errorOf([&] { m->Subject(); }), NotFound);
    EXPECT_EQ(errorOf([&] { m->Sender(); }), NotFound);
    EXPECT_EQ(m->Text(), QStringLiteral("no subject here"));
    // Omitted keys are plain defaults, not missing.
    EXPECT_EQ(m->Importance(), Variant(std::int32_t{0}));
    EXPECT_EQ(m->Type(), QString());
    EXPECT_EQ(m->RecipientsOf()->Count(), 0);
    EXPECT_EQ(m->AttachmentsOf()->Count(), 0);
}

TEST_F(Read, RecipientsAndAttachments) {
    auto m = msg("A111");
    auto r = m->RecipientsOf();
    ASSERT_EQ(r->Count(), 3);
    EXPECT_EQ(r->Item(1)->Name(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(r->Item(2)->Type(), 2);
    EXPECT_EQ(r->Item(3)->Type(), 3);
    EXPECT_EQ(r->Item(3)->Address(), QStringLiteral("dina@example.com"));
    EXPECT_EQ(r->Item(3)->DisplayType(), 6);
    EXPECT_EQ(r->Item(1)->DisplayType(), 0);

    auto a = m->AttachmentsOf();
    ASSERT_EQ(a->Count(), 2);
    EXPECT_EQ(a->Item(1)->Name(), QStringLiteral("plan.txt"));
    EXPECT_EQ(a->Item(1)->Type(), 1);
    EXPECT_EQ(a->Item(2)->Position(), 1);
    QTemporaryDir dir;
    a->Item(2)->WriteToFile(dir.filePath("b.bin"));
    QFile f(dir.filePath("b.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray::fromHex("000102FF"));
}

TEST_F(Read, MessageFieldsStandardAscendingThenCustomInStoredOrder) {
    auto fields = msg("A111")->FieldsOf();
    std::vector<std::pair<std::uint32_t, int>> seen;
    QStringList names;
    for (int i = 1; i <= fields->Count(); ++i) {
        auto f = fields->Item(i);
        seen.emplace_back(static_cast<std::uint32_t>(f->ID()), f->Type().asLong());
        names << f->Name();
    }
    const std::vector<std::pair<std::uint32_t, int>> expected = {
        {0x00170003, 3},  {0x001A001E, 8}, {0x0037001E, 8}, {0x00390040, 7}, {0x0070001E, 8},
        {0x00710102, 65}, {0x0C1A001E, 8}, {0x0E060040, 7}, {0x0E070003, 3}, {0x0E080003, 3},
        {0x1000001E, 8},  {4096, 3}};  // then the custom ones in stored order
    ASSERT_GE(seen.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(seen[i].first, expected[i].first) << i;
    for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(seen[i].second, expected[i].second) << i;
    EXPECT_EQ(names.mid(11), (QStringList{"", "Keywords", "Score", "Reviewed", "Due", "Budget",
                                          "Broken", "Missing"}));
    for (int i = 0; i < 11; ++i) EXPECT_TRUE(names[i].isEmpty());
    // Named properties carry the top bit.
    EXPECT_LT(fields->Item(13)->ID(), 0);

    EXPECT_EQ(fields->Item(12)->Value(), Variant(std::int32_t{1024}));
    EXPECT_EQ(fields->Item(13)->Value().toText(), QStringLiteral("x"));
    EXPECT_EQ(fields->Item(14)->Value().toText(), QStringLiteral("2.5"));
    EXPECT_EQ(fields->Item(15)->Value().toText(), QStringLiteral("True"));
    EXPECT_EQ(fields->Item(16)->Value().toText(), QStringLiteral("3/1/1999 10:15:00 AM"));
    EXPECT_EQ(fields->Item(17)->Value().toText(), QStringLiteral("12.5"));
    EXPECT_EQ(fields->Item(17)->Type(), Variant(std::int32_t{6}));
    // An Error field holds its code; as text it is a type mismatch.
    EXPECT_EQ(fields->Item(18)->Value(), Variant(mapi::ErrorValue{mapi::code::NotFound}));
    EXPECT_EQ(errorOf([&] { fields->Item(18)->Value().toText(); }), mapi::code::TypeMismatch);
    // A field stored as null is listed but cannot be read.
    EXPECT_EQ(errorOf([&] { fields->Item(19)->Value(); }), NotFound);
    EXPECT_EQ(fields->Count(), 19);

    // Message flags: read bit clear (unread), has-attachments set.
    EXPECT_EQ(fields->ItemByTag(0x0E070003)->Value(), Variant(std::int32_t{0x10}));
    EXPECT_EQ(fields->ItemByTag(0x0037001E)->Value().toText(), QStringLiteral("Budget 1998"));
    EXPECT_EQ(fields->ItemByName(QStringLiteral("keywords"))->Value().toText(),
              QStringLiteral("x"));
    EXPECT_EQ(errorOf([&] { fields->ItemByTag(0x12340003); }), NotFound);
    EXPECT_EQ(errorOf([&] { fields->ItemByName(QStringLiteral("Nope")); }), NotFound);
}

TEST_F(Read, FieldsLeaveOutNullStandardProperties) {
    auto fields = msg("A112")->FieldsOf();
    for (int i = 1; i <= fields->Count(); ++i) {
        EXPECT_NE(static_cast<std::uint32_t>(fields->Item(i)->ID()), 0x0037001Eu);
        EXPECT_NE(static_cast<std::uint32_t>(fields->Item(i)->ID()), 0x0C1A001Eu);
    }
    EXPECT_EQ(fields->Count(), 9);
}

TEST_F(Read, AddressListsEntriesAndTheirFields) {
    auto lists = s->AddressListsOf();
    ASSERT_EQ(lists->Count(), 3);
    EXPECT_EQ(lists->Item(2)->Name(), QStringLiteral("Personal Address Book"));
    EXPECT_EQ(s->AddressListByName(QStringLiteral("Contacts"))->Name(), QStringLiteral("Contacts"));
    EXPECT_EQ(errorOf([&] { s->AddressListByName(QStringLiteral("Nope")); }), NotFound);

    auto gal = lists->ItemByName(QStringLiteral("Global Address List"))->AddressEntriesOf();
    ASSERT_EQ(gal->Count(), 4);
    auto bob = gal->Item(2);
    EXPECT_EQ(bob->ID(), QStringLiteral("E2"));
    EXPECT_EQ(bob->Type(), QStringLiteral("SMTP"));
    auto f = bob->FieldsOf();
    QStringList ids;
    for (int i = 1; i <= f->Count(); ++i)
        ids << QString::number(static_cast<std::uint32_t>(f->Item(i)->ID()), 16);
    EXPECT_EQ(ids, (QStringList{"3001001e", "3002001e", "3003001e", "3004001e", "39000003",
                                "3a00001e", "3a40000b", "8000001e"}));
    EXPECT_EQ(f->ItemByTag(973078558)->Value().toText(), QStringLiteral("bobs"));
    EXPECT_EQ(f->ItemByTag(805568542)->Value().toText(), QStringLiteral("Finance"));
    EXPECT_EQ(f->Item(8)->Name(), QStringLiteral("Office"));

    // A distribution list's members; entries of a list exclude members.
    auto pab = lists->Item(2)->AddressEntriesOf();
    EXPECT_EQ(pab->Count(), 2);
    auto team = pab->Item(2);
    QStringList members;
    auto m = team->Members();
    for (auto e = m->GetFirst(); e; e = m->GetNext()) members << e->Name();
    EXPECT_EQ(members, (QStringList{"Ann Lee", "Bob Stone"}));
    EXPECT_EQ(errorOf([&] { pab->Item(1)->Members(); }), mapi::code::NoSupport);
}

}  // namespace

namespace {

// Stored times come back with the text they had, whatever the zone does on
// their day: read through a folder walk, by ID and as filter bounds.
TEST(ReadTimes, OnADaylightSavingChangeAndInOtherYears) {
    struct Zone {
        const bool had = qEnvironmentVariableIsSet("TZ");
        const QByteArray old = qgetenv("TZ");
        Zone() {
            qputenv("TZ", "Europe/Berlin");
            tzset();
        }
        ~Zone() {
            if (had)
                qputenv("TZ", old);
            else
                qunsetenv("TZ");
            tzset();
        }
    } zone;
    const char* const fixture = R"JSON({
      "stores": [{"id": "0D1", "name": "Times", "folders": [{"id": "0D10", "name": "Inbox",
        "messages": [
          {"id": "0DA1", "subject": "before the gap", "timeReceived": "2024-03-31T01:59:59",
           "timeSent": "2024-03-30T23:00:00"},
          {"id": "0DA2", "subject": "after the gap", "timeReceived": "2024-03-31T03:00:00",
           "timeSent": "2024-03-31T01:00:00"},
          {"id": "0DA3", "subject": "repeated hour", "timeReceived": "2024-10-27T02:30:00",
           "timeSent": "2024-10-27T02:59:59"},
          {"id": "0DA4", "subject": "summer of 1998", "timeReceived": "1998-07-04T21:15:00",
           "timeSent": "1998-07-04T21:14:00"},
          {"id": "0DA5", "subject": "before 1970", "timeReceived": "1969-12-31T23:30:00",
           "timeSent": "1969-12-31T23:29:00"}
        ]}]}]})JSON";
    QTemporaryDir dir;
    store::installFixtureBackend(writeFile(dir, QStringLiteral("times.json"), fixture));
    Ref<mapi::Session> s = logon();
    const QStringList received{"3/31/2024 1:59:59 AM", "3/31/2024 3:00:00 AM",
                               "10/27/2024 2:30:00 AM", "7/4/1998 9:15:00 PM",
                               "12/31/1969 11:30:00 PM"};
    const QStringList sent{"3/30/2024 11:00:00 PM", "3/31/2024 1:00:00 AM", "10/27/2024 2:59:59 AM",
                           "7/4/1998 9:14:00 PM", "12/31/1969 11:29:00 PM"};
    auto msgs = s->GetFolder(QStringLiteral("0D10"), QString())->MessagesOf();
    QStringList walkedReceived, walkedSent, byIdReceived;
    for (auto m = msgs->GetFirst(); m; m = msgs->GetNext()) {
        walkedReceived << m->TimeReceived().toText();
        walkedSent << m->TimeSent().toText();
        byIdReceived << s->GetMessage(m->ID(), QString())->TimeReceived().toText();
    }
    EXPECT_EQ(walkedReceived, received);
    EXPECT_EQ(walkedSent, sent);
    EXPECT_EQ(byIdReceived, received);
    // The change day as filter bounds: both messages of that day, nothing else.
    auto day = s->GetFolder(QStringLiteral("0D10"), QString())->MessagesOf();
    day->FilterOf()->Set(QStringLiteral("TimeFirst"), QStringLiteral("3/31/2024"));
    day->FilterOf()->Set(QStringLiteral("TimeLast"), QStringLiteral("3/31/2024"));
    QStringList onTheDay;
    for (auto m = day->GetFirst(); m; m = day->GetNext()) onTheDay << m->Subject();
    EXPECT_EQ(onTheDay, (QStringList{"before the gap", "after the gap"}));
    s->Logoff();
}

}  // namespace
