#include <QJsonDocument>
#include <QJsonObject>

#include "store/Accounts.h"

namespace store {

// The tokens travel as one secret: a JSON object, so the service and the file
// hold them as they hold a password.
SecretOwner tokenOwner(const Db& db, const QString& profileName, const AccountEntry& e) {
    SecretOwner owner = secretOwner(db, profileName, e);
    owner.kind += QLatin1String("-oauth2");
    return owner;
}

namespace {

std::optional<OAuthTokens> tokensOf(const SecretOwner& owner) {
    const std::optional<QString> text = findSecret(owner);
    if (!text) return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(text->toUtf8()).object();
    OAuthTokens t;
    t.access = o.value(QLatin1String("access_token")).toString();
    t.refresh = o.value(QLatin1String("refresh_token")).toString();
    t.expires = QDateTime::fromString(o.value(QLatin1String("expires")).toString(), Qt::ISODate);
    if (t.access.isEmpty() && t.refresh.isEmpty()) return std::nullopt;
    return t;
}

void keep(const SecretOwner& owner, const OAuthTokens& tokens) {
    QJsonObject o{{QStringLiteral("access_token"), tokens.access},
                  {QStringLiteral("refresh_token"), tokens.refresh}};
    if (tokens.expires.isValid())
        o.insert(QStringLiteral("expires"), tokens.expires.toUTC().toString(Qt::ISODate));
    keepSecret(owner, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

}  // namespace

std::optional<OAuthTokens> keptTokens(const Db& db, const QString& profileName,
                                      const AccountEntry& e) {
    return tokensOf(tokenOwner(db, profileName, e));
}

void keepTokens(const Db& db, const QString& profileName, const AccountEntry& e,
                const OAuthTokens& tokens) {
    keep(tokenOwner(db, profileName, e), tokens);
}

// The owner is all the callbacks need: they outlive no store, and hold none open.
void attachTokens(AccountLogon& logon, const Db& db, const QString& profileName) {
    if (!logon.entry.usesOAuth2()) return;
    const SecretOwner owner = tokenOwner(db, profileName, logon.entry);
    logon.loadTokens = [owner] { return tokensOf(owner); };
    logon.saveTokens = [owner](const OAuthTokens& t) { keep(owner, t); };
}

void forgetTokens(const Db& db, const QString& profileName, const AccountEntry& e) {
    forgetSecret(tokenOwner(db, profileName, e));
}

}  // namespace store
