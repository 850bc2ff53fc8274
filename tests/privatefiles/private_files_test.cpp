// Every file that holds mail or secrets is its owner's alone (files 0600,
// folders 0700) whatever the umask, and those an older version made readable to
// others are narrowed at their next open.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "imap/HeaderCache.h"
#include "imap/ProtocolLog.h"
#include "store/Accounts.h"
#include "store/Backend.h"
#include "store/Database.h"
#include "store/Secrets.h"
#include "support/StoreTestUtil.h"

namespace {

// -1 for a path that is not there.
int modeOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

// Sets the umask for one scope.
class Umask {
  public:
    explicit Umask(mode_t m) : was_(::umask(m)) {}
    ~Umask() { ::umask(was_); }

  private:
    mode_t was_;
};

// Points XDG_DATA_HOME somewhere for one scope.
class DataHome {
  public:
    explicit DataHome(const QString& path) : was_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(path));
    }
    ~DataHome() { qputenv("XDG_DATA_HOME", was_); }

  private:
    QByteArray was_;
};

void touch(const QString& path, int mode, const QByteArray& bytes = "old") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write(bytes);
    f.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)), 0);
}

void folder(const QString& path, int mode) {
    ASSERT_TRUE(QDir().mkpath(path));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)), 0);
}

store::AccountEntry account(const QString& password) {
    store::AccountEntry e;
    e.server = QStringLiteral("mail.example");
    e.user = QStringLiteral("ann");
    e.password = password;
    return e;
}

struct Case {
    const char* what;
    // Acts in the folder `dir` (a fresh one, itself 0700).
    std::function<void(const QString& dir)> act;
    // Paths below `dir` and the mode each must have afterwards.
    std::vector<std::pair<QString, int>> want;
};

// What the program creates.
std::vector<Case> creating() {
    return {
        {"the data folder and the missing folders above it",
         [](const QString& dir) {
             const DataHome home(dir + QStringLiteral("/share/data"));
             ASSERT_TRUE(store::makeProfilesDir());
         },
         {{"share", 0700}, {"share/data", 0700}, {"share/data/quorvane", 0700}}},
        {"a store and its rollback journal",
         [](const QString& dir) {
             auto db = store::Db::open(dir + QStringLiteral("/s.db"), true);
             store::Db::Transaction tx(*db);
             db->exec("INSERT INTO profiles(name) VALUES('P')");
             // The journal exists while the transaction is open.
             EXPECT_EQ(modeOf(dir + QStringLiteral("/s.db-journal")), 0600);
             tx.commit();
         },
         {{"s.db", 0600}}},
        {"a store in write-ahead-log mode, its log and index",
         [](const QString& dir) {
             auto db = store::Db::open(dir + QStringLiteral("/s.db"), true);
             db->exec("PRAGMA journal_mode = WAL; INSERT INTO profiles(name) VALUES('P');");
             EXPECT_EQ(modeOf(dir + QStringLiteral("/s.db-wal")), 0600);
             EXPECT_EQ(modeOf(dir + QStringLiteral("/s.db-shm")), 0600);
         },
         {{"s.db", 0600}}},
        {"a profile folder the store tool writes",
         [](const QString& dir) {
             QTemporaryDir json;
             store::createProfileDirectory(
                 storetest::writeFile(json, QStringLiteral("f.json"), storetest::fixtureJson()),
                 dir + QStringLiteral("/new/profile"));
         },
         {{"new", 0700}, {"new/profile", 0700}, {"new/profile/mailstore.db", 0600}}},
        {"an IMAP header cache, its log and index",
         [](const QString& dir) {
             imap::HeaderCache cache(dir + QStringLiteral("/account-1.cache"));
             EXPECT_EQ(modeOf(dir + QStringLiteral("/account-1.cache-wal")), 0600);
             EXPECT_EQ(modeOf(dir + QStringLiteral("/account-1.cache-shm")), 0600);
         },
         {{"account-1.cache", 0600}}},
        {"the IMAP protocol log",
         [](const QString& dir) {
             imap::FileProtocolLog log(dir + QStringLiteral("/imap.log"));
             ASSERT_TRUE(log.isOpen());
             log.write(imap::Direction::Sent, "a1 LOGIN ann ***\r\n");
         },
         {{"imap.log", 0600}}},
        {"the password file",
         [](const QString& dir) {
             auto db = store::Db::open(dir + QStringLiteral("/s.db"), true);
             store::addAccount(*db, QStringLiteral("P"), account(QStringLiteral("pw")));
         },
         {{"secrets", 0600}, {"s.db", 0600}}},
    };
}

// What an older version left readable to others, narrowed at the next open.
std::vector<Case> narrowing() {
    return {
        {"the data folder and everything in it, at start-up",
         [](const QString& dir) {
             const QString q = dir + QStringLiteral("/data/quorvane");
             folder(q, 0755);
             folder(q + QStringLiteral("/sub"), 0775);
             touch(q + QStringLiteral("/account-3.cache"), 0644);
             touch(q + QStringLiteral("/account-3.cache-wal"), 0644);
             touch(q + QStringLiteral("/secrets"), 0666);
             touch(q + QStringLiteral("/sub/x"), 0604);
             const DataHome home(dir + QStringLiteral("/data"));
             ASSERT_TRUE(store::makeProfilesDir());
         },
         {{"data/quorvane", 0700},
          {"data/quorvane/sub", 0700},
          {"data/quorvane/account-3.cache", 0600},
          {"data/quorvane/account-3.cache-wal", 0600},
          {"data/quorvane/secrets", 0600},
          {"data/quorvane/sub/x", 0600}}},
        {"a store and the journals beside it",
         [](const QString& dir) {
             store::Db::open(dir + QStringLiteral("/s.db"), true).reset();
             ASSERT_EQ(::chmod(QFile::encodeName(dir + QStringLiteral("/s.db")).constData(), 0644),
                       0);
             touch(dir + QStringLiteral("/s.db-journal"), 0644, "");
             store::Db::open(dir + QStringLiteral("/s.db"), false).reset();
         },
         {{"s.db", 0600}, {"s.db-journal", 0600}}},
        {"an IMAP header cache, its log and index",
         [](const QString& dir) {
             const QString path = dir + QStringLiteral("/account-1.cache");
             { imap::HeaderCache first(path); }
             for (const char* suffix : {"", "-wal", "-shm"}) {
                 const QString p = path + QLatin1String(suffix);
                 if (!QFile::exists(p)) touch(p, 0644, "");
                 ASSERT_EQ(::chmod(QFile::encodeName(p).constData(), 0644), 0);
             }
             imap::HeaderCache again(path);
             // The log and index go when the cache is closed.
             EXPECT_EQ(modeOf(path + QStringLiteral("-wal")), 0600);
             EXPECT_EQ(modeOf(path + QStringLiteral("-shm")), 0600);
         },
         {{"account-1.cache", 0600}}},
        {"the IMAP protocol log, appended to",
         [](const QString& dir) {
             touch(dir + QStringLiteral("/imap.log"), 0644, "C: earlier\n");
             {
                 imap::FileProtocolLog log(dir + QStringLiteral("/imap.log"));
                 log.write(imap::Direction::Received, "* OK\r\n");
             }
             QFile f(dir + QStringLiteral("/imap.log"));
             ASSERT_TRUE(f.open(QIODevice::ReadOnly));
             EXPECT_EQ(f.readAll(), QByteArray("C: earlier\nS: * OK\n"));
         },
         {{"imap.log", 0600}}},
    };
}

void check(const Case& c, mode_t mask) {
    SCOPED_TRACE(testing::Message() << c.what << ", umask 0" << std::oct << mask);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        const Umask umask(mask);
        c.act(dir.path());
    }
    for (const auto& [path, mode] : c.want)
        EXPECT_EQ(modeOf(dir.filePath(path)), mode) << qPrintable(path);
}

TEST(PrivateFiles, CreatedForTheOwnerOnlyWhateverTheUmask) {
    for (mode_t mask : {mode_t(022), mode_t(0)})
        for (const Case& c : creating()) check(c, mask);
}

TEST(PrivateFiles, OlderOnesReadableByOthersAreNarrowedAtTheNextOpen) {
    for (const Case& c : narrowing()) check(c, 022);
}

// A log or profile path the user names may be a device or a shared folder: those
// keep their modes.
TEST(PrivateFiles, OnlyThisUsersOwnFilesAndFoldersAreNarrowed) {
    const int devNull = modeOf(QStringLiteral("/dev/null"));
    {
        imap::FileProtocolLog log(QStringLiteral("/dev/null"));
        EXPECT_TRUE(log.isOpen());
    }
    EXPECT_EQ(modeOf(QStringLiteral("/dev/null")), devNull);

    QTemporaryDir dir;
    const QString shared = dir.filePath(QStringLiteral("shared"));
    folder(shared, 01777);
    QTemporaryDir json;
    store::createProfileDirectory(
        storetest::writeFile(json, QStringLiteral("f.json"), storetest::fixtureJson()), shared);
    EXPECT_EQ(modeOf(shared), 01777);
    EXPECT_EQ(modeOf(shared + QStringLiteral("/mailstore.db")), 0600);
}

// An account without a cache path caches in memory: no file of that name appears.
TEST(PrivateFiles, ADatabaseInMemoryIsNoFile) {
    QTemporaryDir dir;
    const QString was = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        imap::HeaderCache cache(QStringLiteral(":memory:"));
        store::Db::open(QStringLiteral(":memory:"), true).reset();
    }
    QDir::setCurrent(was);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

}  // namespace
