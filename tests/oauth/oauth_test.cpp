#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include "oauth/OAuthError.h"
#include "oauth/SignIn.h"
#include "oauth/TokenRequest.h"

namespace {

TEST(OAuthPkce, TheChallengeIsRfc7636sS256OfTheVerifier) {
    // RFC 7636 appendix B.
    EXPECT_EQ(oauth::codeChallenge(QStringLiteral("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk")),
              QStringLiteral("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    const QString a = oauth::newCodeVerifier();
    const QString b = oauth::newCodeVerifier();
    EXPECT_EQ(a.size(), 43);  // the shortest the RFC allows, from 32 random bytes
    EXPECT_NE(a, b);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9_-]{43}$")).match(a).hasMatch());
}

TEST(OAuthRefresh, ATokenIsRenewedWhenItExpiresWithinAMinute) {
    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    const struct {
        QDateTime expires;
        bool renewed;
    } cases[] = {
        {now.addSecs(3600), false},
        {now.addSecs(61), false},
        {now.addSecs(60), true},
        {now.addSecs(5), true},
        {now, true},
        {now.addSecs(-3600), true},
        {QDateTime(), false},  // the server gave no lifetime: used until refused
    };
    for (const auto& c : cases)
        EXPECT_EQ(oauth::needsRefresh(c.expires, now), c.renewed)
            << c.expires.toString().toStdString();
}

// A token endpoint on 127.0.0.1 answering every request with `reply`, keeping
// the last request's form.
class TokenEndpoint {
  public:
    explicit TokenEndpoint(QByteArray reply) : reply_(std::move(reply)) {
        server_.listen(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* s = server_.nextPendingConnection();
            QObject::connect(s, &QTcpSocket::readyRead, [this, s] {
                request_ += s->readAll();
                const qsizetype end = request_.indexOf("\r\n\r\n");
                if (end < 0) return;
                const qsizetype length =
                    request_.mid(request_.toLower().indexOf("content-length:") + 15)
                        .split('\r')
                        .value(0)
                        .trimmed()
                        .toLongLong();
                if (request_.size() < end + 4 + length) return;
                form_ = QUrlQuery(QString::fromLatin1(request_.mid(end + 4)));
                s->write(reply_);
                s->disconnectFromHost();
            });
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/token").arg(server_.serverPort()));
    }
    QString field(const char* name) const {
        return form_.queryItemValue(QLatin1String(name), QUrl::FullyDecoded);
    }

  private:
    QByteArray reply_;
    QTcpServer server_;
    QByteArray request_;
    QUrlQuery form_;
};

QByteArray http(const char* status, const QByteArray& type, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray(status) + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

oauth::ClientSettings client(const QUrl& tokenUrl) {
    return {QUrl(QStringLiteral("https://login.example/authorize")), tokenUrl,
            QStringLiteral("imap offline"), QStringLiteral("client+1&2"), QStringLiteral("s=3")};
}

TEST(OAuthTokenEndpoint, ARefreshSendsTheGrantAndReadsWhatServersAnswer) {
    struct Case {
        const char* name;
        QByteArray reply;
        QString access, refresh;  // expected, or empty with `error`
        qint64 lifetime;          // -1: none given
        QString error;
    };
    const QByteArray json = "application/json";
    const std::vector<Case> cases = {
        {"all fields",
         http(
             "200 OK", json,
             R"({"access_token":"at1","token_type":"Bearer","expires_in":3599,"refresh_token":"rt2"})"),
         "at1",
         "rt2",
         3599,
         {}},
        // Section 6: without a new refresh token the old one stays good.
        {"no new refresh token",
         http("200 OK", json, R"({"access_token":"at1","expires_in":"120"})"),
         "at1",
         "rt-old",
         120,
         {}},
        {"no lifetime", http("200 OK", json, R"({"access_token":"at1"})"), "at1", "rt-old", -1, {}},
        {"revoked",
         http(
             "400 Bad Request", json,
             R"({"error":"invalid_grant","error_description":"Token has been expired or revoked."})"),
         {},
         {},
         0,
         "refused: invalid_grant (Token has been expired or revoked.)."},
        {"wrong client",
         http("401 Unauthorized", json, R"({"error":"invalid_client"})"),
         {},
         {},
         0,
         "refused: invalid_client."},
        {"not OAuth",
         http("502 Bad Gateway", "text/html", "<html>proxy error</html>"),
         {},
         {},
         0,
         "answered with no token (HTTP 502)."},
        {"no token",
         http("200 OK", json, R"({"token_type":"Bearer"})"),
         {},
         {},
         0,
         "answered with no token (HTTP 200)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenEndpoint endpoint(c.reply);
        const QDateTime before = QDateTime::currentDateTimeUtc();
        try {
            const oauth::Tokens t =
                oauth::refreshTokens(client(endpoint.url()), QStringLiteral("rt-old"));
            EXPECT_TRUE(c.error.isEmpty()) << "no error";
            EXPECT_EQ(t.access, c.access);
            EXPECT_EQ(t.refresh, c.refresh);
            if (c.lifetime < 0) {
                EXPECT_FALSE(t.expires.isValid());
            } else {
                EXPECT_GE(t.expires, before.addSecs(c.lifetime));
                EXPECT_LE(t.expires, QDateTime::currentDateTimeUtc().addSecs(c.lifetime));
            }
        } catch (const oauth::Error& e) {
            EXPECT_FALSE(c.error.isEmpty()) << e.message().toStdString();
            EXPECT_TRUE(e.message().endsWith(c.error)) << e.message().toStdString();
            EXPECT_EQ(e.kind() == oauth::ErrorKind::Refused,
                      c.error.startsWith(QLatin1String("refused")));
        }
        // The form as RFC 6749 section 6 has it, every value escaped.
        EXPECT_EQ(endpoint.field("grant_type"), QStringLiteral("refresh_token"));
        EXPECT_EQ(endpoint.field("refresh_token"), QStringLiteral("rt-old"));
        EXPECT_EQ(endpoint.field("client_id"), QStringLiteral("client+1&2"));
        EXPECT_EQ(endpoint.field("client_secret"), QStringLiteral("s=3"));
    }
}

TEST(OAuthTokenEndpoint, AServerThatCannotBeReachedSaysSo) {
    QTcpServer closed;
    closed.listen(QHostAddress(QHostAddress::LocalHost), 0);
    const quint16 port = closed.serverPort();
    closed.close();
    try {
        oauth::refreshTokens(client(QUrl(QStringLiteral("http://127.0.0.1:%1/token").arg(port))),
                             QStringLiteral("rt"));
        ADD_FAILURE() << "no error";
    } catch (const oauth::Error& e) {
        EXPECT_EQ(e.kind(), oauth::ErrorKind::Network);
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("The authorization server 127.0.0.1:%1 could not be reached: ")
                .arg(port)))
            << e.message().toStdString();
    }
}

}  // namespace
