#include "app/ImapAccounts.h"

#include <QDesktopServices>
#include <cstdio>
#include <memory>

#include "imap/ProtocolLog.h"
#include "imapstore/Account.h"
#include "messaging/Error.h"
#include "messaging/Progress.h"
#include "oauth/OAuthError.h"
#include "oauth/SignIn.h"
#include "oauth/TokenRequest.h"
#include "store/Accounts.h"
#include "store/LibraryDialogs.h"

namespace app {

namespace {

// The store's view of one logged-on account.
class ImapAccountSession : public store::AccountSession {
  public:
    explicit ImapAccountSession(std::shared_ptr<imapstore::Account> a) : a_(std::move(a)) {}
    mapi::Ref<mapi::InfoStore> infoStore() override { return a_->infoStore(); }
    bool ownsStoreId(const QString& id) override { return a_->ownsStoreId(id); }
    mapi::Ref<mapi::Folder> outbox() override { return a_->outbox(); }
    mapi::Ref<mapi::Folder> folderById(const QString& id) override { return a_->folderById(id); }
    mapi::Ref<mapi::Message> messageById(const QString& id) override { return a_->messageById(id); }

  private:
    std::shared_ptr<imapstore::Account> a_;
};

// A certificate that does not verify is put to the user once per logon that may
// show dialogs (a logon asked not to fails naming the fingerprint); the one
// trusted is pinned on the account and accepted again on a reconnect without a
// question.
std::function<bool(const imap::CertificateInfo&)> certificateQuestion(
    const store::AccountLogon& logon) {
    auto accepted = std::make_shared<QString>();
    return [accepted, pin = logon.pinCertificate,
            account = QStringLiteral("%1@%2").arg(logon.entry.user, logon.entry.server)](
               const imap::CertificateInfo& c) {
        if (!accepted->isEmpty() && *accepted == c.fingerprint) return true;
        const store::UntrustedCertificate shown{account,      c.subject,     c.issuer, c.validFrom,
                                                c.validUntil, c.fingerprint, c.reason};
        if (!store::runTrustCertificate(shown)) return false;
        *accepted = c.fingerprint;
        if (pin) pin(c.fingerprint);
        return true;
    };
}

// The access token of an OAuth 2.0 account at each logon (the first and every
// reconnect): the kept one while it is good, else a new one for the refresh
// token, kept in its place. Without either, a logon that may show dialogs
// offers a new sign-in; otherwise the failure names the account and says what
// to do, since nothing else on the way does.
std::function<QString()> accessTokenSource(const store::AccountLogon& logon) {
    const store::AccountEntry& e = logon.entry;
    const oauth::ClientSettings client{QUrl(e.authorizeUrl), QUrl(e.tokenUrl), e.scope, e.clientId,
                                       e.clientSecret};
    return [client, load = logon.loadTokens, save = logon.saveTokens, ask = logon.showDialogs,
            user = e.user, who = QStringLiteral("%1@%2").arg(e.user, e.server)]() -> QString {
        const auto keep = [&](const oauth::Tokens& t) {
            if (save) save({t.access, t.refresh, t.expires});
            return t.access;
        };
        // Refused: signed in again when the user agrees, else the logon fails.
        const auto refused = [&](const QString& reason) -> QString {
            if (ask && store::runSignInAgain(who, reason)) {
                try {
                    mapi::ProgressTask waiting(
                        QStringLiteral("Waiting for the browser to sign %1 in").arg(who));
                    return keep(oauth::signInWithBrowser(
                        client, user,
                        [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                        [&waiting] { return waiting.step(0, 1); }));
                } catch (const oauth::Error& x) {
                    if (x.kind() == oauth::ErrorKind::Cancelled)
                        mapi::raise(mapi::code::UserCancel);
                    mapi::raise(mapi::code::LogonFailed,
                                QStringLiteral("The sign-in of %1 did not succeed: %2")
                                    .arg(who, x.message()));
                }
            }
            mapi::raise(mapi::code::LogonFailed, reason);
        };
        const std::optional<store::OAuthTokens> kept = load ? load() : std::nullopt;
        if (!kept)
            return refused(QStringLiteral("The account %1 is not signed in: sign it in (File > "
                                          "Accounts, or quorvane-store sign-in).")
                               .arg(who));
        if (!kept->access.isEmpty() && !oauth::needsRefresh(kept->expires)) return kept->access;
        if (kept->refresh.isEmpty())
            return refused(QStringLiteral("The access token of %1 has expired and there is no "
                                          "refresh token: sign the account in again.")
                               .arg(who));
        try {
            oauth::Tokens t = oauth::refreshTokens(client, kept->refresh);
            return keep(t);
        } catch (const oauth::Error& x) {
            if (x.kind() == oauth::ErrorKind::Refused)
                return refused(QStringLiteral("The sign-in of %1 is no longer accepted: sign the "
                                              "account in again. %2")
                                   .arg(who, x.message()));
            mapi::raise(mapi::code::NetworkError,
                        QStringLiteral("The access token of %1 could not be renewed: %2")
                            .arg(who, x.message()));
        }
    };
}

imap::Security securityOf(const QString& s) {
    if (s.compare(QLatin1String("tls"), Qt::CaseInsensitive) == 0) return imap::Security::Tls;
    if (s.compare(QLatin1String("starttls"), Qt::CaseInsensitive) == 0)
        return imap::Security::StartTls;
    return imap::Security::None;
}

std::shared_ptr<store::AccountSession> openImap(const store::AccountLogon& logon,
                                                imap::ProtocolLog* log) {
    imapstore::AccountSettings settings;
    settings.connect.host = logon.entry.server;
    settings.connect.port = static_cast<quint16>(logon.entry.port);
    settings.connect.security = securityOf(logon.entry.security);
    settings.connect.acceptedFingerprint = logon.entry.fingerprint;
    settings.connect.caFile = logon.entry.caFile;
    if (logon.showDialogs) settings.connect.trustCertificate = certificateQuestion(logon);
    if (logon.entry.timeout > 0)
        settings.connect.timeout = std::chrono::seconds(logon.entry.timeout);
    settings.user = logon.entry.user;
    settings.password = logon.password;
    if (logon.entry.usesOAuth2()) settings.accessToken = accessTokenSource(logon);
    settings.cachePath = logon.cachePath;
    settings.log = log;
    std::shared_ptr<imapstore::Account> account = imapstore::Account::open(settings);
    account->setUserName(logon.userName);
    if (logon.locate) account->setLocator(logon.locate);
    if (logon.resolve) {
        account->setResolver([resolve = logon.resolve](const QString& name) {
            std::vector<imapstore::ResolvedAddress> out;
            for (const store::ResolvedName& r : resolve(name))
                out.push_back({r.name, r.address, r.addressType, r.displayType});
            return out;
        });
    }
    return std::make_shared<ImapAccountSession>(account);
}

}  // namespace

void installImapAccounts(const QString& protocolLogPath) {
    // Lives as long as the program: every connection of the run writes to it.
    static std::unique_ptr<imap::FileProtocolLog> log;
    if (!protocolLogPath.isEmpty()) {
        log = std::make_unique<imap::FileProtocolLog>(protocolLogPath);
        if (!log->isOpen()) {
            std::fprintf(stderr, "quorvane: the protocol log %s cannot be written\n",
                         qPrintable(protocolLogPath));
            log.reset();
        }
    }
    imap::ProtocolLog* sink = log.get();
    store::installAccountOpener(QStringLiteral("imap"), [sink](const store::AccountLogon& logon) {
        return openImap(logon, sink);
    });
}

}  // namespace app
