#pragma once

// One sign-in: the authorization-code flow of RFC 6749 with PKCE (RFC 7636,
// S256) and the loopback redirect of RFC 8252, written on QTcpServer and
// QNetworkAccessManager (Qt's own flow object adds no PKCE in this version).

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <optional>

#include "oauth/Loopback.h"
#include "oauth/TokenRequest.h"

class QEventLoop;

namespace oauth {

// A code verifier (43 characters of base64url from 32 random bytes) and its
// S256 challenge.
QString newCodeVerifier();
QString codeChallenge(const QString& verifier);

// Opens `url` with the command in $BROWSER (the URL as its last argument, or in
// place of a "%s"); false when $BROWSER is unset or cannot be started.
bool launchBrowserCommand(const QUrl& url);

constexpr std::chrono::seconds kSignInWait{300};

// Asked a few times a second while a sign-in waits for the browser; false
// gives the sign-in up (a Cancel button).
using KeepWaiting = std::function<bool()>;

// A whole sign-in from a window: the URL opened with $BROWSER, else with
// `open` (the desktop's browser); user input is held back (but for what
// `keepWaiting` lets through) until the browser comes back or `wait` passes.
// Throws oauth::Error.
Tokens signInWithBrowser(const ClientSettings& client, const QString& loginHint,
                         const std::function<bool(const QUrl&)>& open,
                         const KeepWaiting& keepWaiting = {},
                         std::chrono::seconds wait = kSignInWait);

class SignIn : public QObject {
    Q_OBJECT
  public:
    // `loginHint` (the account's user name) is passed as login_hint, which
    // providers use to preselect the account.
    explicit SignIn(ClientSettings client, QString loginHint = {}, QObject* parent = nullptr);
    // Listens on the loopback; the URL to open in a browser. Throws oauth::Error.
    QUrl start();
    // Waits for the browser to come back to the loopback, then exchanges the
    // code for tokens. Runs an event loop with `flags` (a window may keep
    // working while it waits); throws oauth::Error, ErrorKind::Cancelled after
    // cancel().
    Tokens finish(std::chrono::seconds timeout, int flags = 0 /* QEventLoop::ProcessEventsFlags */,
                  const KeepWaiting& keepWaiting = {});

  public Q_SLOTS:
    void cancel();

  private:
    ClientSettings client_;
    QString loginHint_;
    QString verifier_;
    QString state_;
    Loopback loopback_;
    QEventLoop* waiting_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace oauth
