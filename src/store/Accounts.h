#pragma once

// Mail-server accounts a profile holds beside its embedded stores. The store
// keeps their settings; opening one is left to an opener the program installs
// at start-up, so this layer needs no protocol code.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"
#include "store/Database.h"
#include "store/Secrets.h"

namespace store {

struct AccountEntry {
    std::int64_t rid = 0;
    QString kind = QStringLiteral("imap");
    QString server;
    int port = 143;
    QString security = QStringLiteral("none");  // none, starttls or tls
    QString user;
    // Given to addAccount: the password to keep ("" for one given at logon). Read
    // back: only one an older version kept in the store file and tidyAccounts
    // could not move yet; keptPassword() finds it wherever it is.
    QString password;
    QString fingerprint;  // a certificate accepted although it does not verify
    int timeout = 0;      // seconds to wait for the server; 0 for the program's default
    QString caFile;       // CA certificates trusted besides the system's; "" for none
    // How the account logs on: "password", or "oauth2" with an access token the
    // authorization server below issues for the client (no password then).
    QString auth = QStringLiteral("password");
    QString authorizeUrl;
    QString tokenUrl;
    QString scope;
    QString clientId;
    QString clientSecret;  // "" for a client without one (most installed programs)
    bool usesOAuth2() const { return auth == QLatin1String("oauth2"); }
};

// What an OAuth 2.0 sign-in left: kept like a password, never in the store file.
struct OAuthTokens {
    QString access;
    QString refresh;
    QDateTime expires;  // of the access token; invalid when the server did not say
};

// What Recipient.Resolve finds in the profile's address lists.
struct ResolvedName {
    QString name;
    QString address;
    QString addressType;
    std::int32_t displayType = 0;
};

struct AccountLogon {
    AccountEntry entry;
    QString password;   // the stored one, else the one the logon passed
    QString cachePath;  // where the account may keep its local cache
    QString userName;   // sender of the messages the session creates
    std::function<std::vector<ResolvedName>(const QString& name)> resolve;
    // Whether the logon may show the library's dialogs (the certificate question).
    bool showDialogs = false;
    // Keeps a certificate fingerprint the user chose to trust during the logon
    // as the account's, so the next logon does not ask again.
    std::function<void(const QString& fingerprint)> pinCertificate;
    // For an OAuth 2.0 account: the tokens kept for it, and where new ones go
    // after a refresh.
    std::function<std::optional<OAuthTokens>()> loadTokens;
    std::function<void(const OAuthTokens&)> saveTokens;
    // Finds a folder of any of the session's stores, for copies and moves
    // from the account to another store.
    std::function<mapi::Ref<mapi::Folder>(const QString& folderId, const QString& storeId)> locate;
};

// One logged-on account as the store's session sees it.
class AccountSession {
  public:
    virtual ~AccountSession() = default;
    virtual mapi::Ref<mapi::InfoStore> infoStore() = 0;
    virtual bool ownsStoreId(const QString& id) = 0;
    virtual mapi::Ref<mapi::Folder> outbox() = 0;
    // Empty references for identifiers that are not the account's.
    virtual mapi::Ref<mapi::Folder> folderById(const QString& id) = 0;
    virtual mapi::Ref<mapi::Message> messageById(const QString& id) = 0;
};

// Opens an account or throws mapi::Error (MAPI_E_LOGON_FAILED,
// MAPI_E_NETWORK_ERROR ...).
using AccountOpener = std::function<std::shared_ptr<AccountSession>(const AccountLogon&)>;

// The opener for one kind of account; a profile holding an account of a kind
// without an opener cannot be logged on to (MAPI_E_NO_SUPPORT).
void installAccountOpener(const QString& kind, AccountOpener opener);
std::shared_ptr<AccountSession> openAccount(const AccountLogon& logon);

// The profile's accounts in the order they were added (none in a store file
// written before accounts existed). Of accounts an older version added twice for
// the same server and user, the last one.
std::vector<AccountEntry> profileAccounts(Db& db, std::int64_t profile);
// Adds an account to the profile `name`, creating the profile when missing; a new
// profile answers the dynamic logon for the account's server and user. The
// profile's account for the same server and user, if it has one, takes the new
// settings instead (false is returned then). The password goes where secrets
// are kept (store/Secrets.h), never into the store file.
bool addAccount(Db& db, const QString& profileName, const AccountEntry& entry);

// Makes `fingerprint` the certificate the account accepts although it does
// not verify; false when the account is gone.
bool pinCertificate(Db& db, std::int64_t account, const QString& fingerprint);

// Whose password it is, for store/Secrets.h.
SecretOwner secretOwner(const Db& db, const QString& profileName, const AccountEntry& e);
// The password kept for the account; "" when it is to be given at logon.
QString keptPassword(Db& db, const QString& profileName, const AccountEntry& e);
// The tokens an OAuth 2.0 sign-in left for the account, kept apart from any
// password (their owner's kind is the account's kind with "-oauth2"). keepTokens
// throws as keepSecret; forgetTokens forgets them (a sign-out).
SecretOwner tokenOwner(const Db& db, const QString& profileName, const AccountEntry& e);
std::optional<OAuthTokens> keptTokens(const Db& db, const QString& profileName,
                                      const AccountEntry& e);
void keepTokens(const Db& db, const QString& profileName, const AccountEntry& e,
                const OAuthTokens& tokens);
void forgetTokens(const Db& db, const QString& profileName, const AccountEntry& e);
// Gives an OAuth 2.0 account's logon its loadTokens and saveTokens.
void attachTokens(AccountLogon& logon, const Db& db, const QString& profileName);
// Where the account keeps its header cache: beside the store, named by its row.
QString accountCachePath(const QString& storePath, std::int64_t rid);

// Brings a store an older version wrote up to date at its open: the passwords
// it held go where secrets are kept (leaving no byte of them in the store file),
// and of accounts added twice only the last one stays. Writes nothing when there
// is nothing to do; a password that cannot be kept elsewhere stays where it is.
void tidyAccounts(Db& db);

}  // namespace store
