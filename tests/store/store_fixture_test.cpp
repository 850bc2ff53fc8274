// Fixtures (refusals with their messages, defaults, nulls), the profile
// directory writer and the first-use demo mailbox (the 100,000-message folder is in bench/).

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <set>

#include "store/Fixture.h"
#include "store/StoreBackend.h"
#include "support/StoreTestUtil.h"
#include "support/TestEnv.h"

using namespace storetest;
using mapi::Ref;
using mapi::Variant;

namespace {

// The refusal message for `json`, or "" when the fixture was accepted.
QString refusal(const QByteArray& json) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("bad.json"), json);
    try {
        store::installFixtureBackend(path);
    } catch (const store::FixtureError& e) {
        return QString::fromStdString(e.what()).replace(path, QStringLiteral("FILE"));
    }
    return QString();
}

TEST(Fixture, RefusalsNameTheFileThePlaceAndTheProblem) {
    struct Case {
        const char* json;
        const char* message;
    };
    const Case cases[] = {
        {R"({"stores": [{"folders": [{"messages": [{"importance": "high"}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].importance: expected a whole number"},
        {R"({"stores": [{"folders": [{"messages": [{"importance": 3}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].importance: must be between 0 and 2"},
        {R"({"stores": [{"folders": [{"messages": [{"recipients": [{"type": 2147483648}]}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].recipients[0].type: must be between -2147483648 "
         "and 2147483647"},
        {R"({"stores": [{"folders": [{"folders": [{"messages": [{"colour": "red"}]}]}]}]})",
         "FILE: stores[0].folders[0].folders[0].messages[0].colour: unknown key"},
        {R"({"stores": [{"outbox": "F9", "folders": [{"id": "F1"}]}]})",
         "FILE: stores[0].outbox: no folder with this id in the store"},
        {R"({"stores": [{"id": "C1"}], "profiles": [{"name": "P", "stores": ["C2"]}]})",
         "FILE: profiles[0].stores[0]: no store with this id"},
        {R"({"profiles": [{"name": "P", "addressLists": ["Nope"]}]})",
         "FILE: profiles[0].addressLists[0]: no address list with this name"},
        {R"({"stores": [{"folders": [{"id": "F1"}, {"id": "f1"}]}]})",
         "FILE: stores[0].folders[1].id: duplicate id \"F1\""},
        {R"({"stores": [{"folders": [{"id": "inbox"}]}]})",
         "FILE: stores[0].folders[0].id: expected a hexadecimal string"},
        {R"({"stores": [{"folders": [{"messages": [{"timeReceived": "yesterday"}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].timeReceived: expected an ISO 8601 date and time "
         "such as \"1999-03-01T09:30:00\""},
        {R"({"stores": [{"folders": [{"messages": [{"fields": [{"name": "X", "type": 9}]}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].fields[0].type: unsupported type 9 (use 0-8, 10, "
         "11 or 65)"},
        {R"({"addressLists": [{"name": "A", "entries": [{"members": [{"alias": 5}]}]}]})",
         "FILE: addressLists[0].entries[0].members[0].alias: expected a string"},
        {R"({"profiles": [{"name": "A", "default": true}, {"name": "B", "default": true}]})",
         "FILE: profiles[1].default: more than one default profile"},
        {R"({"profiles": [{"name": "A"}, {"name": "a"}]})",
         "FILE: profiles[1].name: duplicate profile name"},
        {R"({"stores": [{"folders": [{"messages": [{"fields": [{"id": 1.5, "value": 1}]}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].fields[0].id: expected a property tag"},
        {R"({"stores": [{"folders": [{"messages": [{"fields": [{"id": 4294967296}]}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].fields[0].id: expected a property tag"},
        {R"({"stores": [{"folders": [{"messages": [{"fields": [{"id": "Subject"}]}]}]}]})",
         "FILE: stores[0].folders[0].messages[0].fields[0].id: expected a property tag"},
        {R"([1, 2])", "FILE: top level: expected an object"},
        {R"({"store": []})", "FILE: store: unknown key"},
    };
    for (const Case& c : cases) EXPECT_EQ(refusal(c.json), QString::fromUtf8(c.message)) << c.json;

    const QString parse = refusal("{\n  \"stores\": [\n    {\"name\": \"x\",,}\n  ]\n}");
    EXPECT_TRUE(parse.startsWith(QStringLiteral("FILE: line 3, column "))) << parse.toStdString();

    EXPECT_TRUE(QString::fromStdString([] {
                    try {
                        store::installFixtureBackend(QStringLiteral("/nonexistent/f.json"));
                    } catch (const store::FixtureError& e) {
                        return std::string(e.what());
                    }
                    return std::string();
                }())
                    .startsWith(QStringLiteral("/nonexistent/f.json: cannot be read")));
}

TEST(Fixture, RefusedFixtureLeavesTheInstalledBackendAndCreatesNothing) {
    installFixture();
    EXPECT_FALSE(refusal(R"({"stores": [{"bad": 1}]})").isEmpty());
    EXPECT_EQ(logon()->InfoStoresOf()->Count(), 2);  // still the earlier fixture

    QTemporaryDir dir;
    const QString json = writeFile(dir, QStringLiteral("bad.json"), R"({"stores": [{"bad": 1}]})");
    const QString target = dir.filePath(QStringLiteral("profiles"));
    EXPECT_THROW(store::createProfileDirectory(json, target), store::FixtureError);
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(Fixture, OmittedKeysAreDefaultsAndNullsAreUnreadable) {
    QTemporaryDir dir;
    store::installFixtureBackend(writeFile(dir, QStringLiteral("f.json"), R"({
      "stores": [{"name": "S", "folders": [{"name": "F", "messages": [
        {},
        {"subject": null, "timeReceived": null, "unread": null, "importance": null, "size": null,
         "recipients": [{"name": null}], "attachments": [{"name": null, "text": null}],
         "fields": [{"id": 4096, "type": 3, "value": null}]}
      ]}]}],
      "addressLists": [{"name": "L", "entries": [{}, {"name": null, "alias": null}]}]
    })"));
    auto s = logon();  // no profiles given: "Default" over everything
    auto stores = s->InfoStoresOf();
    ASSERT_EQ(stores->Count(), 1);
    auto msgs = stores->Item(1)->RootFolder()->FoldersOf()->Item(1)->MessagesOf();
    ASSERT_EQ(msgs->Count(), 2);

    auto plain = msgs->Item(1);
    EXPECT_EQ(plain->Subject(), QString());
    EXPECT_EQ(plain->Importance(), Variant(std::int32_t{0}));
    EXPECT_EQ(plain->Unread(), Variant(false));
    EXPECT_EQ(plain->Sender()->Name(), QString());
    EXPECT_EQ(plain->TimeReceived().toText(), QStringLiteral("12/30/1899"));
    EXPECT_EQ(plain->FieldsOf()->Count(), 11);
    EXPECT_FALSE(plain->ID().isEmpty());

    auto nulls = msgs->Item(2);
    for (auto fn : std::vector<std::function<void()>>{
             [&] { nulls->Subject(); }, [&] { nulls->TimeReceived(); }, [&] { nulls->Unread(); },
             [&] { nulls->Importance(); }, [&] { nulls->Size(); },
             [&] { nulls->RecipientsOf()->Item(1)->Name(); },
             [&] { nulls->AttachmentsOf()->Item(1)->Name(); },
             [&] { nulls->AttachmentsOf()->Item(1)->WriteToFile(QStringLiteral("/tmp/never")); },
             [&] { nulls->FieldsOf()->ItemByTag(4096)->Value(); }})
        EXPECT_EQ(errorOf(fn), mapi::code::NotFound);
    EXPECT_EQ(nulls->RecipientsOf()->Item(1)->Type(), 1);

    auto entries = s->AddressListByName(QStringLiteral("L"))->AddressEntriesOf();
    EXPECT_EQ(entries->Item(1)->Name(), QString());
    EXPECT_EQ(entries->Item(1)->FieldsOf()->ItemByTag(973078558)->Value().toText(), QString());
    EXPECT_EQ(errorOf([&] { entries->Item(2)->Name(); }), mapi::code::NotFound);
    EXPECT_EQ(entries->Item(2)->FieldsOf()->Count(), 5);
}

TEST(Fixture, ProfileDirectoryIsUsableAndNotOverwritten) {
    QTemporaryDir dir;
    const QString json = writeFile(dir, QStringLiteral("f.json"), fixtureJson());
    const QString target = dir.filePath(QStringLiteral("out/profiles"));
    store::createProfileDirectory(json, target);
    EXPECT_TRUE(QFileInfo::exists(QDir(target).filePath(QLatin1String(store::kStoreFileName))));
    EXPECT_THROW(store::createProfileDirectory(json, target), store::FixtureError);
    std::make_shared<store::Backend>(QDir(target).filePath(QLatin1String(store::kStoreFileName)))
        ->install();
    EXPECT_EQ(
        logon(QStringLiteral("Secret"), QStringLiteral("pa55"))->InfoStoresOf()->Item(1)->ID(),
        QStringLiteral("A1"));
}

TEST(DefaultBackend, FirstUseCreatesTheDemoProfileAndKeepsIt) {
    testenv::resetUserFolders();
    EXPECT_EQ(store::profilesDir(),
              qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/quorvane"));
    store::installDefaultBackend();
    EXPECT_TRUE(QFileInfo::exists(store::profilesDir() + QStringLiteral("/mailstore.db")));

    auto s = logon(QStringLiteral("Default"));
    auto stores = s->InfoStoresOf();
    ASSERT_GE(stores->Count(), 3);
    EXPECT_EQ(s->Outbox()->Name(), QStringLiteral("Outbox"));

    // Walk everything: nested folders, a few hundred messages, every kind of field.
    int messages = 0, attachments = 0, depth = 0;
    std::set<int> recipientTypes, fieldTypes;
    std::function<void(Ref<mapi::Folder>, int)> walk = [&](Ref<mapi::Folder> f, int level) {
        depth = std::max(depth, level);
        auto msgs = f->MessagesOf();
        for (auto m = msgs->GetFirst(); m; m = msgs->GetNext()) {
            ++messages;
            attachments += m->AttachmentsOf()->Count();
            auto r = m->RecipientsOf();
            for (int i = 1; i <= r->Count(); ++i) recipientTypes.insert(r->Item(i)->Type());
            auto fields = m->FieldsOf();
            for (int i = 1; i <= fields->Count(); ++i)
                fieldTypes.insert(fields->Item(i)->Type().asLong());
        }
        auto subs = f->FoldersOf();
        for (auto sub = subs->GetFirst(); sub; sub = subs->GetNext()) walk(sub, level + 1);
    };
    for (int i = 1; i <= stores->Count(); ++i) walk(stores->Item(i)->RootFolder(), 0);
    EXPECT_GE(messages, 200);
    EXPECT_GT(attachments, 0);
    EXPECT_GE(depth, 3);
    EXPECT_EQ(recipientTypes, (std::set<int>{1, 2, 3}));
    EXPECT_EQ(fieldTypes, (std::set<int>{2, 3, 4, 5, 6, 7, 8, 10, 11, 65}));

    auto lists = s->AddressListsOf();
    QStringList names;
    for (int i = 1; i <= lists->Count(); ++i) names << lists->Item(i)->Name();
    EXPECT_EQ(names, (QStringList{"Global Address List", "Personal Address Book", "Contacts"}));
    auto gal = lists->Item(1)->AddressEntriesOf();
    EXPECT_EQ(errorOf([&] { gal->Add(QStringLiteral("SMTP"), QStringLiteral("x")); }),
              mapi::code::NoAccess);
    EXPECT_FALSE(gal->Item(1)->FieldsOf()->ItemByTag(973078558)->Value().toText().isEmpty());
    bool haveList = false;
    auto pab = lists->Item(2)->AddressEntriesOf();
    for (auto e = pab->GetFirst(); e; e = pab->GetNext())
        if (e->Type() == QStringLiteral("MAPIPDL")) haveList = e->Members()->Count() > 0;
    EXPECT_TRUE(haveList);

    // A second start keeps the same store and its identifiers.
    const QString firstId = stores->Item(1)->RootFolder()->FoldersOf()->GetFirst()->ID();
    s->Logoff();
    store::installDefaultBackend();
    auto again = logon();
    EXPECT_EQ(again->InfoStoresOf()->Item(1)->RootFolder()->FoldersOf()->GetFirst()->ID(), firstId);
}

}  // namespace

namespace {

// A profile folder whose store file is damaged: the default back-end still
// installs, every logon fails with the corrupt-data code and leaves the file
// alone, and once the file is repaired the next logon opens it.
TEST(DamagedStore, LogonFailsUntilRepairedAndTheFileIsNeverWritten) {
    const QByteArray damaged[] = {
        QByteArray("not a database at all\n"),
        QByteArray(),
        QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\x01'),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.left(20).toStdString());
        testenv::resetUserFolders();
        QDir().mkpath(store::profilesDir());
        const QString path = store::profilesDir() + QStringLiteral("/mailstore.db");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();

        EXPECT_NO_THROW(store::installDefaultBackend());
        EXPECT_EQ(errorOf([] { logon(); }), mapi::code::Corrupt);
        EXPECT_EQ(errorOf([] { logon(); }), mapi::code::Corrupt);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
        f.close();

        ASSERT_TRUE(QFile::remove(path));
        store::buildStoreFile(QJsonDocument::fromJson(fixtureJson()).object(), path,
                              QStringLiteral("repaired"));
        EXPECT_EQ(logon(QStringLiteral("Bare"))->InfoStoresOf()->Item(1)->ID(),
                  QStringLiteral("A1"));
    }
}

// Another process inside an exclusive transaction: the logon gives up after
// the busy timeout with MAPI_E_BUSY instead of waiting for ever.
TEST(DamagedStore, LockedStoreFailsWithBusy) {
    QTemporaryDir dir;
    const QString json = writeFile(dir, QStringLiteral("f.json"), fixtureJson());
    const QString target = dir.filePath(QStringLiteral("p"));
    store::createProfileDirectory(json, target);
    const QString path = QDir(target).filePath(QLatin1String(store::kStoreFileName));
    std::make_shared<store::Backend>(path)->install();
    {
        std::shared_ptr<store::Db> other = store::Db::open(path, false);
        other->exec("BEGIN EXCLUSIVE");
        EXPECT_EQ(errorOf([] { logon(QStringLiteral("Bare")); }), mapi::code::Busy);
        other->exec("ROLLBACK");
    }
    EXPECT_EQ(logon(QStringLiteral("Bare"))->InfoStoresOf()->Item(1)->ID(), QStringLiteral("A1"));
}

}  // namespace
