// An OAuth 2.0 account against a private Dovecot that validates HS256 JWTs
// locally: XOAUTH2 with tokens of the size providers issue, a token the server
// refuses, the protocol log with the token masked, and a connection lost in the
// middle of a session, which logs on again with a token asked for afresh (where
// an expired one is refreshed) or fails saying why there is none.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <memory>

#include "DovecotServer.h"
#include "DroppingProxy.h"
#include "ImapStoreTestUtil.h"
#include "imap/ProtocolLog.h"
#include "imapstore/Account.h"
#include "messaging/Error.h"

namespace {

const QByteArray kKey = "imapstore-oauth-test-key-0123456789";

// Dovecot reads the key when it starts: only this instance validates tokens.
DovecotServer& server() {
    static const std::unique_ptr<DovecotServer> s = [] {
        qputenv("DOVECOT_OAUTH2_KEY", kKey);
        auto d = std::make_unique<DovecotServer>();
        qunsetenv("DOVECOT_OAUTH2_KEY");
        return d;
    }();
    return *s;
}

QByteArray b64(const QByteArray& data) {
    return data.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// A signed token for `user` valid for `seconds`, padded to about `size` characters.
QString jwt(const QString& user, int seconds, int size = 0, const QByteArray& key = kKey) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QJsonObject claims{{QStringLiteral("sub"), user},
                       {QStringLiteral("iat"), now - 5},
                       {QStringLiteral("exp"), now + seconds}};
    const QByteArray header = b64(R"({"alg":"HS256","typ":"JWT"})");
    const auto sign = [&] {
        const QByteArray body =
            header + '.' + b64(QJsonDocument(claims).toJson(QJsonDocument::Compact));
        return QString::fromLatin1(
            body + '.' +
            b64(QMessageAuthenticationCode::hash(body, key, QCryptographicHash::Sha256)));
    };
    QString token = sign();
    if (size > token.size()) {
        claims.insert(QStringLiteral("pad"), QString((size - token.size()) * 3 / 4, u'p'));
        token = sign();
    }
    return token;
}

struct CollectedLog : imap::ProtocolLog {
    QByteArray text;
    void write(imap::Direction d, const QByteArray& data) override {
        text += (d == imap::Direction::Sent ? "C: " : "S: ") + data;
    }
};

class OAuthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Never skipped: a Dovecot that cannot be set up fails the test.
        ASSERT_FALSE(server().missing()) << server().failure().toStdString();
        ASSERT_NE(server().imapPort(), 0) << server().failure().toStdString();
    }
    static imapstore::AccountSettings oauthSettings(quint16 port, std::function<QString()> token) {
        imapstore::AccountSettings a = imapstore_test::settings(port, QStringLiteral("alice"));
        a.password.clear();
        a.accessToken = std::move(token);
        return a;
    }
};

TEST_F(OAuthTest, TokensOfProviderSizesLogOnAndNeverReachTheLog) {
    for (const int size : {0, 3000, 4000}) {
        const QString token = jwt(QStringLiteral("alice"), 600, size);
        if (size) {
            EXPECT_GE(token.size(), size);
        }
        CollectedLog log;
        imapstore::AccountSettings a = oauthSettings(server().imapPort(), [&] { return token; });
        a.log = &log;
        auto account = imapstore::Account::open(a);
        EXPECT_EQ(account->mailboxes().front().name, QStringLiteral("INBOX")) << size;
        EXPECT_TRUE(log.text.contains(" AUTHENTICATE XOAUTH2 ***\r\n")) << log.text.toStdString();
        EXPECT_TRUE(log.text.contains("S: ") && log.text.contains(" OK "));
        // Neither the token nor its SASL encoding, whole or in part.
        const QByteArray sasl = ("user=alice\x01"
                                 "auth=Bearer " +
                                 token.toLatin1() + "\x01\x01")
                                    .toBase64();
        for (const QByteArray& secret : {token.toLatin1(), sasl})
            for (qsizetype at = 0; at + 32 <= secret.size(); at += 32)
                ASSERT_FALSE(log.text.contains(secret.mid(at, 32)))
                    << size << ": the log holds part of the token";
    }
}

TEST_F(OAuthTest, AConnectionLostMidSessionLogsOnWithATokenAskedForAgain) {
    DroppingProxy proxy(server().imapPort());
    int asked = 0;
    bool revoked = false;
    auto account = imapstore::Account::open(oauthSettings(proxy.port(), [&] {
        ++asked;
        if (revoked)
            mapi::raise(mapi::code::LogonFailed,
                        QStringLiteral("The sign-in of alice@127.0.0.1 is no longer accepted: "
                                       "sign the account in again."));
        return jwt(QStringLiteral("alice"), 600);
    }));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(account->mailboxes().empty());
    // The first token may have expired by now: the new connection asks again.
    proxy.dropAll("* BYE Disconnected for inactivity.\r\n");
    account->refresh(QStringLiteral("INBOX"));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(proxy.connections(), 2);

    revoked = true;
    proxy.dropAll();
    imapstore_test::expectError([&] { account->refresh(QStringLiteral("INBOX")); },
                                mapi::code::LogonFailed,
                                QStringLiteral("The sign-in of alice@127.0.0.1 is no longer "
                                               "accepted: sign the account in again."));
    EXPECT_EQ(asked, 3);
    // Not connected with nothing to log on with: no connection was even tried.
    EXPECT_EQ(proxy.connections(), 2);
}

// Last: Dovecot delays the next logons from an address that just failed one.
TEST_F(OAuthTest, ATokenTheServerRefusesFailsTheLogon) {
    // Expired, and signed with another key.
    for (const QString& token :
         {jwt(QStringLiteral("alice"), -10), jwt(QStringLiteral("alice"), 600, 0, "another key")}) {
        CollectedLog log;
        imapstore::AccountSettings a = oauthSettings(server().imapPort(), [&] { return token; });
        a.log = &log;
        imapstore_test::expectError([&] { imapstore::Account::open(a); }, mapi::code::LogonFailed,
                                    QString());
        // The server's answer to the refused token, after the empty response
        // XOAUTH2 asks for, is in the log.
        EXPECT_TRUE(log.text.contains(" NO [AUTHENTICATIONFAILED]")) << log.text.toStdString();
    }
}

}  // namespace
