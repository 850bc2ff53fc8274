#include "app/ImapAccounts.h"

#include <cstdio>
#include <memory>

#include "imap/ProtocolLog.h"
#include "imapstore/Account.h"
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
