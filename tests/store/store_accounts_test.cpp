// Mail-server accounts kept in the profile store: what is written is read back,
// and a store written before a setting existed still reads, with its default.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "store/Accounts.h"
#include "store/Database.h"

namespace {

struct Row {
    QString server, user, fingerprint;
    int port, timeout;
    QString caFile = {};
};

std::vector<Row> rows(store::Db& db, std::int64_t profile) {
    std::vector<Row> out;
    for (const store::AccountEntry& e : store::profileAccounts(db, profile))
        out.push_back({e.server, e.user, e.fingerprint, e.port, e.timeout, e.caFile});
    return out;
}

std::int64_t profileId(store::Db& db, const char* name) {
    store::Stmt q = db.prepare(
        QStringLiteral("SELECT rid FROM profiles WHERE name = '%1'").arg(QLatin1String(name)));
    return q.step() ? q.integer(0) : 0;
}

void expect(const std::vector<Row>& got, const std::vector<Row>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].server, want[i].server);
        EXPECT_EQ(got[i].user, want[i].user);
        EXPECT_EQ(got[i].fingerprint, want[i].fingerprint);
        EXPECT_EQ(got[i].port, want[i].port);
        EXPECT_EQ(got[i].timeout, want[i].timeout);
        EXPECT_EQ(got[i].caFile, want[i].caFile);
    }
}

TEST(StoreAccounts, TimeoutIsKeptAndOlderStoresReadWithTheDefault) {
    QTemporaryDir dir;
    std::shared_ptr<store::Db> db = store::Db::open(dir.filePath(QStringLiteral("s.db")), true);
    // The account table as stores had it before the timeout could be set.
    db->exec(
        "INSERT INTO profiles(name) VALUES('Old');"
        "CREATE TABLE profile_accounts(rid INTEGER PRIMARY KEY, profile INTEGER NOT NULL, "
        "kind TEXT NOT NULL, server TEXT NOT NULL, port INTEGER NOT NULL, security TEXT NOT "
        "NULL, user TEXT NOT NULL, password TEXT NOT NULL DEFAULT '', fingerprint TEXT NOT NULL "
        "DEFAULT '');"
        "INSERT INTO profile_accounts(profile, kind, server, port, security, user, fingerprint) "
        "SELECT rid, 'imap', 'mail.old', 143, 'none', 'ann', 'ab:cd' FROM profiles;");
    const std::int64_t old = profileId(*db, "Old");
    ASSERT_NE(old, 0);
    expect(rows(*db, old), {{"mail.old", "ann", "ab:cd", 143, 0}});

    // Adding an account brings the table up to date; the old row keeps the default.
    store::AccountEntry e;
    e.server = QStringLiteral("mail.new");
    e.port = 993;
    e.security = QStringLiteral("tls");
    e.user = QStringLiteral("bob");
    e.timeout = 7;
    store::addAccount(*db, QStringLiteral("Old"), e);
    e.server = QStringLiteral("mail.other");
    e.timeout = 0;
    store::addAccount(*db, QStringLiteral("New"), e);
    expect(rows(*db, old), {{"mail.old", "ann", "ab:cd", 143, 0}, {"mail.new", "bob", "", 993, 7}});
    expect(rows(*db, profileId(*db, "New")), {{"mail.other", "bob", "", 993, 0}});
}

// A store whose accounts have a timeout but no CA file reads as trusting the system's
// roots alone; the next account added brings the column, with the file's path.
TEST(StoreAccounts, CaFileIsKeptAndStoresWithoutItReadWithNone) {
    QTemporaryDir dir;
    std::shared_ptr<store::Db> db = store::Db::open(dir.filePath(QStringLiteral("s.db")), true);
    db->exec(
        "INSERT INTO profiles(name) VALUES('Work');"
        "CREATE TABLE profile_accounts(rid INTEGER PRIMARY KEY, profile INTEGER NOT NULL, "
        "kind TEXT NOT NULL, server TEXT NOT NULL, port INTEGER NOT NULL, security TEXT NOT "
        "NULL, user TEXT NOT NULL, password TEXT NOT NULL DEFAULT '', fingerprint TEXT NOT NULL "
        "DEFAULT '', timeout INTEGER NOT NULL DEFAULT 0);"
        "INSERT INTO profile_accounts(profile, kind, server, port, security, user, timeout) "
        "SELECT rid, 'imap', 'mail.work', 993, 'tls', 'ann', 9 FROM profiles;");
    const std::int64_t work = profileId(*db, "Work");
    ASSERT_NE(work, 0);
    expect(rows(*db, work), {{"mail.work", "ann", "", 993, 9}});

    store::AccountEntry e;
    e.server = QStringLiteral("mail.corp");
    e.port = 993;
    e.security = QStringLiteral("tls");
    e.user = QStringLiteral("bob");
    e.caFile = QStringLiteral("/etc/corp/root-ca.pem");
    store::addAccount(*db, QStringLiteral("Work"), e);
    expect(rows(*db, work), {{"mail.work", "ann", "", 993, 9},
                             {"mail.corp", "bob", "", 993, 0, "/etc/corp/root-ca.pem"}});
}

}  // namespace
