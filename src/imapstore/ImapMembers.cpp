// The everyday members of an account's store, folders and messages beyond
// those the program's own code calls: default folders, new and deleted
// mailboxes, copies and moves (also to and from the embedded store), sorting
// and replies.

#include <algorithm>
#include <numeric>

#include "imapstore/DraftWriter.h"
#include "imapstore/ImapObjects.h"
#include "messaging/ReadOnly.h"
#include "model/Reply.h"
#include "model/StoreRules.h"

namespace imapstore {

using mapi::Ref;
using mapi::Variant;

// ---- the account ----------------------------------------------------------------

Ref<mapi::Folder> Account::defaultFolder(std::int32_t kind) {
    const QStringList names = model::defaultFolderNames(kind);
    if (kind == 1)
        return Ref<mapi::Folder>(
            std::make_shared<ImapFolder>(shared_from_this(), QStringLiteral("INBOX")));
    if (kind == 2) return outbox();
    // The server's own mark first: it holds whatever the mailbox is called.
    const QString use = kind == 3 ? QStringLiteral("Sent") : QStringLiteral("Trash");
    for (const MailboxNode& n : mailboxes())
        if (n.selectable && n.attributes.contains(use, Qt::CaseInsensitive))
            return Ref<mapi::Folder>(std::make_shared<ImapFolder>(shared_from_this(), n.name));
    ImapRootFolder root(shared_from_this());
    return model::folderByDefaultName(root, kind);
}

Ref<mapi::AddressEntry> Account::owner() {
    return plainEntry(address(), address());
}

Ref<mapi::Folder> Account::locate(const QString& folderId, const QString& storeId) {
    if (locator_) return locator_(folderId, storeId);
    if (!storeId.trimmed().isEmpty() && !ownsStoreId(storeId)) mapi::raise(mapi::code::NotFound);
    Ref<mapi::Folder> f = folderById(folderId);
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

QString Account::childName(const QString& parent, const QString& name) {
    if (parent.isEmpty()) return name;
    QChar delimiter;
    for (const MailboxNode& n : mailboxes())
        if (!n.delimiter.isNull()) delimiter = n.delimiter;
    if (delimiter.isNull()) mapi::raise(mapi::code::NoSupport);
    return parent + delimiter + name;
}

void Account::createMailbox(const QString& name) {
    if (mailbox(name)) mapi::raise(mapi::code::Collision);
    makeMailbox(name);
}

void Account::makeMailbox(const QString& name) {
    try {
        call([&](imap::Client& c) { c.create(name); });
    } catch (const mapi::Error&) {
        // Sent again after a lost answer, the CREATE finds the mailbox made.
        mailboxes_.reset();
        if (!mailbox(name)) throw;
    }
    mailboxes_.reset();
}

void Account::deleteMailbox(const QString& name) {
    const std::optional<MailboxNode> top = mailbox(name);
    if (!top) mapi::raise(mapi::code::NotFound);
    // The deepest first: a server may keep a parent whose children remain.
    std::vector<QString> doomed;
    for (const MailboxNode& n : mailboxes())
        if (!n.delimiter.isNull() && n.name.startsWith(name + n.delimiter))
            doomed.push_back(n.name);
    std::sort(doomed.begin(), doomed.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    doomed.push_back(name);
    for (const QString& m : doomed) {
        if (selected_ == m) selected_.clear();
        call([&](imap::Client& c) { c.remove(m); }, Retry::Never);
        known_.remove(m);
        validity_.remove(m);
    }
    mailboxes_.reset();
}

// ---- folders --------------------------------------------------------------------

Ref<mapi::Folder> ImapFolders::Add(const QString& name) {
    mapi::checkSessionWritable();
    if (name.trimmed().isEmpty()) mapi::raise(mapi::code::InvalidParameter);
    const QString full = a_->childName(parent_, name);
    a_->createMailbox(full);
    items_.reset();
    return Ref<mapi::Folder>(std::make_shared<ImapFolder>(a_, full));
}

Ref<mapi::Object> ImapRootFolder::Parent() {
    return Ref<mapi::Object>(std::shared_ptr<mapi::Object>(a_->infoStore().shared()));
}

void ImapRootFolder::Delete() {
    mapi::raise(mapi::code::NoAccess);
}

Ref<mapi::Folder> ImapRootFolder::CopyTo(const QString&, const QString&, const QString&, bool) {
    mapi::raise(mapi::code::NoAccess);
}

Ref<mapi::Folder> ImapRootFolder::MoveTo(const QString&, const QString&) {
    mapi::raise(mapi::code::NoAccess);
}

Ref<mapi::Object> ImapFolder::Parent() {
    const std::optional<MailboxNode> n = a_->mailbox(mailbox_);
    if (!n) mapi::raise(mapi::code::NotFound);
    if (!n->parent.isEmpty() && a_->mailbox(n->parent))
        return Ref<mapi::Object>(std::make_shared<ImapFolder>(a_, n->parent));
    return Ref<mapi::Object>(std::make_shared<ImapRootFolder>(a_));
}

void ImapFolder::Delete() {
    mapi::checkSessionWritable();
    // INBOX is the account's own: a server refuses to delete it.
    if (mailbox_.compare(QLatin1String("INBOX"), Qt::CaseInsensitive) == 0)
        mapi::raise(mapi::code::NoAccess);
    a_->deleteMailbox(mailbox_);
}

Ref<mapi::Folder> ImapFolder::CopyTo(const QString& folderId, const QString& storeId,
                                     const QString& name, bool subfolders) {
    const Ref<mapi::Folder> target = a_->locate(folderId, storeId);
    return model::copyFolder(*this, *target, name, subfolders, false);
}

Ref<mapi::Folder> ImapFolder::MoveTo(const QString& folderId, const QString& storeId) {
    const Ref<mapi::Folder> target = a_->locate(folderId, storeId);
    return model::copyFolder(*this, *target, QString(), true, true);
}

namespace {

// A message that has no RFC 822 form of its own, written as a server keeps mail.
QByteArray rawOf(const mapi::MessageCopy& c) {
    Draft d;
    d.fromName = c.hasSender ? c.senderName : QString();
    d.fromAddress = c.hasSender ? c.senderAddress : QString();
    d.subject = c.subject;
    d.body = c.body;
    d.importance = c.importance;
    d.date = c.timeSent ? c.timeSent : c.timeReceived;
    d.messageId = newMessageId(d.fromAddress);
    for (const auto& r : c.recipients) {
        const std::int32_t t = r.type >= 1 && r.type <= 3 ? r.type : 1;
        d.recipients.push_back(
            mime::Recipient{r.name, r.address, static_cast<mime::RecipientType>(t)});
    }
    for (const auto& a : c.attachments)
        d.attachments.push_back(mime::Attachment{a.name, QString(), a.data});
    return writeDraft(d);
}

}  // namespace

Ref<mapi::Message> ImapFolder::importCopy(mapi::Message& source) {
    mapi::checkSessionWritable();
    const std::optional<MailboxNode> n = a_->mailbox(mailbox_);
    if (!n || !n->selectable) mapi::raise(mapi::code::NotFound);
    QByteArray raw;
    bool unread = false;
    std::optional<QDateTime> received;
    auto* own = dynamic_cast<ImapMessage*>(&source);
    if (own && own->account() == a_ && own->key()) {
        // The server's bytes as they are.
        raw = a_->fetchRaw(*own->key());
        unread = own->data().unread;
        received = own->data().received;
    } else {
        const mapi::MessageCopy c = source.exportCopy();
        raw = c.raw.isEmpty() ? rawOf(c) : c.raw;
        unread = c.unread;
        received = c.timeReceived;
    }
    const MessageKey key = a_->appendMessage(mailbox_, raw, unread ? 0u : unsigned(imap::Seen),
                                             received.value_or(QDateTime()));
    if (key.uid != 0) return a_->messageByKey(key);
    // A server without UIDPLUS: the newest message of the mailbox is the copy.
    const QList<imap::CachedSummary>& list = a_->refresh(mailbox_);
    if (list.isEmpty()) mapi::raise(mapi::code::NotFound);
    return a_->messageByKey(MessageKey{mailbox_, a_->uidValidity(mailbox_), list.last().uid});
}

// ---- messages -------------------------------------------------------------------

void ImapMessages::Sort(std::int32_t order, std::uint32_t tag) {
    model::checkSortOrder(order);
    sort_ = std::make_pair(order, tag);
    applySort();
}

void ImapMessages::applySort() {
    if (!sort_ || mailbox_.isEmpty()) return;
    const std::size_t n = listedCount();
    std::vector<std::pair<Variant, std::size_t>> keyed;
    keyed.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        keyed.emplace_back(model::sortValue(*listed(i), sort_->second), i);
    const bool descending = sort_->first == 2;
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        return descending ? model::sortsBefore(b.first, a.first)
                          : model::sortsBefore(a.first, b.first);
    });
    QList<imap::CachedSummary> all;
    std::vector<std::weak_ptr<ImapMessage>> made;
    for (const auto& k : keyed) {
        all.append((*all_)[static_cast<qsizetype>(k.second)]);
        made.push_back(made_[k.second]);
    }
    all_ = std::move(all);
    made_ = std::move(made);
    filteredFor_.reset();
}

Ref<mapi::Folder> ImapMessage::Parent() {
    checkAlive();
    if (!a_->mailbox(mailbox_)) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Folder>(std::make_shared<ImapFolder>(a_, mailbox_));
}

Ref<mapi::Message> ImapMessage::CopyTo(const QString& folderId, const QString& storeId) {
    checkAlive();
    if (!key_) mapi::raise(mapi::code::NotFound);
    return model::copyMessage(*this, *a_->locate(folderId, storeId), false);
}

Ref<mapi::Message> ImapMessage::MoveTo(const QString& folderId, const QString& storeId) {
    checkAlive();
    if (!key_) mapi::raise(mapi::code::NotFound);
    return model::copyMessage(*this, *a_->locate(folderId, storeId), true);
}

namespace {

Ref<mapi::Message> respond(const AccountPtr& a, mapi::Message& m, model::Response kind) {
    const Ref<mapi::Messages> outbox = a->outbox()->MessagesOf();
    return model::respond(m, *outbox, kind, a->address());
}

}  // namespace

Ref<mapi::Message> ImapMessage::Forward() {
    checkAlive();
    return respond(a_, *this, model::Response::Forward);
}

Ref<mapi::Message> ImapMessage::Reply() {
    checkAlive();
    return respond(a_, *this, model::Response::Reply);
}

Ref<mapi::Message> ImapMessage::ReplyAll() {
    checkAlive();
    return respond(a_, *this, model::Response::ReplyAll);
}

mapi::MessageCopy ImapMessage::exportCopy() {
    checkAlive();
    mapi::MessageCopy c = model::copyOf(*this);
    if (key_) c.raw = a_->fetchRaw(*key_);
    return c;
}

}  // namespace imapstore
