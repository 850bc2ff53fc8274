// OAuth 2.0 accounts in the store: their settings in the account row (a store
// written before they existed reads as password accounts and gains the columns
// with its next account), and their tokens kept like a password but apart from
// it, never in the store file, following the account through a profile rename
// and gone with the account, a sign-out or a change of authorization server.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "OldStore.h"
#include "store/Accounts.h"
#include "store/Database.h"
#include "store/ProfileAdmin.h"
#include "store/Secrets.h"

namespace {

using namespace secretstest;

store::AccountEntry oauthAccount() {
    store::AccountEntry e;
    e.server = QStringLiteral("imap.example");
    e.user = QStringLiteral("ann@example.com");
    e.security = QStringLiteral("tls");
    e.port = 993;
    e.auth = QStringLiteral("oauth2");
    e.authorizeUrl = QStringLiteral("https://login.example/authorize");
    e.tokenUrl = QStringLiteral("https://login.example/token");
    e.scope = QStringLiteral("imap offline_access");
    e.clientId = QStringLiteral("client-1");
    e.clientSecret = QStringLiteral("not-so-secret");
    return e;
}

const store::OAuthTokens kTokens{QStringLiteral("Zq-access-token"), QStringLiteral("Zq-refresh"),
                                 QDateTime(QDate(2030, 1, 2), QTime(3, 4, 5), Qt::UTC)};

// The kinds of the entries of the owner-only file, in order.
QStringList kindsInFile(const QString& storePath) {
    QFile f(store::secretsFilePath(storePath));
    QStringList kinds;
    if (!f.open(QIODevice::ReadOnly)) return kinds;
    for (const QJsonValue& v :
         QJsonDocument::fromJson(f.readAll()).object().value(QLatin1String("accounts")).toArray())
        kinds << v.toObject().value(QLatin1String("kind")).toString();
    return kinds;
}

store::AccountEntry only(store::Db& db, const QString& profile) {
    const std::vector<store::AccountEntry> all = store::profileAccounts(db, profileId(db, profile));
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? store::AccountEntry{} : all.front();
}

TEST(StoreOAuthAccounts, TheSettingsAreKeptInTheRowAndOlderStoresReadAsPasswordAccounts) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    writeOldAccounts(*db, {{"Old", "old.example", "bob", 143, ""}});
    EXPECT_EQ(only(*db, QStringLiteral("Old")).auth, QStringLiteral("password"));
    EXPECT_FALSE(only(*db, QStringLiteral("Old")).usesOAuth2());

    ASSERT_TRUE(store::addAccount(*db, QStringLiteral("P"), oauthAccount()));
    const store::AccountEntry e = only(*db, QStringLiteral("P"));
    const store::AccountEntry want = oauthAccount();
    EXPECT_TRUE(e.usesOAuth2());
    EXPECT_EQ(e.authorizeUrl, want.authorizeUrl);
    EXPECT_EQ(e.tokenUrl, want.tokenUrl);
    EXPECT_EQ(e.scope, want.scope);
    EXPECT_EQ(e.clientId, want.clientId);
    EXPECT_EQ(e.clientSecret, want.clientSecret);
    // The older account, in the table its version made, keeps its defaults.
    EXPECT_EQ(only(*db, QStringLiteral("Old")).auth, QStringLiteral("password"));
    EXPECT_EQ(only(*db, QStringLiteral("Old")).tokenUrl, QString());
}

TEST(StoreOAuthAccounts, TokensAreKeptApartFromThePasswordAndFollowTheAccount) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    store::AccountEntry e = oauthAccount();
    ASSERT_TRUE(store::addAccount(*db, QStringLiteral("P"), e));
    e = only(*db, QStringLiteral("P"));
    EXPECT_FALSE(store::keptTokens(*db, QStringLiteral("P"), e));

    store::keepTokens(*db, QStringLiteral("P"), e, kTokens);
    // A password kept for the same server and user is another secret.
    store::keepSecret(store::secretOwner(*db, QStringLiteral("P"), e), QStringLiteral("Zq-pw"));
    EXPECT_EQ(kindsInFile(path), (QStringList{"imap-oauth2", "imap"}));
    std::optional<store::OAuthTokens> t = store::keptTokens(*db, QStringLiteral("P"), e);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->access, kTokens.access);
    EXPECT_EQ(t->refresh, kTokens.refresh);
    EXPECT_EQ(t->expires, kTokens.expires);
    EXPECT_EQ(store::keptPassword(*db, QStringLiteral("P"), e), QStringLiteral("Zq-pw"));
    EXPECT_FALSE(rawBytes(path).contains("Zq-"));

    // The logon's callbacks read and replace the same secret.
    store::AccountLogon logon;
    logon.entry = e;
    store::attachTokens(logon, *db, QStringLiteral("P"));
    ASSERT_TRUE(logon.loadTokens && logon.saveTokens);
    EXPECT_EQ(logon.loadTokens()->access, kTokens.access);
    logon.saveTokens({QStringLiteral("Zq-renewed"), kTokens.refresh, kTokens.expires});
    EXPECT_EQ(store::keptTokens(*db, QStringLiteral("P"), e)->access, QStringLiteral("Zq-renewed"));

    store::renameProfile(*db, QStringLiteral("P"), QStringLiteral("Q"));
    EXPECT_FALSE(store::keptTokens(*db, QStringLiteral("P"), e));
    ASSERT_TRUE(store::keptTokens(*db, QStringLiteral("Q"), e));
    EXPECT_EQ(store::keptTokens(*db, QStringLiteral("Q"), e)->refresh, kTokens.refresh);

    // Signed out: the tokens go, the password stays.
    store::forgetTokens(*db, QStringLiteral("Q"), e);
    EXPECT_FALSE(store::keptTokens(*db, QStringLiteral("Q"), e));
    EXPECT_EQ(kindsInFile(path), QStringList{"imap"});

    store::keepTokens(*db, QStringLiteral("Q"), e, kTokens);
    ASSERT_TRUE(store::removeAccount(*db, QStringLiteral("Q"), e.server, e.user));
    EXPECT_EQ(kindsInFile(path), QStringList());
}

TEST(StoreOAuthAccounts, AnotherAuthorizationServerOrClientForgetsTheTokens) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mailstore.db"));
    auto db = store::Db::open(path, true);
    struct Change {
        const char* what;
        std::function<void(store::AccountEntry&)> change;
        bool kept;
    };
    const std::vector<Change> changes = {
        {"the port", [](store::AccountEntry& e) { e.port = 1993; }, true},
        {"the scope", [](store::AccountEntry& e) { e.scope = QStringLiteral("imap"); }, true},
        {"the token URL",
         [](store::AccountEntry& e) { e.tokenUrl = QStringLiteral("https://other.example/t"); },
         false},
        {"the client", [](store::AccountEntry& e) { e.clientId = QStringLiteral("client-2"); },
         false},
        {"a password account", [](store::AccountEntry& e) { e.auth = QStringLiteral("password"); },
         false},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        store::AccountEntry e = oauthAccount();
        store::addAccount(*db, QStringLiteral("P"), e);
        store::keepTokens(*db, QStringLiteral("P"), e, kTokens);
        c.change(e);
        EXPECT_FALSE(store::addAccount(*db, QStringLiteral("P"), e));
        EXPECT_EQ(store::keptTokens(*db, QStringLiteral("P"), e).has_value(), c.kept);
        store::forgetTokens(*db, QStringLiteral("P"), e);
    }
}

}  // namespace
