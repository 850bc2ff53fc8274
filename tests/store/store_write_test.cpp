// Writes: delete, the Outbox and new messages with recipients and attachments,
// attachments to and from files, address-book entries and distribution lists,
// read-only lists, the two library dialogs, and durability across a reopen.

#include <gtest/gtest.h>

#include <optional>

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "store/Database.h"
#include "store/StoreBackend.h"
#include "support/StoreTestUtil.h"

using namespace storetest;
using mapi::Ref;
using mapi::Variant;
using mapi::code::AmbiguousRecip;
using mapi::code::NoAccess;
using mapi::code::NotFound;

namespace {

class Write : public ::testing::Test {
  protected:
    void SetUp() override {
        installFixture();
        s = logon();
    }
    int count(const char* folder) {
        return s->GetFolder(QLatin1String(folder), QString())->MessagesOf()->Count();
    }
    Ref<mapi::AddressEntries> pab() {
        return s->AddressListByName(QStringLiteral("Personal Address Book"))->AddressEntriesOf();
    }
    Ref<mapi::Session> s;
};

TEST_F(Write, DeleteRemovesForGoodAndTwiceIsNotFound) {
    auto m = s->GetMessage(QStringLiteral("B1A2"), QStringLiteral("B1"));
    m->Delete();
    EXPECT_EQ(count("B110"), 2);
    EXPECT_EQ(errorOf([&] { m->Delete(); }), NotFound);
    EXPECT_EQ(errorOf([&] { s->GetMessage(QStringLiteral("B1A2"), QStringLiteral("B1")); }),
              NotFound);
    // Another object for the same message, fetched before the delete.
    auto again = s->GetMessage(QStringLiteral("B1A1"), QString());
    s->GetMessage(QStringLiteral("B1A1"), QString())->Delete();
    EXPECT_EQ(errorOf([&] { again->Delete(); }), NotFound);
    EXPECT_EQ(errorOf([&] { again->Update(); }), NotFound);
}

TEST_F(Write, OutboxIsTheFirstStoreWithOne) {
    EXPECT_EQ(s->Outbox()->ID(), QStringLiteral("B130"));
    EXPECT_EQ(s->Outbox()->Name(), QStringLiteral("Outbox"));
    auto bare = logon(QStringLiteral("Bare"));
    EXPECT_EQ(errorOf([&] { bare->Outbox(); }), NotFound);
}

TEST_F(Write, NewMessageIsStoredOnlyByUpdateWithRecipientsAndAttachments) {
    QTemporaryDir dir;
    const QString file = writeFile(dir, QStringLiteral("report.txt"), QByteArray("A\r\nB\0C", 6));

    auto m = s->Outbox()->MessagesOf()->Add();
    m->SetSubject(QStringLiteral("Status"));
    m->SetText(QStringLiteral("All well"));
    m->SetImportance(2);
    m->SetReadReceipt(true);
    auto r = m->RecipientsOf()->Add(QStringLiteral("dinar"), 2);  // by alias
    r->Resolve();
    EXPECT_EQ(r->Name(), QStringLiteral("Dina Ray"));
    EXPECT_EQ(r->Address(), QStringLiteral("dina@example.com"));
    // Same person in two lists with one address is not ambiguous.
    m->RecipientsOf()->Add(QStringLiteral("bob stone"), 1)->Resolve();
    auto a = m->AttachmentsOf()->Add();
    a->SetType(1);
    a->SetPosition(0);
    a->SetName(file);
    a->ReadFromFile(file);
    EXPECT_EQ(count("B130"), 0);
    EXPECT_EQ(errorOf([&] { m->ID(); }), NotFound);

    m->Update();
    EXPECT_EQ(count("B130"), 1);
    const QString id = m->ID();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]+$")).match(id).hasMatch())
        << id.toStdString();

    auto back = s->GetMessage(id, QStringLiteral("B1"));
    EXPECT_EQ(back->Subject(), QStringLiteral("Status"));
    EXPECT_EQ(back->Text(), QStringLiteral("All well"));
    EXPECT_EQ(back->Importance(), Variant(std::int32_t{2}));
    EXPECT_EQ(back->ReadReceipt(), Variant(true));
    EXPECT_EQ(back->DeliveryReceipt(), Variant(false));
    EXPECT_EQ(back->Type(), QStringLiteral("IPM.Note"));
    EXPECT_EQ(back->Sent(), Variant(false));
    EXPECT_EQ(back->Unread(), Variant(false));  // one's own new note is not unread
    auto rs = back->RecipientsOf();
    ASSERT_EQ(rs->Count(), 2);
    EXPECT_EQ(rs->Item(1)->Type(), 2);
    EXPECT_EQ(rs->Item(2)->Address(), QStringLiteral("bob@example.com"));
    ASSERT_EQ(back->AttachmentsOf()->Count(), 1);
    EXPECT_EQ(back->AttachmentsOf()->Item(1)->Name(), file);
    const QString out = dir.filePath(QStringLiteral("copy.bin"));
    back->AttachmentsOf()->Item(1)->WriteToFile(out);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("A\r\nB\0C", 6));

    // A second Update changes the same message.
    m->SetSubject(QStringLiteral("Status 2"));
    m->Update();
    EXPECT_EQ(count("B130"), 1);
    EXPECT_EQ(s->GetMessage(id, QString())->Subject(), QStringLiteral("Status 2"));
}

TEST_F(Write, ResolveFailures) {
    auto m = s->Outbox()->MessagesOf()->Add();
    auto rs = m->RecipientsOf();
    EXPECT_EQ(errorOf([&] { rs->Add(QStringLiteral("Nobody"), 1)->Resolve(); }), NotFound);
    EXPECT_EQ(errorOf([&] { rs->Add(QStringLiteral("Carl Moe"), 1)->Resolve(); }), AmbiguousRecip);
    try {
        rs->Add(QStringLiteral("carl moe"), 1)->Resolve();
    } catch (const mapi::Error& e) {
        EXPECT_EQ(
            e.description(),
            QStringLiteral("The recipient name is ambiguous. [MAPI_E_AMBIGUOUS_RECIP(80040700)]"));
    }
    // Types beyond 1-3 (originator 0, the resend flag ORed in) are kept as given.
    EXPECT_EQ(rs->Add(QStringLiteral("x"), 0)->Type(), 0);
    auto resent = rs->Add(QStringLiteral("y"), 1);
    resent->SetType(0x10000001);
    EXPECT_EQ(resent->Type(), 0x10000001);
}

TEST_F(Write, AttachmentFileErrors) {
    QTemporaryDir dir;
    auto a = s->Outbox()->MessagesOf()->Add()->AttachmentsOf()->Add();
    EXPECT_EQ(errorOf([&] { a->ReadFromFile(dir.filePath(QStringLiteral("missing.txt"))); }),
              NotFound);
    EXPECT_EQ(errorOf([&] { a->ReadFromFile(dir.path()); }), NoAccess);
    EXPECT_EQ(errorOf([&] { a->WriteToFile(dir.filePath("x")); }), NotFound);  // nothing read yet

    auto stored = s->GetMessage(QStringLiteral("A111"), QString())->AttachmentsOf()->Item(1);
    EXPECT_EQ(
        errorOf([&] { stored->WriteToFile(dir.filePath(QStringLiteral("no/such/dir/x.txt"))); }),
        NoAccess);
    EXPECT_EQ(errorOf([&] { stored->WriteToFile(dir.path()); }), NoAccess);
    try {
        stored->WriteToFile(dir.path());
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.number(), -2147024891);
    }
    stored->WriteToFile(dir.filePath(QStringLiteral("plan.txt")));
    QFile f(dir.filePath(QStringLiteral("plan.txt")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("line one\r\nline two"));
}

// Stored attachment data is read only when written out: an Update of a message
// loaded again copies it from row to row, keeps the order and the missing
// data missing, and writes data read from a file; larger than one piece of
// the incremental reads and writes, so that several pieces are joined.
TEST(StoredAttachments, SurviveAnUpdateOfTheMessageLoadedAgain) {
    QTemporaryDir dir;
    const QString profiles = dir.filePath(QStringLiteral("p"));
    store::createProfileDirectory(writeFile(dir, QStringLiteral("f.json"), fixtureJson()),
                                  profiles);
    const QString path = QDir(profiles).filePath(QLatin1String(store::kStoreFileName));
    std::make_shared<store::Backend>(path)->install();
    Ref<mapi::Session> s = logon();
    const auto attachmentRows = [&] {
        store::Stmt q = store::Db::open(path, false)->prepare("SELECT COUNT(*) FROM attachments");
        return q.step() ? q.integer(0) : -1;
    };
    const std::int64_t rowsBefore = attachmentRows();
    QByteArray big(3 * store::Db::kBlobPiece + 12345, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    const QByteArray small("A\r\nB\0C", 6);
    auto m = s->Outbox()->MessagesOf()->Add();
    m->SetSubject(QStringLiteral("Kept"));
    const struct {
        const char* name;
        const QByteArray* data;  // nullptr: nothing read into it
    } kAttachments[] = {{"big.bin", &big}, {"none.bin", nullptr}, {"small.bin", &small}};
    for (const auto& k : kAttachments) {
        auto a = m->AttachmentsOf()->Add();
        a->SetName(QLatin1String(k.name));
        if (k.data) a->ReadFromFile(writeFile(dir, QLatin1String(k.name), *k.data));
    }
    m->Update();
    const QString id = m->ID();

    // Loaded again, renamed, one more added, saved: nothing read in between.
    auto again = s->GetMessage(id, QString());
    again->AttachmentsOf()->Item(1)->SetName(QStringLiteral("renamed.bin"));
    auto added = again->AttachmentsOf()->Add();
    added->SetName(QStringLiteral("added.bin"));
    added->ReadFromFile(writeFile(dir, QStringLiteral("added.bin"), QByteArray("added")));
    again->Update();
    again->Update();  // and once more, from the rows the first one wrote

    const struct {
        const char* name;
        QByteArray data;
        bool present;
    } kWanted[] = {{"renamed.bin", big, true},
                   {"none.bin", QByteArray(), false},
                   {"small.bin", small, true},
                   {"added.bin", QByteArray("added"), true}};
    auto back = s->GetMessage(id, QString())->AttachmentsOf();
    ASSERT_EQ(back->Count(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kWanted[i].name);
        auto a = back->Item(i + 1);
        EXPECT_EQ(a->Name(), QLatin1String(kWanted[i].name));
        const QString out = dir.filePath(QStringLiteral("out%1").arg(i));
        if (!kWanted[i].present) {
            EXPECT_EQ(errorOf([&] { a->WriteToFile(out); }), NotFound);
            EXPECT_FALSE(QFile::exists(out));
            continue;
        }
        a->WriteToFile(out);
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == kWanted[i].data);
    }
    // The rows replaced are gone, and the size counts the data once.
    EXPECT_EQ(attachmentRows(), rowsBefore + 4);
    EXPECT_EQ(s->GetMessage(id, QString())->Size(),
              Variant(std::int32_t(QByteArray("Kept").size() + big.size() + small.size())));
}

TEST_F(Write, MessageFieldsSetAndAddAreSavedByUpdate) {
    auto m = s->GetMessage(QStringLiteral("B1A1"), QString());
    m->FieldsOf()->ItemByTag(0x0037001E)->SetValue(QStringLiteral("Lunch moved"));
    m->FieldsOf()->Add(Variant(QStringLiteral("Mood")), 8, Variant(QStringLiteral("good")));
    m->FieldsOf()->Add(Variant(QStringLiteral("Count")), 2, Variant(QStringLiteral("12")));
    EXPECT_EQ(m->Subject(), QStringLiteral("Lunch moved"));
    EXPECT_EQ(s->GetMessage(QStringLiteral("B1A1"), QString())->Subject(),
              QStringLiteral("Lunch on Friday"));
    m->Update();
    auto back = s->GetMessage(QStringLiteral("B1A1"), QString());
    EXPECT_EQ(back->Subject(), QStringLiteral("Lunch moved"));
    EXPECT_EQ(back->Text(), QStringLiteral("Pizza?"));  // untouched by the update
    auto count = back->FieldsOf()->ItemByName(QStringLiteral("Count"));
    EXPECT_EQ(count->Value(), Variant::integer(12));
    EXPECT_LT(count->ID(), 0);
    EXPECT_EQ(back->FieldsOf()->ItemByName(QStringLiteral("Mood"))->Value().toText(),
              QStringLiteral("good"));
    EXPECT_EQ(errorOf([&] {
                  m->FieldsOf()->Add(Variant(QStringLiteral("Bad")), 2,
                                     Variant(QStringLiteral("abc")));
              }),
              mapi::code::TypeMismatch);
}

TEST_F(Write, SingleEntryWithFieldsAndNotes) {
    auto entries = pab();
    auto e = entries->Add(QStringLiteral("SMTP"), QStringLiteral("Zed Quill"));
    e->FieldsOf()->ItemByTag(977272843)->SetValue(false);
    e->SetAddress(QStringLiteral("zed@example.com"));
    e->Update();
    e->FieldsOf()->ItemByTag(805568542)->SetValue(QStringLiteral("Says \"hi\""));
    e->Update();
    e->Update();

    auto again = pab();
    ASSERT_EQ(again->Count(), 3);
    auto z = again->Item(3);
    EXPECT_EQ(z->Name(), QStringLiteral("Zed Quill"));
    EXPECT_EQ(z->Type(), QStringLiteral("SMTP"));
    EXPECT_EQ(z->Address(), QStringLiteral("zed@example.com"));
    EXPECT_EQ(z->DisplayType(), 0);
    EXPECT_EQ(z->FieldsOf()->ItemByTag(977272843)->Value(), Variant(false));
    EXPECT_EQ(z->FieldsOf()->ItemByTag(805568542)->Value().toText(), QStringLiteral("Says \"hi\""));
    EXPECT_EQ(z->ID(), e->ID());
}

TEST_F(Write, DistributionListWithMembersSavedByTheMembersUpdate) {
    auto entries = pab();
    auto dl = entries->Add(QStringLiteral("MAPIPDL"), QStringLiteral("Friends"));
    EXPECT_EQ(dl->DisplayType(), 5);
    for (const char* name : {"Ann", "Ben"}) {
        auto m = dl->Members()->Add(QStringLiteral("SMTP"), QLatin1String(name));
        m->SetAddress(QString::fromLatin1(name).toLower() + QStringLiteral("@example.com"));
        m->FieldsOf()->ItemByTag(977272843)->SetValue(false);
        m->Update();
    }
    dl->Update();
    auto again = pab();
    ASSERT_EQ(again->Count(), 3);  // members are not entries of the list
    auto friends = again->Item(3);
    EXPECT_EQ(friends->Type(), QStringLiteral("MAPIPDL"));
    QStringList members;
    auto list = friends->Members();
    for (Ref<mapi::AddressEntry> m : *list) members << m->Name() + " " + m->Address();
    EXPECT_EQ(members, (QStringList{"Ann ann@example.com", "Ben ben@example.com"}));
}

TEST_F(Write, ReadOnlyListRefusesEveryWrite) {
    auto gal = s->AddressListByName(QStringLiteral("Global Address List"))->AddressEntriesOf();
    EXPECT_EQ(errorOf([&] { gal->Add(QStringLiteral("SMTP"), QStringLiteral("X")); }), NoAccess);
    auto ann = gal->Item(1);
    EXPECT_EQ(errorOf([&] { ann->SetName(QStringLiteral("Y")); }), NoAccess);
    EXPECT_EQ(
        errorOf([&] { ann->FieldsOf()->ItemByTag(805568542)->SetValue(QStringLiteral("n")); }),
        NoAccess);
    EXPECT_EQ(errorOf([&] { ann->Update(); }), NoAccess);
    EXPECT_EQ(errorOf([&] { ann->Delete(); }), NoAccess);
    EXPECT_EQ(gal->Count(), 4);
}

TEST_F(Write, EntryDeleteTwiceIsNotFound) {
    auto team = pab()->Item(2);
    team->Delete();
    EXPECT_EQ(errorOf([&] { team->Delete(); }), NotFound);
    EXPECT_EQ(pab()->Count(), 1);
}

TEST_F(Write, AddressBookDialogReturnsChosenRecipients) {
    whenModal([](QWidget* w) {
        EXPECT_EQ(w->objectName(), QStringLiteral("AddressBookDialog"));
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Pick"));
        auto* lists = w->findChild<QComboBox*>(QStringLiteral("AddressListCombo"));
        lists->setCurrentIndex(lists->findText(QStringLiteral("Personal Address Book")));
        auto* entries = w->findChild<QListWidget*>(QStringLiteral("EntryList"));
        entries->setCurrentRow(0);
        w->findChild<QPushButton*>(QStringLiteral("CcButton"))->click();
        w->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    });
    mapi::AddressBookArgs args;
    args.title = QStringLiteral("Pick");
    args.recipLists = 3;
    auto chosen = s->AddressBook(args);
    ASSERT_EQ(chosen->Count(), 1);
    EXPECT_EQ(chosen->Item(1)->Name(), QStringLiteral("Dina Ray"));
    EXPECT_EQ(chosen->Item(1)->Type(), 2);
    EXPECT_EQ(chosen->Item(1)->Address(), QStringLiteral("dina@example.com"));

    whenModal(
        [](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click(); });
    EXPECT_EQ(errorOf([&] { s->AddressBook(args); }), mapi::code::UserCancel);
}

TEST_F(Write, DetailsDialogShowsTheEntryUntilOk) {
    QString shown;
    whenModal([&](QWidget* w) {
        shown = w->objectName();
        w->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    });
    pab()->Item(1)->Details();
    EXPECT_EQ(shown, QStringLiteral("DetailsDialog"));
}

TEST(Durability, WritesSurviveAReopen) {
    QTemporaryDir dir;
    const QString json = writeFile(dir, QStringLiteral("f.json"), fixtureJson());
    const QString profileDir = dir.filePath(QStringLiteral("profiles"));
    store::createProfileDirectory(json, profileDir);
    const QString db = QDir(profileDir).filePath(QLatin1String(store::kStoreFileName));
    QString newId, entryId;
    {
        std::make_shared<store::Backend>(db)->install();
        auto s = logon();
        s->GetMessage(QStringLiteral("B1A3"), QString())->Delete();
        auto m = s->Outbox()->MessagesOf()->Add();
        m->SetSubject(QStringLiteral("Kept"));
        m->RecipientsOf()->Add(QStringLiteral("annl"), 1)->Resolve();
        m->Update();
        newId = m->ID();
        auto e = s->AddressListByName(QStringLiteral("Personal Address Book"))
                     ->AddressEntriesOf()
                     ->Add(QStringLiteral("SMTP"), QStringLiteral("Kept Entry"));
        e->Update();
        entryId = e->ID();
        s->Logoff();
    }
    mapi::installSessionFactory({});
    std::make_shared<store::Backend>(db)->install();
    auto s = logon();
    EXPECT_EQ(errorOf([&] { s->GetMessage(QStringLiteral("B1A3"), QString()); }), NotFound);
    auto kept = s->GetMessage(newId, QStringLiteral("B1"));
    EXPECT_EQ(kept->Subject(), QStringLiteral("Kept"));
    EXPECT_EQ(kept->RecipientsOf()->Item(1)->Address(), QStringLiteral("ann@example.com"));
    auto pabEntries =
        s->AddressListByName(QStringLiteral("Personal Address Book"))->AddressEntriesOf();
    EXPECT_EQ(pabEntries->Item(3)->ID(), entryId);
    // Identifiers from the fixture are unchanged.
    EXPECT_EQ(s->GetFolder(QStringLiteral("B130"), QString())->MessagesOf()->Item(1)->ID(), newId);
}

// Finished statements are used again for the same SQL: one comes back with
// no bindings and no half-read rows, whichever way it was left, and one that
// outlives its connection is still safe to drop.
TEST(Statements, AReusedStatementStartsAfresh) {
    QTemporaryDir dir;
    auto db = store::Db::open(dir.filePath(QStringLiteral("s.db")), true);
    db->exec("CREATE TABLE t(a INTEGER)");
    for (int i = 1; i <= 3; ++i) db->prepare("INSERT INTO t(a) VALUES(?1)").bind(1, i).run();
    const char* const kAtLeast = "SELECT a FROM t WHERE a >= ?1 ORDER BY a";
    auto rows = [&](std::optional<int> from) {
        store::Stmt q = db->prepare(kAtLeast);
        if (from) q.bind(1, *from);
        QList<std::int64_t> out;
        while (q.step()) out << q.integer(0);
        return out;
    };
    {
        store::Stmt half = db->prepare(kAtLeast);
        half.bind(1, 1);
        ASSERT_TRUE(half.step());  // left after its first row
    }
    EXPECT_EQ(rows(std::nullopt), QList<std::int64_t>());  // ?1 unbound is NULL
    EXPECT_EQ(rows(2), QList<std::int64_t>({2, 3}));
    // A failed statement comes back usable.
    db->exec("CREATE TABLE u(a INTEGER NOT NULL)");
    const char* const kInsertU = "INSERT INTO u(a) VALUES(?1)";
    EXPECT_THROW(db->prepare(kInsertU).bindNull(1).run(), mapi::Error);
    db->prepare(kInsertU).bind(1, 7).run();
    // More distinct texts than are kept: each still runs as written.
    for (int i = 0; i < 300; ++i) {
        store::Stmt q = db->prepare(QStringLiteral("SELECT %1 + COUNT(*) FROM t").arg(i));
        ASSERT_TRUE(q.step());
        ASSERT_EQ(q.integer(0), i + 3);
    }
    EXPECT_EQ(rows(3), QList<std::int64_t>({3}));
    store::Stmt kept = db->prepare(kAtLeast);
    db.reset();
}

}  // namespace

namespace {

// A store whose next attachment or entry insert fails, as a full disk would.
class FailingStore : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString json = writeFile(dir, QStringLiteral("f.json"), fixtureJson());
        const QString profiles = dir.filePath(QStringLiteral("p"));
        store::createProfileDirectory(json, profiles);
        path = QDir(profiles).filePath(QLatin1String(store::kStoreFileName));
        store::Db::open(path, false)
            ->exec(
                "CREATE TRIGGER fail_attachment BEFORE INSERT ON attachments "
                "BEGIN SELECT RAISE(ABORT, 'disk full'); END;"
                "CREATE TRIGGER fail_member BEFORE INSERT ON entries WHEN NEW.parent IS NOT NULL "
                "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
        std::make_shared<store::Backend>(path)->install();
        s = logon();
    }
    QTemporaryDir dir;
    QString path;
    Ref<mapi::Session> s;
};

TEST_F(FailingStore, MessageUpdateIsAllOrNothing) {
    auto m = s->Outbox()->MessagesOf()->Add();
    m->SetSubject(QStringLiteral("Never"));
    m->RecipientsOf()->Add(QStringLiteral("annl"), 1)->Resolve();
    m->AttachmentsOf()->Add()->SetName(QStringLiteral("a.txt"));
    EXPECT_EQ(errorOf([&] { m->Update(); }), mapi::code::DiskError);
    EXPECT_EQ(s->Outbox()->MessagesOf()->Count(), 0);
    auto q = store::Db::open(path, false)
                 ->prepare(
                     "SELECT (SELECT COUNT(*) FROM messages WHERE subject = 'Never'), "
                     "(SELECT COUNT(*) FROM recipients r LEFT JOIN messages m ON m.rid = r.message "
                     "WHERE m.rid IS NULL)");
    ASSERT_TRUE(q.step());
    EXPECT_EQ(q.integer(0), 0);
    EXPECT_EQ(q.integer(1), 0);
    EXPECT_EQ(errorOf([&] { m->ID(); }), NotFound);  // still unsaved
}

TEST_F(FailingStore, MemberUpdateDoesNotLeaveAHalfSavedList) {
    auto entries =
        s->AddressListByName(QStringLiteral("Personal Address Book"))->AddressEntriesOf();
    auto dl = entries->Add(QStringLiteral("MAPIPDL"), QStringLiteral("Half"));
    auto member = dl->Members()->Add(QStringLiteral("SMTP"), QStringLiteral("Ann"));
    EXPECT_EQ(errorOf([&] { member->Update(); }), mapi::code::DiskError);
    EXPECT_EQ(
        s->AddressListByName(QStringLiteral("Personal Address Book"))->AddressEntriesOf()->Count(),
        2);
    EXPECT_EQ(errorOf([&] { dl->ID(); }), NotFound);
    dl->Update();  // the list alone can still be saved
    EXPECT_EQ(
        s->AddressListByName(QStringLiteral("Personal Address Book"))->AddressEntriesOf()->Count(),
        3);
}

}  // namespace
