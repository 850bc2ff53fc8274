#include "oauth/TokenRequest.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <utility>
#include <vector>

#include "oauth/OAuthError.h"

namespace oauth {

namespace {

using Form = std::vector<std::pair<QString, QString>>;

// application/x-www-form-urlencoded (RFC 6749 appendix B): every reserved
// character escaped, which QUrlQuery leaves alone for some ('+', '&' in values).
QByteArray formBody(const Form& form) {
    QByteArray body;
    for (const auto& [name, value] : form) {
        if (!body.isEmpty()) body += '&';
        body += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

QString hostOf(const QUrl& url) {
    return url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}

Tokens post(const ClientSettings& client, Form form, std::chrono::seconds timeout) {
    form.emplace_back(QStringLiteral("client_id"), client.clientId);
    if (!client.clientSecret.isEmpty())
        form.emplace_back(QStringLiteral("client_secret"), client.clientSecret);
    const QString host = hostOf(client.tokenUrl);
    if (!client.tokenUrl.isValid() || client.tokenUrl.scheme().isEmpty())
        throw Error(
            ErrorKind::Network,
            QStringLiteral("The token URL \"%1\" is not a URL.").arg(client.tokenUrl.toString()));

    QNetworkAccessManager manager;
    QNetworkRequest request(client.tokenUrl);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(static_cast<int>(timeout.count() * 1000));
    QNetworkReply* reply = manager.post(request, formBody(form));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray data = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError netError = reply->error();
    const QString netText = reply->errorString();
    reply->deleteLater();

    if (netError == QNetworkReply::OperationCanceledError ||
        netError == QNetworkReply::TimeoutError)
        throw Error(ErrorKind::Timeout,
                    QStringLiteral("The authorization server %1 did not answer within %2 seconds.")
                        .arg(host)
                        .arg(timeout.count()));
    const QJsonObject answer = QJsonDocument::fromJson(data).object();
    // Section 5.2: a refused grant is a 400 (or 401) with an "error" member.
    if (answer.contains(QLatin1String("error"))) {
        const QString code = answer.value(QLatin1String("error")).toString();
        const QString description = answer.value(QLatin1String("error_description")).toString();
        throw Error(
            ErrorKind::Refused,
            QStringLiteral("The authorization server %1 refused: %2%3.")
                .arg(host, code,
                     description.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(description)));
    }
    if (status == 0)
        throw Error(ErrorKind::Network, QStringLiteral("The authorization server %1 could not be "
                                                       "reached: %2.")
                                            .arg(host, netText));
    if (status != 200 || !answer.value(QLatin1String("access_token")).isString())
        throw Error(ErrorKind::Network,
                    QStringLiteral("The authorization server %1 answered with no token (HTTP %2).")
                        .arg(host)
                        .arg(status));
    Tokens t;
    t.access = answer.value(QLatin1String("access_token")).toString();
    t.refresh = answer.value(QLatin1String("refresh_token")).toString();
    // expires_in is a number of seconds; some servers send it as a string.
    const QJsonValue in = answer.value(QLatin1String("expires_in"));
    bool ok = in.isDouble();
    qint64 seconds = ok ? static_cast<qint64>(in.toDouble()) : in.toString().toLongLong(&ok);
    if (ok) t.expires = QDateTime::currentDateTimeUtc().addSecs(seconds);
    return t;
}

}  // namespace

Tokens exchangeCode(const ClientSettings& client, const QString& code, const QString& redirectUri,
                    const QString& codeVerifier, std::chrono::seconds timeout) {
    return post(client,
                {{QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
                 {QStringLiteral("code"), code},
                 {QStringLiteral("redirect_uri"), redirectUri},
                 {QStringLiteral("code_verifier"), codeVerifier}},
                timeout);
}

Tokens refreshTokens(const ClientSettings& client, const QString& refreshToken,
                     std::chrono::seconds timeout) {
    Tokens t = post(client,
                    {{QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
                     {QStringLiteral("refresh_token"), refreshToken}},
                    timeout);
    if (t.refresh.isEmpty()) t.refresh = refreshToken;
    return t;
}

bool needsRefresh(const QDateTime& expires, const QDateTime& now) {
    return expires.isValid() && expires <= now.addSecs(60);
}

}  // namespace oauth
