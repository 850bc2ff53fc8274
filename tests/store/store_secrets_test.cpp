// Account passwords never rest in the store file. The tests run without a
// session bus, so they are kept in the owner-only file beside the store; stores
// an older version wrote have theirs moved there at their next open, and an
// account added again for the same server and user updates the one there.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "OldStore.h"
#include "store/Accounts.h"
#include "store/Database.h"
#include "store/Secrets.h"
#include "store/StoreBackend.h"
#include "support/StoreTestUtil.h"

namespace {

int modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QJsonArray fileAccounts(const QString& storePath) {
    QFile f(store::secretsFilePath(storePath));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object().value(QLatin1String("accounts")).toArray();
}

using namespace secretstest;

// An account as the logon sees it.
struct Kept {
    QString profile, server, user;
    int port;
    QString password;
    std::int64_t rid;
    QString security = QStringLiteral("none"), fingerprint = QString();
    int timeout = 0;
};

std::vector<Kept> keptAccounts(store::Db& db) {
    std::vector<Kept> out;
    store::Stmt q = db.prepare("SELECT rid, name FROM profiles ORDER BY rid");
    while (q.step())
        for (const store::AccountEntry& e : store::profileAccounts(db, q.integer(0)))
            out.push_back({q.text(1), e.server, e.user, e.port,
                           store::keptPassword(db, q.text(1), e), e.rid, e.security, e.fingerprint,
                           e.timeout});
    return out;
}

void expectAccounts(const std::vector<Kept>& got, const std::vector<Kept>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].profile, want[i].profile);
        EXPECT_EQ(got[i].server, want[i].server);
        EXPECT_EQ(got[i].user, want[i].user);
        EXPECT_EQ(got[i].port, want[i].port);
        EXPECT_EQ(got[i].password, want[i].password);
        EXPECT_EQ(got[i].rid, want[i].rid);
        EXPECT_EQ(got[i].security, want[i].security);
        EXPECT_EQ(got[i].fingerprint, want[i].fingerprint);
        EXPECT_EQ(got[i].timeout, want[i].timeout);
    }
}

TEST(StoreSecrets, WithoutASecretServiceThePasswordGoesToTheOwnerOnlyFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    store::AccountEntry e;
    e.server = QStringLiteral("mail.example");
    e.user = QStringLiteral("ann");
    e.password = QStringLiteral("Zq-file-pass");
    EXPECT_TRUE(store::addAccount(*db, QStringLiteral("P"), e));

    EXPECT_FALSE(store::secretServiceInUse());
    EXPECT_FALSE(rawBytes(path).contains("Zq-file-pass"));
    EXPECT_EQ(modeOf(store::secretsFilePath(path)), 0600);
    EXPECT_EQ(store::secretsFilePath(path), dir.filePath(QStringLiteral("secrets")));
    QFile f(store::secretsFilePath(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_TRUE(doc.value(QLatin1String("about")).toString().contains(QLatin1String("owner only")));
    const QJsonArray want{QJsonObject{{"store", "mailstore.db"},
                                      {"profile", "P"},
                                      {"kind", "imap"},
                                      {"server", "mail.example"},
                                      {"user", "ann"},
                                      {"password", "Zq-file-pass"}}};
    EXPECT_EQ(doc.value(QLatin1String("accounts")).toArray(), want);
    // The store's own column is left empty; the logon finds the password in the file.
    EXPECT_EQ(store::profileAccounts(*db, profileId(*db, QStringLiteral("P"))).at(0).password,
              QString());
    expectAccounts(keptAccounts(*db), {{"P", "mail.example", "ann", 143, "Zq-file-pass", 1}});
}

// Each row: the account added again with other settings, and what the profile
// then holds. The account keeps its row (and so its header cache) throughout.
TEST(StoreSecrets, TheSameAccountAddedAgainUpdatesTheOneThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    struct Step {
        QString profile;
        Kept add;
        bool added;
        std::vector<Kept> then;
        int passwordsInFile;
    };
    const std::vector<Step> steps = {
        {"P",
         {"", "mail.example", "ann", 143, "Zq-first", 0},
         true,
         {{"P", "mail.example", "ann", 143, "Zq-first", 1}},
         1},
        // Host, user and profile names compare without regard to case.
        {"p",
         {"", "MAIL.example", "Ann", 993, "Zq-second", 0, "tls", "ab:cd", 9},
         false,
         {{"P", "MAIL.example", "Ann", 993, "Zq-second", 1, "tls", "ab:cd", 9}},
         1},
        // Without a password file no password is kept any more.
        {"P",
         {"", "mail.example", "ann", 143, "", 0, "starttls"},
         false,
         {{"P", "mail.example", "ann", 143, "", 1, "starttls"}},
         0},
        {"P",
         {"", "other.example", "ann", 143, "Zq-other", 0},
         true,
         {{"P", "mail.example", "ann", 143, "", 1, "starttls"},
          {"P", "other.example", "ann", 143, "Zq-other", 2}},
         1},
    };
    const QString cache = store::accountCachePath(path, 1);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const Step& s = steps[i];
        store::AccountEntry e;
        e.server = s.add.server;
        e.user = s.add.user;
        e.port = s.add.port;
        e.password = s.add.password;
        e.security = s.add.security;
        e.fingerprint = s.add.fingerprint;
        e.timeout = s.add.timeout;
        EXPECT_EQ(store::addAccount(*db, s.profile, e), s.added);
        expectAccounts(keptAccounts(*db), s.then);
        EXPECT_EQ(fileAccounts(path).size(), s.passwordsInFile);
        QFile secrets(store::secretsFilePath(path));
        const QByteArray kept =
            secrets.open(QIODevice::ReadOnly) ? secrets.readAll() : QByteArray();
        for (const char* old : {"Zq-first", "Zq-second"}) {
            EXPECT_FALSE(rawBytes(path).contains(old)) << old;
            if (s.add.password != QLatin1String(old)) {
                EXPECT_FALSE(kept.contains(old)) << old;
            }
        }
        if (i == 0) {
            QFile f(cache);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        EXPECT_TRUE(QFile::exists(cache));
    }
}

// Stores an older version wrote, with the passwords in the store file and the
// same account sometimes added twice; what the next open leaves.
TEST(StoreSecrets, AnOlderStoreLosesItsPasswordsAndDuplicatesAtTheNextOpen) {
    struct Case {
        const char* what;
        bool wal;  // the passwords still in a write-ahead log a crash left behind
        std::vector<OldRow> rows;
        std::vector<Kept> then;
        std::vector<std::int64_t> cachesGone;
    };
    const std::vector<Case> cases = {
        {"one account",
         false,
         {{"P", "mail.example", "ann", 143, "Zq-one-1"}},
         {{"P", "mail.example", "ann", 143, "Zq-one-1", 1}},
         {}},
        {"one account, in the log",
         true,
         {{"P", "mail.example", "ann", 143, "Zq-one-2"}},
         {{"P", "mail.example", "ann", 143, "Zq-one-2", 1}},
         {}},
        {"added twice: the later one stays",
         false,
         {{"P", "mail.example", "ann", 143, "Zq-older-3"},
          {"P", "MAIL.example", "Ann", 993, "Zq-newer-3"}},
         {{"P", "MAIL.example", "Ann", 993, "Zq-newer-3", 2}},
         {1}},
        {"added three times, in the log",
         true,
         {{"P", "mail.example", "ann", 143, "Zq-first-4"},
          {"P", "mail.example", "ann", 144, "Zq-second-4"},
          {"P", "mail.example", "ann", 145, ""}},
         {{"P", "mail.example", "ann", 145, "", 3}},
         {1, 2}},
        {"one account in each of two profiles",
         false,
         {{"P", "mail.example", "ann", 143, "Zq-p-5"}, {"Q", "mail.example", "ann", 143, "Zq-q-5"}},
         {{"P", "mail.example", "ann", 143, "Zq-p-5", 1},
          {"Q", "mail.example", "ann", 143, "Zq-q-5", 2}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString written = dir.filePath(QStringLiteral("written.db"));
        const QString path = dir.filePath(QStringLiteral("mailstore.db"));
        {
            auto db = store::Db::open(written, true);
            if (c.wal) db->exec("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
            writeOldAccounts(*db, c.rows);
            // Copied while still open, as a crash would leave it: the log not yet
            // copied back into the store file.
            for (const char* suffix : {"", "-wal"}) {
                if (QFile::exists(written + QLatin1String(suffix))) {
                    ASSERT_TRUE(
                        QFile::copy(written + QLatin1String(suffix), path + QLatin1String(suffix)));
                }
            }
        }
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            QFile f(store::accountCachePath(path, std::int64_t(i) + 1));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            if (!c.rows[i].password.isEmpty()) {
                ASSERT_TRUE(rawBytes(path).contains(c.rows[i].password.toUtf8()));
            }
        }
        if (c.wal) {
            ASSERT_GT(QFile(path + QStringLiteral("-wal")).size(), 0);
        }

        auto backend = std::make_shared<store::Backend>(path);
        std::shared_ptr<store::Db> db = backend->db();
        const QByteArray bytes = rawBytes(path);
        for (const OldRow& r : c.rows) {
            if (!r.password.isEmpty()) {
                EXPECT_FALSE(bytes.contains(r.password.toUtf8())) << qPrintable(r.password);
            }
        }
        expectAccounts(keptAccounts(*db), c.then);
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const std::int64_t rid = std::int64_t(i) + 1;
            const bool gone =
                std::find(c.cachesGone.begin(), c.cachesGone.end(), rid) != c.cachesGone.end();
            EXPECT_EQ(QFile::exists(store::accountCachePath(path, rid)), !gone) << rid;
        }
        // The passwords of the accounts that went are not kept anywhere.
        QFile secrets(store::secretsFilePath(path));
        const QByteArray kept =
            secrets.open(QIODevice::ReadOnly) ? secrets.readAll() : QByteArray();
        for (const OldRow& r : c.rows) {
            const bool stays = std::any_of(c.then.begin(), c.then.end(),
                                           [&](const Kept& k) { return k.password == r.password; });
            if (!r.password.isEmpty()) {
                EXPECT_EQ(kept.contains(r.password.toUtf8()), stays);
            }
        }
    }
}

// One logged-on account as the store sees it; nothing is asked of it here.
class NoAccount : public store::AccountSession {
  public:
    mapi::Ref<mapi::InfoStore> infoStore() override { return {}; }
    bool ownsStoreId(const QString&) override { return false; }
    mapi::Ref<mapi::Folder> outbox() override { return {}; }
    mapi::Ref<mapi::Folder> folderById(const QString&) override { return {}; }
    mapi::Ref<mapi::Message> messageById(const QString&) override { return {}; }
};

// The logon opens the account added last, with its password, whether or not the
// open could take the older one away first (another program holding the store).
TEST(StoreSecrets, AProfileWithAnAccountAddedTwiceLogsOnToTheLaterOne) {
    for (bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "store locked by another program" : "store free");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mailstore.db"));
        {
            auto db = store::Db::open(path, true);
            writeOldAccounts(*db, {{"P", "mail.example", "ann", 143, "Zq-old", "fake"},
                                   {"P", "mail.example", "ann", 993, "Zq-new", "fake"}});
        }
        std::vector<store::AccountLogon> logons;
        store::installAccountOpener(QStringLiteral("fake"), [&](const store::AccountLogon& l) {
            logons.push_back(l);
            return std::make_shared<NoAccount>();
        });
        std::shared_ptr<store::Db> holder;
        std::optional<store::Db::Transaction> lock;
        if (locked) {
            holder = store::Db::open(path, false);
            lock.emplace(*holder);
        }
        std::make_shared<store::Backend>(path)->install();
        mapi::Ref<mapi::Session> s = storetest::logon(QStringLiteral("P"));
        ASSERT_EQ(logons.size(), 1u);
        EXPECT_EQ(logons[0].entry.port, 993);
        EXPECT_EQ(logons[0].password, QStringLiteral("Zq-new"));
        EXPECT_EQ(logons[0].cachePath, store::accountCachePath(path, 2));
        s->Logoff();
        lock.reset();
        holder.reset();
        store::installAccountOpener(QStringLiteral("fake"), {});
    }
}

}  // namespace
