#pragma once

// The token endpoint (RFC 6749 section 3.2): the code exchanged for tokens, and
// a refresh token for a new access token.

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <chrono>

namespace oauth {

// What the account says about its authorization server and the program's
// registration there.
struct ClientSettings {
    QUrl authorizeUrl;
    QUrl tokenUrl;
    QString scope;
    QString clientId;
    QString clientSecret;  // "" for a public client
};

struct Tokens {
    QString access;
    QString refresh;
    QDateTime expires;  // invalid when the server gave no lifetime
};

constexpr std::chrono::seconds kTokenRequestTimeout{30};

// Both block (with a local event loop) until the server answers or `timeout`
// passes, and throw oauth::Error. A refused grant (invalid_grant and the other
// errors of section 5.2) is ErrorKind::Refused with the server's description.
Tokens exchangeCode(const ClientSettings& client, const QString& code, const QString& redirectUri,
                    const QString& codeVerifier,
                    std::chrono::seconds timeout = kTokenRequestTimeout);
// Without a new refresh token in the answer the old one stays good (section 6).
Tokens refreshTokens(const ClientSettings& client, const QString& refreshToken,
                     std::chrono::seconds timeout = kTokenRequestTimeout);

// Whether an access token expiring at `expires` should be refreshed before use:
// it has expired or expires within a minute (a clock a little behind the
// server's, a slow logon). A token of unknown lifetime is used as it is.
bool needsRefresh(const QDateTime& expires, const QDateTime& now = QDateTime::currentDateTimeUtc());

}  // namespace oauth
