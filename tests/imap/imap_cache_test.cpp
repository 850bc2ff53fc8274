// The header cache: first open, changes by another client, UIDVALIDITY change
// and what is left on disk.
#include <sqlite3.h>

#include <QTemporaryDir>

#include "ImapTestUtil.h"
#include "imap/HeaderCache.h"

using namespace imap;

namespace {

QByteArray message(int n) {
    return QStringLiteral(
               "From: Sender %1 <sender%1@example.com>\r\nTo: alice@example.com\r\n"
               "Subject: Message %1\r\nDate: Mon, 02 Mar 2026 10:0%2:00 +0000\r\n\r\nBody %1\r\n")
        .arg(n)
        .arg(n % 10)
        .toUtf8();
}

class CacheTest : public ImapTest {
  protected:
    // A fresh mailbox for the running test, owned by `user`, holding `count` messages.
    void prepare(const QString& user, int count, const QString& suffix = {}) {
        client = logon(user);
        other = logon(user);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mailbox = QStringLiteral("C-%1%2").arg(QString::fromLatin1(info->name()), suffix);
        client->create(mailbox);
        for (int i = 1; i <= count; ++i) appendFromOther(i);
        // Asked for rather than taken from APPEND, which reports no UID without UIDPLUS.
        other->select(mailbox);
        uids = other->allUids();
        cache = std::make_unique<HeaderCache>(dir.filePath("cache.sqlite"));
    }

    quint32 appendFromOther(int n) { return other->append(mailbox, message(n), 0); }

    QList<MessageSummary> fromServer() {
        client->select(mailbox);
        return client->fetchSummaries(client->allUids());
    }

    QTemporaryDir dir;
    std::unique_ptr<Client> client, other;
    std::unique_ptr<HeaderCache> cache;
    QString mailbox;
    QList<quint32> uids;
};

}  // namespace

TEST_F(CacheTest, FirstSyncFetchesEverythingTheNextNothingAndItIsKeptOnDisk) {
    prepare(QStringLiteral("alice"), 3);
    EXPECT_EQ(cache->sync(*client, mailbox), (SyncReport{.rebuilt = true, .fetched = 3}));
    const QList<MessageSummary> server = fromServer();
    ASSERT_EQ(server.size(), 3);
    EXPECT_EQ(cache->messages(mailbox), server);
    EXPECT_EQ(cache->sync(*client, mailbox), SyncReport{});

    cache.reset();
    HeaderCache reopened(dir.filePath("cache.sqlite"));
    EXPECT_EQ(reopened.messages(mailbox), server);
    EXPECT_EQ(reopened.sync(*client, mailbox), SyncReport{});
    EXPECT_EQ(reopened.status(mailbox)->uidValidity, client->select(mailbox).uidValidity);
    EXPECT_TRUE(reopened.messages(QStringLiteral("never opened")).isEmpty());
}

// Both ways of catching up: CONDSTORE (alice) and comparing every flag (legacy).
TEST_F(CacheTest, ChangesByAnotherClientAreSeenOnTheNextSync) {
    for (const char* user : {"alice", "legacy"}) {
        SCOPED_TRACE(user);
        prepare(QString::fromLatin1(user), 3, QString::fromLatin1(user));
        cache->sync(*client, mailbox);

        other->addFlags(uids[0], Seen | Flagged);
        const bool canExpunge = other->capabilities().uidPlus;
        if (canExpunge) other->deleteMessage(uids[1]);
        appendFromOther(4);

        EXPECT_EQ(cache->sync(*client, mailbox),
                  (SyncReport{.fetched = 1, .removed = canExpunge ? 1 : 0, .flagsChanged = 1}));
        const QList<MessageSummary> server = fromServer();
        EXPECT_EQ(cache->messages(mailbox), server);
        EXPECT_EQ(server.size(), canExpunge ? 3 : 4);
        EXPECT_EQ(server.first().flags, unsigned(Seen | Flagged));
        EXPECT_EQ(server.last().envelope.subject, "Message 4");

        // Only a flag changed: no count or next UID tells, the modification sequence must.
        other->addFlags(uids[2], Flagged);
        EXPECT_EQ(cache->sync(*client, mailbox), (SyncReport{.flagsChanged = 1}));
        EXPECT_EQ(cache->messages(mailbox), fromServer());
    }
}

TEST_F(CacheTest, ChangedUidValidityThrowsTheOldSummariesAway) {
    prepare(QStringLiteral("alice"), 2);
    cache->sync(*client, mailbox);
    const quint32 oldValidity = cache->status(mailbox)->uidValidity;
    // Dovecot drops a session whose selected mailbox is deleted.
    client->select(QStringLiteral("INBOX"));
    other->select(QStringLiteral("INBOX"));
    other->remove(mailbox);
    other->create(mailbox);
    appendFromOther(7);

    EXPECT_EQ(cache->sync(*client, mailbox), (SyncReport{.rebuilt = true, .fetched = 1}));
    EXPECT_NE(cache->status(mailbox)->uidValidity, oldValidity);
    const QList<MessageSummary> cached = cache->messages(mailbox);
    ASSERT_EQ(cached.size(), 1);
    EXPECT_EQ(cached[0].envelope.subject, "Message 7");
}

// A cache file written by an earlier layout of the tables (no subject column, no
// version) is dropped and filled again instead of failing every open.
TEST_F(CacheTest, ACacheFileOfAnEarlierLayoutIsFilledAgain) {
    prepare(QStringLiteral("alice"), 2);
    cache.reset();
    const QString path = dir.filePath("old.sqlite");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        const QByteArray sql =
            "CREATE TABLE mailbox(name TEXT PRIMARY KEY, uidvalidity INTEGER NOT NULL, "
            "uidnext INTEGER NOT NULL, highestmodseq INTEGER NOT NULL);"
            "CREATE TABLE message(mailbox TEXT NOT NULL, uidvalidity INTEGER NOT NULL, "
            "uid INTEGER NOT NULL, flags INTEGER NOT NULL, internaldate INTEGER NOT NULL, "
            "size INTEGER NOT NULL, envelope BLOB NOT NULL, "
            "PRIMARY KEY(mailbox, uidvalidity, uid)) WITHOUT ROWID;"
            "INSERT INTO mailbox VALUES('" +
            mailbox.toUtf8() + "', " + QByteArray::number(client->select(mailbox).uidValidity) +
            ", 3, 1);";
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    HeaderCache upgraded(path);
    EXPECT_FALSE(upgraded.status(mailbox).has_value());
    EXPECT_EQ(upgraded.sync(*client, mailbox), (SyncReport{.rebuilt = true, .fetched = 2}));
    EXPECT_EQ(upgraded.messages(mailbox), fromServer());
    EXPECT_EQ(upgraded.sync(*client, mailbox), SyncReport{});
}
