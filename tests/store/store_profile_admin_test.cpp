// Changes to profiles made from the accounts window: what each leaves in the
// store file and where the passwords end up. The tests run without a session
// bus, so passwords are kept in the owner-only file beside the store.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "store/Accounts.h"
#include "store/Database.h"
#include "store/ProfileAdmin.h"
#include "store/Secrets.h"
#include "store/Tables.h"

namespace {

QString text(store::Db& db, const char* sql) {
    QStringList out;
    store::Stmt q = db.prepare(sql);
    while (q.step()) out << q.text(0);
    return out.join(QLatin1Char(','));
}

struct Fixture {
    QTemporaryDir dir;
    std::shared_ptr<store::Db> db = store::Db::open(dir.filePath(QStringLiteral("s.db")), true);

    // A store of one folder holding one message with a recipient, an attachment
    // and a custom property, listed by the profiles named.
    void addStore(const QString& name, const std::vector<std::int64_t>& profiles) {
        store::Db::Transaction tx(*db);
        const std::int64_t s = store::insertStore(*db, QStringLiteral("new"), name);
        store::assignEntryId(*db, store::EntryKind::Store, s);
        const std::int64_t f = store::insertFolder(*db, s, store::SqlValue(), name + " Inbox");
        store::assignEntryId(*db, store::EntryKind::Folder, f);
        const std::int64_t m = store::insertMessage(
            *db, {{"eid", QStringLiteral("m-") + name}, {"folder", f}, {"subject", name}});
        store::insertRecipient(*db, m, name, name, std::int64_t{1}, std::int64_t{0},
                               QStringLiteral("SMTP"));
        store::insertAttachment(*db, m, name, std::int64_t{1}, std::int64_t{0}, QByteArray("x"));
        store::insertProp(*db, store::OwnerKind::Message, m, 0x0E1D001F, QString(), 8, name);
        for (std::int64_t p : profiles) store::addProfileStore(*db, p, s);
        tx.commit();
    }

    store::AccountEntry account(const char* server, const char* password) {
        store::AccountEntry e;
        e.server = QLatin1String(server);
        e.user = QStringLiteral("ann");
        e.password = QLatin1String(password);
        return e;
    }
};

TEST(ProfileAdmin, CreateRefusesEmptyAndTakenNames) {
    Fixture f;
    EXPECT_EQ(store::createProfile(*f.db, QStringLiteral("  Work ")).name, QStringLiteral("Work"));
    const struct {
        const char* name;
        const char* message;
    } refused[] = {{"", "A profile needs a name."},
                   {"   ", "A profile needs a name."},
                   {"work", "There is already a profile named \"work\"."},
                   {" WORK ", "There is already a profile named \"WORK\"."}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        try {
            store::createProfile(*f.db, QLatin1String(r.name));
            ADD_FAILURE() << "created";
        } catch (const store::AdminError& e) {
            EXPECT_EQ(e.message, QLatin1String(r.message));
        }
    }
    EXPECT_EQ(text(*f.db, "SELECT name FROM profiles ORDER BY rid"), QStringLiteral("Work"));
}

// The passwords are kept under the profile's name: a rename takes them along,
// and a refused rename leaves everything where it was.
TEST(ProfileAdmin, RenameTakesThePasswordsAlong) {
    Fixture f;
    store::addAccount(*f.db, QStringLiteral("Home"), f.account("mail.example", "pw1"));
    store::addAccount(*f.db, QStringLiteral("Home"), f.account("other.example", "pw2"));
    store::createProfile(*f.db, QStringLiteral("Work"));

    EXPECT_THROW(store::renameProfile(*f.db, QStringLiteral("Home"), QStringLiteral("work")),
                 store::AdminError);
    EXPECT_THROW(store::renameProfile(*f.db, QStringLiteral("Nowhere"), QStringLiteral("X")),
                 store::AdminError);
    EXPECT_EQ(text(*f.db, "SELECT name FROM profiles ORDER BY rid"), QStringLiteral("Home,Work"));

    EXPECT_EQ(store::renameProfile(*f.db, QStringLiteral("home"), QStringLiteral("Away")).name,
              QStringLiteral("Away"));
    EXPECT_EQ(text(*f.db, "SELECT name FROM profiles ORDER BY rid"), QStringLiteral("Away,Work"));
    const std::vector<store::AccountEntry> accounts = store::profileAccounts(*f.db, 1);
    ASSERT_EQ(accounts.size(), 2U);
    EXPECT_EQ(store::keptPassword(*f.db, QStringLiteral("Away"), accounts[0]), "pw1");
    EXPECT_EQ(store::keptPassword(*f.db, QStringLiteral("Away"), accounts[1]), "pw2");
    EXPECT_FALSE(store::findSecret(store::secretOwner(*f.db, QStringLiteral("Home"), accounts[0])));
    EXPECT_FALSE(store::findSecret(store::secretOwner(*f.db, QStringLiteral("Home"), accounts[1])));
}

// Only the stores no other profile lists may go with a profile, and only when
// asked for: their folders, messages and everything of the messages go too.
TEST(ProfileAdmin, RemoveDeletesOnlyTheProfilesOwnStoresWhenAsked) {
    for (bool withStores : {false, true}) {
        SCOPED_TRACE(withStores);
        Fixture f;
        const std::int64_t home = store::createProfile(*f.db, QStringLiteral("Home")).rid;
        const std::int64_t other = store::createProfile(*f.db, QStringLiteral("Other")).rid;
        f.addStore(QStringLiteral("Mine"), {home});
        f.addStore(QStringLiteral("Shared"), {home, other});
        f.addStore(QStringLiteral("Theirs"), {other});
        store::addAccount(*f.db, QStringLiteral("Home"), f.account("mail.example", "pw"));
        EXPECT_EQ(store::ownStores(*f.db, QStringLiteral("home")), QStringList{"Mine"});

        ASSERT_TRUE(store::removeProfile(*f.db, QStringLiteral("Home"), withStores));
        EXPECT_EQ(text(*f.db, "SELECT name FROM profiles"), QStringLiteral("Other"));
        EXPECT_EQ(text(*f.db, "SELECT count(*) FROM profile_accounts"), QStringLiteral("0"));
        EXPECT_EQ(text(*f.db,
                       "SELECT s.name FROM profile_stores p JOIN stores s ON s.rid = "
                       "p.store ORDER BY s.rid"),
                  QStringLiteral("Shared,Theirs"));
        const char* left = withStores ? "Shared,Theirs" : "Mine,Shared,Theirs";
        EXPECT_EQ(text(*f.db, "SELECT name FROM stores ORDER BY rid"), QLatin1String(left));
        EXPECT_EQ(text(*f.db, "SELECT subject FROM messages ORDER BY rid"), QLatin1String(left));
        EXPECT_EQ(text(*f.db, "SELECT name FROM recipients ORDER BY rid"), QLatin1String(left));
        EXPECT_EQ(text(*f.db, "SELECT name FROM attachments ORDER BY rid"), QLatin1String(left));
        EXPECT_EQ(text(*f.db, "SELECT value FROM props ORDER BY rid"), QLatin1String(left));
        EXPECT_EQ(text(*f.db, "SELECT count(*) FROM folders"), QString::number(withStores ? 2 : 3));
    }
}

// An account edited keeps its password when none is typed, and becomes another
// account, with the old one gone, when its server changes.
TEST(ProfileAdmin, SaveAccountKeepsOrReplaces) {
    Fixture f;
    store::addAccount(*f.db, QStringLiteral("Home"), f.account("mail.example", "pw"));
    store::AccountEntry before = store::profileAccounts(*f.db, 1).at(0);

    store::AccountEntry edited = before;
    edited.password.clear();
    edited.port = 993;
    store::saveAccount(*f.db, QStringLiteral("Home"), before, edited, true);
    std::vector<store::AccountEntry> now = store::profileAccounts(*f.db, 1);
    ASSERT_EQ(now.size(), 1U);
    EXPECT_EQ(now[0].port, 993);
    EXPECT_EQ(now[0].rid, before.rid);  // the header cache stays the account's
    EXPECT_EQ(store::keptPassword(*f.db, QStringLiteral("Home"), now[0]), "pw");

    // Not remembered any more: forgotten.
    store::saveAccount(*f.db, QStringLiteral("Home"), now[0], edited, false);
    EXPECT_EQ(store::keptPassword(*f.db, QStringLiteral("Home"), now[0]), "");

    edited.server = QStringLiteral("new.example");
    edited.password = QStringLiteral("pw2");
    store::saveAccount(*f.db, QStringLiteral("Home"), now[0], edited, true);
    now = store::profileAccounts(*f.db, 1);
    ASSERT_EQ(now.size(), 1U);
    EXPECT_EQ(now[0].server, QStringLiteral("new.example"));
    EXPECT_EQ(store::keptPassword(*f.db, QStringLiteral("Home"), now[0]), "pw2");

    EXPECT_TRUE(store::pinCertificate(*f.db, now[0].rid, QStringLiteral("AB:CD")));
    EXPECT_EQ(store::profileAccounts(*f.db, 1).at(0).fingerprint, QStringLiteral("AB:CD"));
    EXPECT_FALSE(store::pinCertificate(*f.db, now[0].rid + 100, QStringLiteral("AB:CD")));
}

}  // namespace
