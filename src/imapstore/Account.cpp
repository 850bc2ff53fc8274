#include "imapstore/Account.h"

#include <algorithm>

#include "imapstore/ImapObjects.h"
#include "messaging/Progress.h"

namespace imapstore {

using mapi::Ref;

namespace {

bool isInbox(const QString& name) {
    return name.compare(QLatin1String("INBOX"), Qt::CaseInsensitive) == 0;
}

QString expungedKey(const MessageKey& key) {
    return QString::number(key.uidValidity) + QLatin1Char('/') + key.mailbox;
}

// The messages sentence as the user reads it: one full stop at the end.
QString sentence(const QString& text) {
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

}  // namespace

Account::Account(AccountSettings settings)
    : settings_(std::move(settings)),
      ids_(QStringLiteral("%1@%2").arg(settings_.user, settings_.connect.host)) {}

Account::~Account() {
    if (!client_.isConnected()) return;
    try {
        client_.logout();
    } catch (const imap::Error&) {
        // Leaving a dead or unwilling server is not worth a message.
    }
}

std::shared_ptr<Account> Account::open(AccountSettings settings) {
    std::shared_ptr<Account> a(new Account(std::move(settings)));
    a->client_.setProtocolLog(a->settings_.log);
    if (a->settings_.fetchBatch > 0) a->client_.setFetchBatchSize(a->settings_.fetchBatch);
    a->guarded([&] {
        a->logOn();
        a->cache_ = std::make_unique<imap::HeaderCache>(
            a->settings_.cachePath.isEmpty() ? QStringLiteral(":memory:") : a->settings_.cachePath);
    });
    a->userName_ = a->settings_.user;
    return a;
}

void Account::fail(const imap::Error& e) {
    switch (e.kind()) {
        case imap::ErrorKind::LogonFailed:
            mapi::raise(mapi::code::LogonFailed);
        case imap::ErrorKind::Network:
        case imap::ErrorKind::Timeout:
        case imap::ErrorKind::Certificate:
            mapi::raise(mapi::code::NetworkError, sentence(e.message()));
        case imap::ErrorKind::NotSupported:
            mapi::raise(mapi::code::NoSupport, sentence(e.message()));
        case imap::ErrorKind::Cancelled:
            mapi::raise(mapi::code::UserCancel);
        case imap::ErrorKind::Cache:
            mapi::raise(mapi::code::DiskError, sentence(e.message()));
        case imap::ErrorKind::Rejected:
            break;
    }
    mapi::raise(mapi::code::CallFailed, sentence(e.message()));
}

void Account::connectAgain() {
    selected_.clear();
    try {
        logOn();
    } catch (const imap::Error&) {
        // A refused logon leaves the new connection open: the next call starts over.
        if (client_.isConnected()) {
            try {
                client_.logout();
            } catch (const imap::Error&) {
            }
        }
        throw;
    }
}

void Account::logOn() {
    if (!settings_.accessToken) {
        client_.connect(settings_.connect);
        client_.login(settings_.user, settings_.password);
        return;
    }
    // Asked before connecting: a token that cannot be had leaves no connection
    // open, and one that expired since the last logon is refreshed here.
    const QString token = settings_.accessToken();
    client_.connect(settings_.connect);
    client_.loginOAuth2(settings_.user, token);
}

void Account::reconnect() {
    try {
        connectAgain();
    } catch (const imap::Error& e) {
        // A password refused now is as much a server out of reach as a refused
        // connection: the action cannot go on, and the message says which it was.
        mapi::raise(
            mapi::code::NetworkError,
            sentence(QStringLiteral("The connection to %1 was lost and could not be made again: %2")
                         .arg(settings_.connect.host, e.message())));
    }
}

QString Account::storeName() const {
    return QStringLiteral("Mailbox - %1@%2").arg(settings_.user, settings_.connect.host);
}

QString Account::address() const {
    if (settings_.user.contains(QLatin1Char('@'))) return settings_.user;
    return settings_.user + QLatin1Char('@') + settings_.connect.host;
}

bool Account::ownsStoreId(const QString& id) const {
    return id.trimmed().compare(ids_.store(), Qt::CaseInsensitive) == 0;
}

Ref<mapi::InfoStore> Account::infoStore() {
    return Ref<mapi::InfoStore>(std::make_shared<ImapInfoStore>(shared_from_this()));
}

const std::vector<MailboxNode>& Account::mailboxes() {
    if (mailboxes_) return *mailboxes_;
    const QList<imap::MailboxInfo> listed = call([](imap::Client& c) { return c.list(); });
    std::vector<MailboxNode> out;
    for (const imap::MailboxInfo& m : listed) {
        MailboxNode n;
        n.name = m.name;
        n.selectable = m.selectable;
        n.delimiter = m.delimiter;
        n.attributes = m.attributes;
        const qsizetype cut = m.delimiter.isNull() ? -1 : m.name.lastIndexOf(m.delimiter);
        n.display = cut < 0 ? m.name : m.name.mid(cut + 1);
        n.parent = cut < 0 ? QString() : m.name.left(cut);
        if (isInbox(m.name)) n.display = QStringLiteral("Inbox");
        out.push_back(n);
    }
    std::stable_partition(out.begin(), out.end(),
                          [](const MailboxNode& n) { return isInbox(n.name); });
    mailboxes_ = std::move(out);
    return *mailboxes_;
}

std::optional<MailboxNode> Account::mailbox(const QString& name) {
    for (const MailboxNode& n : mailboxes())
        if (n.name == name) return n;
    return std::nullopt;
}

Ref<mapi::Folder> Account::outbox() {
    const QString name = QStringLiteral("Outbox");
    if (!mailbox(name)) {
        makeMailbox(name);
        if (!mailbox(name)) mapi::raise(mapi::code::NotFound);
    }
    return Ref<mapi::Folder>(std::make_shared<ImapFolder>(shared_from_this(), name));
}

Ref<mapi::Folder> Account::folderById(const QString& id) {
    if (ids_.isRoot(id))
        return Ref<mapi::Folder>(std::make_shared<ImapRootFolder>(shared_from_this()));
    const std::optional<QString> name = ids_.folderMailbox(id);
    if (!name) return {};
    if (!mailbox(*name)) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Folder>(std::make_shared<ImapFolder>(shared_from_this(), *name));
}

Ref<mapi::Message> Account::messageById(const QString& id) {
    const std::optional<MessageKey> key = ids_.messageKey(id);
    if (!key) return {};
    return messageByKey(*key);
}

Ref<mapi::Message> Account::messageByKey(const MessageKey& key) {
    if (!mailbox(key.mailbox)) mapi::raise(mapi::code::NotFound);
    const QList<imap::CachedSummary> list = known(key.mailbox);
    if (uidValidity(key.mailbox) != key.uidValidity) mapi::raise(mapi::code::NotFound);
    const auto it =
        std::lower_bound(list.begin(), list.end(), key.uid,
                         [](const imap::CachedSummary& s, quint32 uid) { return s.uid < uid; });
    if (it == list.end() || it->uid != key.uid) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Message>(std::make_shared<ImapMessage>(shared_from_this(), key, *it));
}

const QList<imap::CachedSummary>& Account::refresh(const QString& mailbox) {
    mapi::ProgressTask task(QStringLiteral("Reading the message list of %1").arg(mailbox));
    call([&](imap::Client& c) {
        // The sync selects the mailbox, also when it fails half-way.
        selected_.clear();
        cache_->sync(c, mailbox,
                     [&](qsizetype done, qsizetype total) { return task.step(done, total); });
        const std::optional<imap::MailboxStatus> st = cache_->status(mailbox);
        selected_ = mailbox;
        selectedValidity_ = st ? st->uidValidity : 0;
        known_[mailbox] = cache_->listing(mailbox);
        validity_[mailbox] = selectedValidity_;
    });
    return known_[mailbox];
}

const QList<imap::CachedSummary>& Account::known(const QString& mailbox) {
    auto it = known_.find(mailbox);
    if (it != known_.end()) return *it;
    return refresh(mailbox);
}

quint32 Account::uidValidity(const QString& mailbox) {
    if (!validity_.contains(mailbox)) refresh(mailbox);
    return validity_.value(mailbox);
}

imap::Envelope Account::envelope(const MessageKey& key) {
    std::optional<imap::Envelope> e =
        guarded([&] { return cache_->envelope(key.mailbox, key.uidValidity, key.uid); });
    if (!e) mapi::raise(mapi::code::NotFound);
    return std::move(*e);
}

void Account::selectIn(imap::Client& c, const QString& mailbox, quint32 uidValidity, bool again) {
    if (again || selected_ != mailbox) {
        selected_.clear();
        const imap::MailboxStatus st = c.select(mailbox);
        selected_ = mailbox;
        selectedValidity_ = st.uidValidity;
    }
    if (selectedValidity_ == uidValidity) return;
    // Renumbered on the server: the identifier no longer names anything, and a
    // listing made before names other messages.
    if (validity_.value(mailbox) != selectedValidity_) {
        known_.remove(mailbox);
        validity_.remove(mailbox);
    }
    mapi::raise(mapi::code::NotFound);
}

QByteArray Account::fetchRaw(const MessageKey& key) {
    return call([&](imap::Client& c) {
        selectIn(c, key.mailbox, key.uidValidity, false);
        return c.fetchMessage(key.uid);
    });
}

QList<quint32> Account::search(const QString& mailbox, const imap::SearchCriteria& criteria) {
    const quint32 validity = uidValidity(mailbox);
    return call([&](imap::Client& c) {
        selectIn(c, mailbox, validity, false);
        return c.search(criteria);
    });
}

void Account::deleteMessage(const MessageKey& key) {
    // Sent again on a new connection, the STORE and the UID EXPUNGE of one UID
    // do no more than they would have done once.
    call([&](imap::Client& c) {
        selectIn(c, key.mailbox, key.uidValidity, true);
        c.deleteMessage(key.uid);
    });
    expunged_[expungedKey(key)].insert(key.uid);
    auto it = known_.find(key.mailbox);
    if (it != known_.end())
        it->removeIf([&](const imap::CachedSummary& s) { return s.uid == key.uid; });
}

bool Account::wasDeleted(const MessageKey& key) const {
    const auto it = expunged_.constFind(expungedKey(key));
    return it != expunged_.cend() && it->contains(key.uid);
}

MessageKey Account::appendDraft(const QString& mailbox, const QByteArray& raw,
                                const QString& messageId) {
    return appendWith(mailbox, raw, messageId, imap::Draft | imap::Seen, QDateTime());
}

MessageKey Account::appendMessage(const QString& mailbox, const QByteArray& raw, unsigned flags,
                                  const QDateTime& internalDate) {
    return appendWith(mailbox, raw, QString(), flags, internalDate);
}

MessageKey Account::appendWith(const QString& mailbox, const QByteArray& raw,
                               const QString& messageId, unsigned flags,
                               const QDateTime& internalDate) {
    const quint32 validity = uidValidity(mailbox);
    // A lost answer leaves it open whether the server stored the message, so an
    // APPEND is never simply sent again: a connection dropped while idle is found
    // out (and made again) by a NOOP before it, and one lost during it is asked
    // afterwards for the draft's Message-ID.
    call([](imap::Client& c) { c.noop(); });
    MessageKey key{mailbox, validity, 0};
    try {
        key.uid = call([&](imap::Client& c) { return c.append(mailbox, raw, flags, internalDate); },
                       Retry::Never);
    } catch (const mapi::Error&) {
        // Still connected: the server refused the message, nothing was stored.
        if (client_.isConnected() || messageId.isEmpty()) throw;
        key = landedDraft(mailbox, messageId);
    }
    // The next walk of the folder fetches the new headers.
    known_.remove(mailbox);
    return key;
}

MessageKey Account::landedDraft(const QString& mailbox, const QString& messageId) {
    imap::SearchCriteria c;
    c.messageId = QLatin1Char('<') + messageId + QLatin1Char('>');
    MessageKey key{mailbox, 0, 0};
    QList<quint32> found;
    try {
        connectAgain();
        const imap::MailboxStatus st = client_.select(mailbox);
        selected_ = mailbox;
        selectedValidity_ = key.uidValidity = st.uidValidity;
        found = client_.search(c);
    } catch (const imap::Error& e) {
        mapi::raise(mapi::code::NetworkError,
                    sentence(QStringLiteral("The connection to %1 was lost while the message was "
                                            "being saved in %2, and whether it was saved could "
                                            "not be checked: %3")
                                 .arg(settings_.connect.host, mailbox, e.message())));
    }
    if (found.isEmpty())
        mapi::raise(mapi::code::NetworkError,
                    QStringLiteral("The message was not saved in %1: the connection to %2 was "
                                   "lost while it was being stored.")
                        .arg(mailbox, settings_.connect.host));
    key.uid = found.last();
    return key;
}

}  // namespace imapstore
