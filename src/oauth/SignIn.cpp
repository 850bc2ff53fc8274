#include "oauth/SignIn.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include "oauth/OAuthError.h"

namespace oauth {

namespace {

QString randomText(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(raw.data()), bytes / 4);
    return QString::fromLatin1(
        raw.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

}  // namespace

QString newCodeVerifier() {
    return randomText(32);
}

QString codeChallenge(const QString& verifier) {
    return QString::fromLatin1(
        QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool launchBrowserCommand(const QUrl& url) {
    const QString browser = qEnvironmentVariable("BROWSER");
    // The convention allows several commands separated by colons; the first is tried.
    QStringList words = QProcess::splitCommand(browser.section(QLatin1Char(':'), 0, 0));
    if (words.isEmpty()) return false;
    const QString text = QString::fromLatin1(url.toEncoded());
    bool placed = false;
    for (QString& w : words)
        if (w.contains(QLatin1String("%s"))) {
            w.replace(QLatin1String("%s"), text);
            placed = true;
        }
    if (!placed) words << text;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words);
}

Tokens signInWithBrowser(const ClientSettings& client, const QString& loginHint,
                         const std::function<bool(const QUrl&)>& open,
                         const KeepWaiting& keepWaiting, std::chrono::seconds wait) {
    SignIn flow(client, loginHint);
    const QUrl url = flow.start();
    if (!launchBrowserCommand(url) && !(open && open(url)))
        throw Error(ErrorKind::Network,
                    QStringLiteral("No browser could be started. Open this URL in one: %1")
                        .arg(QString::fromLatin1(url.toEncoded())));
    return flow.finish(wait, QEventLoop::ExcludeUserInputEvents, keepWaiting);
}

SignIn::SignIn(ClientSettings client, QString loginHint, QObject* parent)
    : QObject(parent), client_(std::move(client)), loginHint_(std::move(loginHint)) {}

QUrl SignIn::start() {
    if (!client_.authorizeUrl.isValid() || client_.authorizeUrl.scheme().isEmpty())
        throw Error(ErrorKind::Network, QStringLiteral("The authorization URL \"%1\" is not a URL.")
                                            .arg(client_.authorizeUrl.toString()));
    QString why;
    if (!loopback_.listen(why))
        throw Error(
            ErrorKind::Network,
            QStringLiteral("No port on 127.0.0.1 could be opened for the sign-in: %1.").arg(why));
    verifier_ = newCodeVerifier();
    state_ = randomText(16);
    // Every reserved character of a value escaped, '+' and '&' included, after
    // whatever query the configured URL has itself.
    QUrl url = client_.authorizeUrl;
    QStringList parts;
    for (const auto& [name, value] : QList<std::pair<QString, QString>>{
             {QStringLiteral("response_type"), QStringLiteral("code")},
             {QStringLiteral("client_id"), client_.clientId},
             {QStringLiteral("redirect_uri"), loopback_.redirectUri()},
             {QStringLiteral("scope"), client_.scope},
             {QStringLiteral("state"), state_},
             {QStringLiteral("code_challenge"), codeChallenge(verifier_)},
             {QStringLiteral("code_challenge_method"), QStringLiteral("S256")},
             {QStringLiteral("login_hint"), loginHint_}}) {
        if (value.isEmpty() && name != QLatin1String("client_id")) continue;
        parts << QString::fromLatin1(QUrl::toPercentEncoding(name) + '=' +
                                     QUrl::toPercentEncoding(value));
    }
    const QString before = url.query(QUrl::FullyEncoded);
    url.setQuery(
        (before.isEmpty() ? QString() : before + QLatin1Char('&')) + parts.join(QLatin1Char('&')),
        QUrl::StrictMode);
    return url;
}

Tokens SignIn::finish(std::chrono::seconds timeout, int flags, const KeepWaiting& keepWaiting) {
    std::optional<QUrlQuery> answer;
    QEventLoop loop;
    waiting_ = &loop;
    connect(&loopback_, &Loopback::redirected, &loop, [&](const QUrlQuery& q) {
        answer = q;
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    if (keepWaiting) {
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!keepWaiting()) cancel();
        });
        poll.start(200);
    }
    if (!cancelled_) loop.exec(QEventLoop::ProcessEventsFlags(flags));
    waiting_ = nullptr;
    if (cancelled_) throw Error(ErrorKind::Cancelled, QStringLiteral("The sign-in was cancelled."));
    if (!answer)
        throw Error(ErrorKind::Timeout,
                    QStringLiteral("No browser came back to %1 within %2 seconds; the sign-in "
                                   "was given up.")
                        .arg(loopback_.redirectUri())
                        .arg(timeout.count()));
    // A redirect with another state was not caused by this sign-in (RFC 6749 10.12).
    if (answer->queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded) != state_)
        throw Error(ErrorKind::Denied,
                    QStringLiteral("The browser came back with the wrong state; the sign-in was "
                                   "given up."));
    if (answer->hasQueryItem(QStringLiteral("error"))) {
        const QString description =
            answer->queryItemValue(QStringLiteral("error_description"), QUrl::FullyDecoded);
        throw Error(
            ErrorKind::Denied,
            QStringLiteral("The authorization server did not grant access: %1%2.")
                .arg(answer->queryItemValue(QStringLiteral("error"), QUrl::FullyDecoded),
                     description.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(description)));
    }
    return exchangeCode(client_, answer->queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded),
                        loopback_.redirectUri(), verifier_);
}

void SignIn::cancel() {
    cancelled_ = true;
    if (waiting_) waiting_->quit();
}

}  // namespace oauth
