#pragma once

// One logged-on IMAP account: the connection, its header cache and the
// mailbox list, shared by every object the account's store hands out.

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "imap/HeaderCache.h"
#include "imap/ImapClient.h"
#include "imap/ImapTypes.h"
#include "imapstore/EntryIds.h"
#include "messaging/Objects.h"

namespace imap {
class ProtocolLog;
}

namespace imapstore {

struct AccountSettings {
    imap::ConnectOptions connect;
    QString user;
    QString password;
    // For an OAuth 2.0 account (no password): gives the access token for a
    // logon, refreshed first when it has expired; throws mapi::Error saying why
    // there is none (not signed in, the sign-in revoked).
    std::function<QString()> accessToken;
    QString cachePath;                 // the account's header cache file
    imap::ProtocolLog* log = nullptr;  // not owned; may be nullptr
    int fetchBatch = 0;                // headers per FETCH on a first open; 0 for the client's
};

// What Recipient.Resolve finds in the session's address lists.
struct ResolvedAddress {
    QString name;
    QString address;
    QString addressType;
    std::int32_t displayType = 0;
};
using Resolver = std::function<std::vector<ResolvedAddress>(const QString& name)>;

struct MailboxNode {
    QString name;     // full server name
    QString display;  // last component; "Inbox" for INBOX
    QString parent;   // full name of the parent mailbox, "" at the top
    bool selectable = true;
    QChar delimiter;         // null when the server has no hierarchy
    QStringList attributes;  // LIST attributes without the backslash ("Sent" ...)
};

// Finds a folder of any store of the session, for copies to another store.
using FolderLocator =
    std::function<mapi::Ref<mapi::Folder>(const QString& folderId, const QString& storeId)>;

class Account : public std::enable_shared_from_this<Account> {
  public:
    // Connects and logs in. A rejected password fails with MAPI_E_LOGON_FAILED,
    // anything on the way to the server with MAPI_E_NETWORK_ERROR.
    static std::shared_ptr<Account> open(AccountSettings settings);
    ~Account();
    Account(const Account&) = delete;
    Account& operator=(const Account&) = delete;

    const EntryIds& ids() const { return ids_; }
    QString storeName() const;
    void setResolver(Resolver r) { resolver_ = std::move(r); }
    const Resolver& resolver() const { return resolver_; }
    // The sender name of the drafts this session writes.
    void setUserName(const QString& name) { userName_ = name; }
    const QString& userName() const { return userName_; }
    // The account's mail address: the user name, with "@server" when it has no domain.
    QString address() const;

    mapi::Ref<mapi::InfoStore> infoStore();
    // "Outbox", created on the server the first time it is asked for.
    mapi::Ref<mapi::Folder> outbox();
    // Empty references for identifiers of other stores.
    mapi::Ref<mapi::Folder> folderById(const QString& id);
    mapi::Ref<mapi::Message> messageById(const QString& id);
    bool ownsStoreId(const QString& id) const;
    // The folder of Session.GetDefaultFolder's kind: INBOX, the Outbox (made on
    // first use), else the mailbox the server marks \Sent or \Trash, else one
    // of the names the model gives; MAPI_E_NOT_FOUND when there is none.
    mapi::Ref<mapi::Folder> defaultFolder(std::int32_t kind);
    // The account's own address as an address entry.
    mapi::Ref<mapi::AddressEntry> owner();
    void setLocator(FolderLocator l) { locator_ = std::move(l); }
    // A folder of the session's stores (this account's only, without a locator).
    mapi::Ref<mapi::Folder> locate(const QString& folderId, const QString& storeId);

    // ---- changes to the mailboxes ----
    // The full name of a new mailbox `name` below `parent` ("" for the top).
    QString childName(const QString& parent, const QString& name);
    void createMailbox(const QString& name);
    // Deletes the mailbox and every mailbox below it.
    void deleteMailbox(const QString& name);
    // Stores a message with the given flags and internal date; its key (UID 0
    // when the server does not say).
    MessageKey appendMessage(const QString& mailbox, const QByteArray& raw, unsigned flags,
                             const QDateTime& internalDate);
    // The listed message of that key; MAPI_E_NOT_FOUND when the server has none.
    mapi::Ref<mapi::Message> messageByKey(const MessageKey& key);

    // ---- for the account's objects ----
    // Mailboxes in the server's order with INBOX first.
    const std::vector<MailboxNode>& mailboxes();
    std::optional<MailboxNode> mailbox(const QString& name);
    // Brings the mailbox's cached headers up to date and returns them in UID order.
    // Fetching new headers reports progress; a cancel keeps the batches already
    // cached for the next open and fails with MAPI_E_USER_CANCEL.
    const QList<imap::CachedSummary>& refresh(const QString& mailbox);
    // The last known headers (refreshed on first use only).
    const QList<imap::CachedSummary>& known(const QString& mailbox);
    quint32 uidValidity(const QString& mailbox);
    // A listed message's envelope from the cache; MAPI_E_NOT_FOUND once a later
    // walk found it gone from the server.
    imap::Envelope envelope(const MessageKey& key);
    QByteArray fetchRaw(const MessageKey& key);
    // UIDs of the mailbox's messages the server finds for the criteria, ascending.
    QList<quint32> search(const QString& mailbox, const imap::SearchCriteria& criteria);
    void deleteMessage(const MessageKey& key);
    bool wasDeleted(const MessageKey& key) const;
    // Stores a new draft; returns its key (UID 0 when the server does not say).
    // `messageId` (without brackets; may be empty) finds the draft again when the
    // connection is lost before the server's answer arrives.
    MessageKey appendDraft(const QString& mailbox, const QByteArray& raw, const QString& messageId);

    // Whether a call may be sent again on a new connection after the old one was
    // lost during it: reads, searches and flag changes may; a command whose second
    // copy would do something else (an APPEND stores the message twice) may not.
    enum class Retry { Once, Never };

    // Runs a call on the connection, turning its failures into library errors.
    // A lost connection (dropped by the server or the network, or timed out) is
    // made again once per call: before it, when an earlier call left it lost, or
    // after it failed, to run it again when `retry` allows. The call must then
    // select what it needs itself (selectIn), as the new connection has nothing
    // selected. A connection that cannot be made again (refused, silent, or the
    // password no longer accepted) fails with MAPI_E_NETWORK_ERROR saying why.
    template <class F>
    auto call(F&& f, Retry retry = Retry::Once) -> decltype(f(std::declval<imap::Client&>())) {
        bool again = retry == Retry::Once;
        if (!client_.isConnected()) {
            reconnect();
            again = false;
        }
        try {
            return f(client_);
        } catch (const imap::Error& e) {
            // Still connected: the server answered, and its answer stands.
            if (!again || client_.isConnected()) fail(e);
        }
        reconnect();
        return guarded([&] { return f(client_); });
    }

  private:
    // CREATE, made good when an answer lost on a dropped connection hides that
    // the mailbox was made.
    void makeMailbox(const QString& name);
    explicit Account(AccountSettings settings);
    [[noreturn]] static void fail(const imap::Error& e);
    // Runs f, turning the client's failures into library errors, without
    // touching the connection (for the cache, and for the first logon).
    template <class F>
    auto guarded(F&& f) -> decltype(f()) {
        try {
            return f();
        } catch (const imap::Error& e) {
            fail(e);
        }
    }
    // Connects and logs on again after the connection was lost; nothing is
    // selected afterwards. connectAgain() throws the client's error, reconnect()
    // fails as call() describes.
    void connectAgain();
    // Connects and logs on with the password or the access token.
    void logOn();
    void reconnect();
    // Selects the mailbox on `c` unless it is selected already (or `again`), and
    // fails with MAPI_E_NOT_FOUND when the server renumbered it since
    // `uidValidity` was read.
    void selectIn(imap::Client& c, const QString& mailbox, quint32 uidValidity, bool again);
    // After the connection was lost during an APPEND: the key of the draft with
    // that Message-ID if the server stored it, else a failure saying it was not
    // saved, or that it could not be checked.
    MessageKey landedDraft(const QString& mailbox, const QString& messageId);
    MessageKey appendWith(const QString& mailbox, const QByteArray& raw, const QString& messageId,
                          unsigned flags, const QDateTime& internalDate);

    AccountSettings settings_;
    EntryIds ids_;
    imap::Client client_;
    std::unique_ptr<imap::HeaderCache> cache_;
    std::optional<std::vector<MailboxNode>> mailboxes_;
    QHash<QString, QList<imap::CachedSummary>> known_;
    QHash<QString, quint32> validity_;
    // UIDs this session expunged, by mailbox and UIDVALIDITY: a message made
    // again from an older listing is already deleted.
    QHash<QString, QSet<quint32>> expunged_;
    QString selected_;
    quint32 selectedValidity_ = 0;  // UIDVALIDITY of selected_ as its SELECT reported it
    Resolver resolver_;
    FolderLocator locator_;
    QString userName_;
};

}  // namespace imapstore
