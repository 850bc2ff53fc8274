// The everyday members of the store's session, stores, folders and messages
// beyond those the program's own code calls: default folders, the current
// user, folder and message copies (also to and from an account), replies.

#include <QCryptographicHash>

#include "messaging/ReadOnly.h"
#include "model/Reply.h"
#include "model/StoreRules.h"
#include "model/Subject.h"
#include "store/MessageRows.h"
#include "store/StoreObjects.h"
#include "store/Tables.h"

namespace store {

using mapi::Ref;
using mapi::Variant;

namespace {

SqlValue timeValue(const std::optional<QDateTime>& t) {
    if (!t || !t->isValid()) return SqlValue();
    return SqlValue(model::secondsOf(*t));
}

std::int64_t storeOfFolder(Db& db, std::int64_t folder) {
    Stmt& q = db.cached("SELECT store FROM folders WHERE rid = ?1");
    q.bind(1, folder);
    if (!q.step()) {
        q.reset();
        mapi::raise(mapi::code::NotFound);
    }
    const std::int64_t store = q.integer(0);
    q.reset();
    return store;
}

// Where the session's replies and forwards go, and whose they are.
Ref<mapi::Folder> outboxOf(const SessionPtr& s) {
    return defaultFolder(s, 2);
}

QString ownAddress(const SessionPtr& s) {
    if (!s->accounts.empty()) return s->accounts.front()->infoStore()->owner()->Address();
    return s->address;
}

Ref<mapi::Message> respond(const SessionPtr& s, mapi::Message& m, model::Response kind) {
    const Ref<mapi::Messages> outbox = outboxOf(s)->MessagesOf();
    return model::respond(m, *outbox, kind, ownAddress(s));
}

}  // namespace

// ---- session --------------------------------------------------------------------

Ref<mapi::Folder> defaultFolder(const SessionPtr& s, std::int32_t kind) {
    model::defaultFolderNames(kind);  // an unknown kind fails before any look-up
    if (!s->accounts.empty()) return s->accounts.front()->infoStore()->defaultFolder(kind);
    for (const auto& store : profileStores(s)) {
        try {
            store->defaultFolder(1);
        } catch (const mapi::Error& e) {
            if (e.number() == mapi::code::NotFound) continue;
            throw;
        }
        return store->defaultFolder(kind);
    }
    mapi::raise(mapi::code::NotFound);
}

Ref<mapi::AddressEntry> SessionImpl::CurrentUser() {
    const SessionPtr& s = state();
    if (!s->accounts.empty()) return s->accounts.front()->infoStore()->owner();
    return Ref<mapi::AddressEntry>(AddressEntryImpl::transient(s, s->profileName, s->address));
}

QString SessionImpl::Name() {
    return state()->profileName;
}

Ref<mapi::Folder> SessionImpl::GetDefaultFolder(std::int32_t kind) {
    return defaultFolder(state(), kind);
}

Ref<mapi::AddressEntry> SessionImpl::GetAddressEntry(const QString& entryId) {
    const SessionPtr& s = state();
    Stmt& q = s->db->cached(
        "SELECT e.rid FROM entries e JOIN profile_lists p ON p.list = e.list "
        "WHERE e.eid = ?1 AND p.profile = ?2");
    q.bind(1, entryId.trimmed().toUpper()).bind(2, s->profile);
    const bool found = q.step();
    const std::int64_t rid = found ? q.integer(0) : 0;
    q.reset();
    if (!found) mapi::raise(mapi::code::NotFound);
    std::shared_ptr<AddressEntryImpl> e = AddressEntryImpl::load(s, rid);
    if (!e) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::AddressEntry>(e);
}

// ---- stores ---------------------------------------------------------------------

Ref<mapi::Folder> InfoStoreImpl::defaultFolder(std::int32_t kind) {
    model::defaultFolderNames(kind);
    if (kind == 2 && outbox_)
        if (Ref<mapi::Folder> f = FolderImpl::load(s_, *outbox_)) return f;
    return model::folderByDefaultName(*RootFolder(), kind);
}

Ref<mapi::AddressEntry> InfoStoreImpl::owner() {
    return Ref<mapi::AddressEntry>(AddressEntryImpl::transient(s_, s_->profileName, s_->address));
}

// ---- folders --------------------------------------------------------------------

Ref<mapi::Object> FolderImpl::Parent() {
    Stmt& q = s_->db->cached("SELECT parent, store FROM folders WHERE rid = ?1");
    q.bind(1, rid_);
    if (!q.step()) {
        q.reset();
        mapi::raise(mapi::code::NotFound);
    }
    const std::optional<std::int64_t> parent =
        q.isNull(0) ? std::nullopt : std::optional<std::int64_t>(q.integer(0));
    const std::int64_t store = q.integer(1);
    q.reset();
    if (parent) {
        Ref<mapi::Folder> f = FolderImpl::load(s_, *parent);
        if (!f) mapi::raise(mapi::code::NotFound);
        return Ref<mapi::Object>(f.shared());
    }
    // The top folder's parent is its store.
    for (const auto& st : profileStores(s_))
        if (st->rid() == store) return Ref<mapi::Object>(std::shared_ptr<mapi::Object>(st));
    mapi::raise(mapi::code::NotFound);
}

void FolderImpl::Delete() {
    mapi::checkSessionWritable();
    Db& db = *s_->db;
    Db::Transaction tx(db);
    bool own = false;
    {
        Stmt q = db.prepare(
            "SELECT 1 FROM folders f WHERE f.rid = ?1 AND f.parent IS NOT NULL AND NOT EXISTS "
            "(SELECT 1 FROM stores s WHERE s.outbox = f.rid)");
        q.bind(1, rid_);
        own = q.step();
    }
    // A store's top folder and its Outbox are the store's own: only the store goes with them.
    if (!own) {
        if (!FolderImpl::load(s_, rid_)) mapi::raise(mapi::code::NotFound);
        mapi::raise(mapi::code::NoAccess);
    }
    deleteFolderTree(db, rid_);
    tx.commit();
}

Ref<mapi::Folder> FolderImpl::CopyTo(const QString& folderId, const QString& storeId,
                                     const QString& name, bool subfolders) {
    const Ref<mapi::Folder> target = findFolder(s_, folderId, storeId);
    return model::copyFolder(*this, *target, name, subfolders, false);
}

Ref<mapi::Folder> FolderImpl::MoveTo(const QString& folderId, const QString& storeId) {
    const Ref<mapi::Folder> target = findFolder(s_, folderId, storeId);
    return model::copyFolder(*this, *target, QString(), true, true);
}

Ref<mapi::Message> FolderImpl::importCopy(mapi::Message& source) {
    mapi::checkSessionWritable();
    Db& db = *s_->db;
    storeOfFolder(db, rid_);  // a folder deleted since takes no copy
    auto* own = dynamic_cast<MessageImpl*>(&source);
    std::int64_t rid = 0;
    if (own && own->rid() != 0 && own->session()->db == s_->db) {
        // Within the store file: the row with everything it has.
        Db::Transaction tx(db);
        rid = copyMessage(db, own->rid(), rid_);
        tx.commit();
    } else {
        const mapi::MessageCopy c = source.exportCopy();
        Db::Transaction tx(db);
        const std::int64_t size =
            c.raw.isEmpty()
                ? static_cast<std::int64_t>(c.subject.toUtf8().size() + c.body.toUtf8().size())
                : c.raw.size();
        rid = insertMessage(
            db, {{"eid", QStringLiteral("pending")},
                 {"folder", rid_},
                 {"importance", std::int64_t{c.importance}},
                 {"type", c.messageClass},
                 {"subject", c.subject},
                 {"time_sent", timeValue(c.timeSent)},
                 {"conv_topic", model::conversationTopic(c.subject)},
                 {"conv_index", SqlValue(QByteArray())},
                 {"sender_name", c.hasSender ? SqlValue(c.senderName) : SqlValue()},
                 {"time_received", timeValue(c.timeReceived)},
                 {"size", std::min<std::int64_t>(size, INT32_MAX)},
                 {"body", c.body},
                 {"has_sender", std::int64_t{c.hasSender ? 1 : 0}},
                 {"sender_address", c.hasSender ? SqlValue(c.senderAddress) : SqlValue()},
                 {"unread", std::int64_t{c.unread ? 1 : 0}},
                 {"sent", std::int64_t{c.sent ? 1 : 0}},
                 {"delivery_receipt", std::int64_t{0}},
                 {"read_receipt", std::int64_t{0}}});
        assignEntryId(db, EntryKind::Message, rid);
        for (const auto& r : c.recipients)
            insertRecipient(db, rid, r.name, r.address, std::int64_t{r.type}, std::int64_t{0},
                            QStringLiteral("SMTP"));
        std::int64_t position = 0;
        for (const auto& a : c.attachments)
            insertAttachment(db, rid, a.name, std::int64_t{1}, position++, SqlValue(a.data));
        // The raw form goes along, so that a copy back to a server is the same mail.
        if (!c.raw.isEmpty()) {
            ensureImportTables(db);
            insertMessageSource(db, rid, SqlValue(),
                                QCryptographicHash::hash(c.raw, QCryptographicHash::Sha1), c.raw);
        }
        tx.commit();
    }
    std::shared_ptr<MessageImpl> m = MessageImpl::load(s_, rid);
    if (!m) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Message>(m);
}

Ref<mapi::Folder> FoldersImpl::Add(const QString& name) {
    mapi::checkSessionWritable();
    if (name.trimmed().isEmpty()) mapi::raise(mapi::code::InvalidParameter);
    Db& db = *s_->db;
    Db::Transaction tx(db);
    {
        Stmt q = db.prepare("SELECT 1 FROM folders WHERE parent = ?1 AND name = ?2 COLLATE NOCASE");
        q.bind(1, parent_).bind(2, name);
        if (q.step()) mapi::raise(mapi::code::Collision);
    }
    const std::int64_t rid = insertFolder(db, storeOfFolder(db, parent_), parent_, name);
    assignEntryId(db, EntryKind::Folder, rid);
    tx.commit();
    Ref<mapi::Folder> f = FolderImpl::load(s_, rid);
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

// ---- messages -------------------------------------------------------------------

Ref<mapi::Folder> MessageImpl::Parent() {
    checkAlive();
    Ref<mapi::Folder> f = FolderImpl::load(s_, folder_);
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

Ref<mapi::Message> MessageImpl::CopyTo(const QString& folderId, const QString& storeId) {
    checkAlive();
    if (rid_ == 0) mapi::raise(mapi::code::NotFound);
    return model::copyMessage(*this, *findFolder(s_, folderId, storeId), false);
}

Ref<mapi::Message> MessageImpl::MoveTo(const QString& folderId, const QString& storeId) {
    checkAlive();
    if (rid_ == 0) mapi::raise(mapi::code::NotFound);
    return model::copyMessage(*this, *findFolder(s_, folderId, storeId), true);
}

Ref<mapi::Message> MessageImpl::Forward() {
    checkAlive();
    return respond(s_, *this, model::Response::Forward);
}

Ref<mapi::Message> MessageImpl::Reply() {
    checkAlive();
    return respond(s_, *this, model::Response::Reply);
}

Ref<mapi::Message> MessageImpl::ReplyAll() {
    checkAlive();
    return respond(s_, *this, model::Response::ReplyAll);
}

mapi::MessageCopy MessageImpl::exportCopy() {
    checkAlive();
    mapi::MessageCopy c = model::copyOf(*this);
    if (rid_ != 0 && hasTable(*s_->db, "message_sources")) {
        Stmt& q = s_->db->cached("SELECT raw FROM message_sources WHERE message = ?1");
        q.bind(1, rid_);
        if (q.step() && !q.isNull(0)) c.raw = q.blob(0);
        q.reset();
    }
    return c;
}

}  // namespace store
