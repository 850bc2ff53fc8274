// Account passwords in the desktop's secret service: run by with_secret_service.sh
// on a private session bus with a fresh gnome-keyring, read back with secret-tool
// (libsecret's own client) to see they are really there.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "OldStore.h"
#include "store/Accounts.h"
#include "store/Secrets.h"
#include "store/StoreBackend.h"

using namespace secretstest;

namespace {

// The password the service holds for the owner, as secret-tool reads it; none
// when it has none.
std::optional<QString> inService(const store::SecretOwner& owner) {
    QProcess p;
    p.start(QStringLiteral("secret-tool"),
            {QStringLiteral("lookup"), QStringLiteral("server"), store::secretServiceName(),
             QStringLiteral("user"), store::secretServiceKey(owner)});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "secret-tool did not finish";
        return std::nullopt;
    }
    if (p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

store::AccountEntry account(const QString& server, const QString& password) {
    store::AccountEntry e;
    e.server = server;
    e.user = QStringLiteral("ann");
    e.password = password;
    return e;
}

TEST(SecretService, RunsHere) {
    // Everything below would pass on the file alone: make sure it is the service.
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        << "run through with_secret_service.sh";
}

TEST(SecretService, AnAddedAccountsPasswordGoesThereAndNowhereElse) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    const store::AccountEntry e =
        account(QStringLiteral("mail.example"), QStringLiteral("Zq-svc-1"));
    store::addAccount(*db, QStringLiteral("P"), e);
    EXPECT_TRUE(store::secretServiceInUse());
    const store::SecretOwner owner = store::secretOwner(*db, QStringLiteral("P"), e);
    EXPECT_EQ(inService(owner), QStringLiteral("Zq-svc-1"));
    EXPECT_FALSE(QFile::exists(store::secretsFilePath(path)));
    EXPECT_FALSE(rawBytes(path).contains("Zq-svc-1"));
    const store::AccountEntry stored = store::profileAccounts(*db, profileId(*db, "P")).at(0);
    EXPECT_EQ(store::keptPassword(*db, QStringLiteral("P"), stored), QStringLiteral("Zq-svc-1"));

    // Added again: the new password replaces it; without one, none is kept.
    store::addAccount(*db, QStringLiteral("P"),
                      account(QStringLiteral("mail.example"), QStringLiteral("Zq-svc-2")));
    EXPECT_EQ(inService(owner), QStringLiteral("Zq-svc-2"));
    store::addAccount(*db, QStringLiteral("P"), account(QStringLiteral("mail.example"), QString()));
    EXPECT_EQ(inService(owner), std::nullopt);
    EXPECT_EQ(store::keptPassword(*db, QStringLiteral("P"), stored), QString());
}

// Two profile folders with the same account keep two passwords.
TEST(SecretService, EachStoreKeepsItsOwn) {
    QTemporaryDir one, two;
    auto a = store::Db::open(one.filePath(QStringLiteral("mailstore.db")), true);
    auto b = store::Db::open(two.filePath(QStringLiteral("mailstore.db")), true);
    const store::AccountEntry e = account(QStringLiteral("mail.example"), QStringLiteral("Zq-a"));
    store::addAccount(*a, QStringLiteral("P"), e);
    store::addAccount(*b, QStringLiteral("P"),
                      account(QStringLiteral("mail.example"), QStringLiteral("Zq-b")));
    EXPECT_EQ(inService(store::secretOwner(*a, QStringLiteral("P"), e)), QStringLiteral("Zq-a"));
    EXPECT_EQ(inService(store::secretOwner(*b, QStringLiteral("P"), e)), QStringLiteral("Zq-b"));
}

TEST(SecretService, AnOlderStoresPasswordsMoveThereAtItsNextOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    {
        auto db = store::Db::open(path, true);
        writeOldAccounts(*db, {{"P", "mail.example", "ann", 143, "Zq-old-1"},
                               {"P", "mail.example", "ann", 993, "Zq-old-2"}});
    }
    ASSERT_TRUE(rawBytes(path).contains("Zq-old-2"));
    auto backend = std::make_shared<store::Backend>(path);
    std::shared_ptr<store::Db> db = backend->db();
    for (const char* gone : {"Zq-old-1", "Zq-old-2"}) EXPECT_FALSE(rawBytes(path).contains(gone));
    EXPECT_FALSE(QFile::exists(store::secretsFilePath(path)));
    const std::vector<store::AccountEntry> left = store::profileAccounts(*db, profileId(*db, "P"));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].port, 993);
    EXPECT_EQ(inService(store::secretOwner(*db, QStringLiteral("P"), left[0])),
              QStringLiteral("Zq-old-2"));
    EXPECT_EQ(store::keptPassword(*db, QStringLiteral("P"), left[0]), QStringLiteral("Zq-old-2"));
}

// A password kept in the file while no service answered is still found, and
// leaves the file once the service takes it.
TEST(SecretService, APasswordTheFileKeptIsFoundAndMovesThereWhenKeptAgain) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    store::addAccount(*db, QStringLiteral("P"), account(QStringLiteral("mail.example"), QString()));
    {
        QFile f(store::secretsFilePath(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"accounts": [{"store": "mailstore.db", "profile": "P", "kind": "imap",
                   "server": "mail.example", "user": "ann", "password": "Zq-from-file"}]})");
    }
    const store::AccountEntry stored = store::profileAccounts(*db, profileId(*db, "P")).at(0);
    EXPECT_EQ(store::keptPassword(*db, QStringLiteral("P"), stored),
              QStringLiteral("Zq-from-file"));
    store::addAccount(*db, QStringLiteral("P"),
                      account(QStringLiteral("mail.example"), QStringLiteral("Zq-to-service")));
    EXPECT_FALSE(QFile::exists(store::secretsFilePath(path)));
    EXPECT_EQ(inService(store::secretOwner(*db, QStringLiteral("P"), stored)),
              QStringLiteral("Zq-to-service"));
}

}  // namespace
