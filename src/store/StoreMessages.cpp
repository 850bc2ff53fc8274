#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <limits>

#include "store/StoreObjects.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

namespace {

// Properties kept on a message but not listed in its Fields.
inline constexpr std::uint32_t kSenderAddress = 0x0C1F001E;
inline constexpr std::uint32_t kUnread = 0x7FF0000B;
inline constexpr std::uint32_t kSent = 0x7FF1000B;
inline constexpr std::uint32_t kDeliveryReceipt = 0x0023000B;
inline constexpr std::uint32_t kReadReceipt = 0x0029000B;

// Column order of the messages table as load() reads and Update() writes it.
struct Column {
    const char* name;
    std::uint32_t tag;
    VarType vt;
};
const Column kColumns[] = {
    {"importance", tag::Importance, VarType::Long},
    {"type", tag::MessageClass, VarType::String},
    {"subject", tag::Subject, VarType::String},
    {"time_sent", tag::ClientSubmitTime, VarType::Date},
    {"conv_topic", tag::ConversationTopic, VarType::String},
    {"conv_index", tag::ConversationIndex, VarType::Binary},
    {"sender_name", tag::SenderName, VarType::String},
    {"time_received", tag::DeliveryTime, VarType::Date},
    {"size", tag::MessageSize, VarType::Long},
    {"body", tag::Body, VarType::String},
    {"sender_address", kSenderAddress, VarType::String},
    {"unread", kUnread, VarType::Boolean},
    {"sent", kSent, VarType::Boolean},
    {"delivery_receipt", kDeliveryReceipt, VarType::Boolean},
    {"read_receipt", kReadReceipt, VarType::Boolean},
};

#define QV_MESSAGE_COLUMNS                                                               \
    "SELECT eid, folder, has_sender, importance, type, subject, time_sent, conv_topic, " \
    "conv_index, sender_name, time_received, size, NULL, sender_address, unread, sent, " \
    "delivery_receipt, read_receipt"
const char* const kLoadSql = QV_MESSAGE_COLUMNS " FROM messages WHERE rid = ?1";
// The same columns for a run of rows, the row id last.
const char* const kLoadRangeSql =
    QV_MESSAGE_COLUMNS ", rid FROM messages WHERE rid BETWEEN ?1 AND ?2 ORDER BY rid";
constexpr int kRangeRidColumn = 18;
#undef QV_MESSAGE_COLUMNS
// What a walk reads of a run of rows.
const char* const kListRangeSql =
    "SELECT eid, folder, subject, rid FROM messages WHERE rid BETWEEN ?1 AND ?2 ORDER BY rid";
constexpr int kListRidColumn = 3;

// Steps kListRangeSql over rids[0..count) (ascending, count > 0) and hands
// each(j, q) the row of rids[j]; rows gone since the snapshot are passed over.
template <class Each>
void forEachListedRow(Db& db, const std::int64_t* rids, std::size_t count, Each&& each) {
    Stmt& q = db.cached(kListRangeSql);
    q.bind(1, rids[0]).bind(2, rids[count - 1]);
    std::size_t j = 0;
    while (j < count && q.step()) {
        const std::int64_t rid = q.integer(kListRidColumn);
        while (j < count && rids[j] < rid) ++j;
        if (j < count && rids[j] == rid) each(j++, q);
    }
    q.reset();
}

// Messages read per statement while walking a folder: one lock and one
// statement per batch instead of per message keeps a 100,000-message walk fast.
constexpr std::size_t kWalkBatch = 256;

template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<Ref<T>> items) : items_(std::move(items)) {}
    Ref<T> next() override { return i_ < items_.size() ? items_[i_++] : Ref<T>(); }

  private:
    std::vector<Ref<T>> items_;
    std::size_t i_ = 0;
};

template <class T>
const T& required(const std::optional<T>& v) {
    if (!v) mapi::raise(mapi::code::NotFound);
    return *v;
}

}  // namespace

const char* messageColumn(std::uint32_t t) {
    for (const Column& c : kColumns)
        if (c.tag == t) return c.name;
    return nullptr;
}

// ---- Recipient(s) -------------------------------------------------------------------

QString RecipientImpl::Name() {
    return required(name);
}
std::int32_t RecipientImpl::Type() {
    return required(type);
}
QString RecipientImpl::Address() {
    return required(address);
}
std::int32_t RecipientImpl::DisplayType() {
    return required(displayType);
}
void RecipientImpl::SetName(const QString& v) {
    name = v;
}
void RecipientImpl::SetType(std::int32_t v) {
    // Stores hold types beyond To, Cc and Bcc (the originator, the resend
    // flag ORed in), so any value is kept as given.
    type = v;
}
void RecipientImpl::SetAddress(const QString& v) {
    address = v;
}

void RecipientImpl::Resolve() {
    const QString wanted = required(name);
    const auto found = findEntries(s_, wanted);
    if (found.empty()) mapi::raise(mapi::code::NotFound);
    if (found.size() > 1) mapi::raise(mapi::code::AmbiguousRecip);
    const auto& e = found.front();
    name = e->Name();
    address = e->Address();
    addressType = e->Type();
    displayType = e->DisplayType();
    entryId = e->ID();
}

std::int32_t RecipientsImpl::Count() {
    return static_cast<std::int32_t>(items.size());
}

Ref<mapi::Recipient> RecipientsImpl::Item(std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > items.size())
        mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Recipient>(items[index - 1]);
}

std::unique_ptr<mapi::Enumerator<mapi::Recipient>> RecipientsImpl::enumerate() {
    return std::make_unique<VectorEnum<mapi::Recipient>>(
        std::vector<Ref<mapi::Recipient>>(items.begin(), items.end()));
}

Ref<mapi::Recipient> RecipientsImpl::Add(const QString& name, std::int32_t type) {
    auto r = std::make_shared<RecipientImpl>(s_);
    r->name = name;
    r->type = type;
    r->displayType = 0;
    items.push_back(r);
    return Ref<mapi::Recipient>(r);
}

// ---- Attachment(s) -------------------------------------------------------------------

QString AttachmentImpl::Name() {
    return required(name);
}
std::int32_t AttachmentImpl::Type() {
    return required(type);
}
std::int32_t AttachmentImpl::Position() {
    return required(position);
}

void AttachmentImpl::ReadFromFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) mapi::raise(mapi::code::NotFound);
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) mapi::raise(mapi::code::NoAccess);
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) mapi::raise(mapi::code::NoAccess);
    data_ = std::move(bytes);
    storedRid_ = 0;
    storedSize_ = data_->size();
}

void AttachmentImpl::WriteToFile(const QString& path) {
    if (!data_ && storedRid() == 0) mapi::raise(mapi::code::NotFound);
    if (path.isEmpty() || QFileInfo(path).isDir()) mapi::raise(mapi::code::NoAccess);
    // Written beside the target and renamed over it, so a failed write leaves
    // no half-written file behind.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) mapi::raise(mapi::code::NoAccess);
    bool written = true;
    if (data_) {
        written = f.write(*data_) == data_->size();
    } else {
        // Straight from the store, a piece at a time.
        written = s_->db->readBlob("attachments", "data", storedRid_,
                                   [&f](const char* d, int n) { return f.write(d, n) == n; });
    }
    if (!written || !f.commit()) mapi::raise(mapi::code::NoAccess);
}

std::int64_t AttachmentImpl::dataSize() const {
    return data_ ? data_->size() : storedSize_;
}

void AttachmentImpl::stored(SessionPtr s, std::int64_t rid) {
    s_ = std::move(s);
    storedRid_ = rid;
    storedSize_ = dataSize();
    data_.reset();
}

Ref<mapi::Attachment> AttachmentsImpl::Item(std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > items.size())
        mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Attachment>(items[index - 1]);
}

std::unique_ptr<mapi::Enumerator<mapi::Attachment>> AttachmentsImpl::enumerate() {
    return std::make_unique<VectorEnum<mapi::Attachment>>(
        std::vector<Ref<mapi::Attachment>>(items.begin(), items.end()));
}

Ref<mapi::Attachment> AttachmentsImpl::Add() {
    auto a = std::make_shared<AttachmentImpl>();
    a->name = QString();
    a->type = 1;
    a->position = static_cast<std::int32_t>(items.size());
    items.push_back(a);
    return Ref<mapi::Attachment>(a);
}

// ---- Message ----------------------------------------------------------------------------

const std::vector<PropertyBag::Standard>& MessageImpl::standardTable() {
    static const std::vector<PropertyBag::Standard> table = [] {
        std::vector<PropertyBag::Standard> t;
        for (const Column& c : kColumns)
            t.push_back({c.tag, c.vt,
                         (c.tag & 0x7FF00000u) != 0x7FF00000u && c.tag != kSenderAddress &&
                             c.tag != kDeliveryReceipt && c.tag != kReadReceipt});
        return t;
    }();
    return table;
}

MessageImpl::MessageImpl(SessionPtr s, std::int64_t folder)
    : s_(std::move(s)), folder_(folder), bag_(&standardTable()) {
    // A new message: what a freshly created note has until the caller sets more.
    bag_.setRaw(tag::Importance, Variant(std::int32_t{1}));
    bag_.setRaw(tag::MessageClass, Variant(QStringLiteral("IPM.Note")));
    bag_.setRaw(tag::Subject, Variant(QString()));
    bag_.setRaw(tag::Body, Variant(QString()));
    bag_.setRaw(tag::SenderName, Variant(s_->userName));
    bag_.setRaw(kSenderAddress, Variant(QString()));
    bag_.setRaw(kUnread, Variant(false));
    bag_.setRaw(kSent, Variant(false));
    bag_.setRaw(kDeliveryReceipt, Variant(false));
    bag_.setRaw(kReadReceipt, Variant(false));
    customLoaded_ = true;
    recips_ = std::make_shared<RecipientsImpl>(s_);
    atts_ = std::make_shared<AttachmentsImpl>();
}

MessageImpl::MessageImpl(SessionPtr s, std::int64_t folder, StoredTag)
    : s_(std::move(s)), folder_(folder), bag_(&standardTable()) {}

std::shared_ptr<MessageImpl> MessageImpl::load(const SessionPtr& s, std::int64_t rid) {
    Stmt& q = s->db->cached(kLoadSql);
    q.bind(1, rid);
    if (!q.step()) {
        q.reset();
        return nullptr;
    }
    auto m = fromRow(s, q, rid);
    q.reset();
    return m;
}

std::vector<std::shared_ptr<MessageImpl>> MessageImpl::loadRun(const SessionPtr& s,
                                                               const std::int64_t* rids,
                                                               std::size_t count) {
    std::vector<std::shared_ptr<MessageImpl>> out(count);
    if (count == 0) return out;
    auto run = std::make_shared<ListedRun>();
    run->first = rids[0];
    run->last = rids[count - 1];
    // Rows gone since the snapshot stay empty.
    forEachListedRow(*s->db, rids, count, [&](std::size_t j, Stmt& q) {
        auto m = std::make_shared<MessageImpl>(s, q.integer(1), StoredTag{});
        m->rid_ = rids[j];
        m->eid_ = q.text(0);
        m->bag_.setRaw(tag::Subject, decode(VarType::String, q.value(2)));
        m->bodyLoaded_ = false;
        m->rowLoaded_ = false;
        m->run_ = run;
        run->members.push_back(m);
        out[j] = std::move(m);
    });
    return out;
}

void MessageImpl::ListedRun::load(Db& db) {
    // Every message of the run still in use gets its row from one statement:
    // a read per message would take and drop the file lock each time.
    Stmt& q = db.cached(kLoadRangeSql);
    q.bind(1, first).bind(2, last);
    std::size_t j = 0;
    while (j < members.size() && q.step()) {
        const std::int64_t rid = q.integer(kRangeRidColumn);
        for (; j < members.size(); ++j) {
            const std::shared_ptr<MessageImpl> m = members[j].lock();
            if (!m || m->rowLoaded_) continue;
            if (m->rid_ > rid) break;
            if (m->rid_ == rid) {
                m->applyRow(q);
                m->rowLoaded_ = true;
                m->run_.reset();
                ++j;
                break;
            }
        }
    }
    q.reset();
    members.clear();
}

std::shared_ptr<MessageImpl> MessageImpl::fromRow(const SessionPtr& s, Stmt& q, std::int64_t rid) {
    auto m = std::make_shared<MessageImpl>(s, q.integer(1), StoredTag{});
    m->rid_ = rid;
    m->eid_ = q.text(0);
    m->applyRow(q);
    m->bodyLoaded_ = false;
    return m;
}

void MessageImpl::applyRow(Stmt& q) {
    const bool hasSender = q.integer(2) != 0;
    int col = 3;
    for (const Column& c : kColumns) {
        const SqlValue v = q.value(col++);
        bag_.setRaw(c.tag, decode(c.vt, v));
    }
    if (!hasSender) {
        bag_.erase(tag::SenderName);
        bag_.erase(kSenderAddress);
    }
    bag_.erase(tag::Body);
}

void MessageImpl::loadRow() {
    if (rowLoaded_) return;
    if (auto run = std::move(run_)) {
        run->load(*s_->db);
        if (rowLoaded_) return;
    }
    Stmt& q = s_->db->cached(kLoadSql);
    q.bind(1, rid_);
    if (!q.step()) {
        q.reset();
        mapi::raise(mapi::code::NotFound);
    }
    applyRow(q);
    q.reset();
    rowLoaded_ = true;
}

void MessageImpl::checkAlive() const {
    if (deleted_) mapi::raise(mapi::code::NotFound);
}

const QString& MessageImpl::text(std::uint32_t t) const {
    return bag_.get(t).asString();
}

QString MessageImpl::ID() {
    if (rid_ == 0) mapi::raise(mapi::code::NotFound);
    return eid_;
}
QString MessageImpl::Subject() {
    return text(tag::Subject);
}
QString MessageImpl::Text() {
    loadRow();
    loadBody();
    return text(tag::Body);
}
Variant MessageImpl::Importance() {
    loadRow();
    return bag_.get(tag::Importance);
}
Variant MessageImpl::Size() {
    loadRow();
    return bag_.get(tag::MessageSize);
}
Variant MessageImpl::TimeReceived() {
    loadRow();
    return bag_.get(tag::DeliveryTime);
}
Variant MessageImpl::TimeSent() {
    loadRow();
    return bag_.get(tag::ClientSubmitTime);
}
QString MessageImpl::Type() {
    loadRow();
    return text(tag::MessageClass);
}
Variant MessageImpl::Unread() {
    loadRow();
    return bag_.get(kUnread);
}
Variant MessageImpl::Sent() {
    loadRow();
    return bag_.get(kSent);
}
QString MessageImpl::ConversationIndex() {
    loadRow();
    return QString::fromLatin1(bag_.get(tag::ConversationIndex).asBinary().toHex().toUpper());
}
QString MessageImpl::ConversationTopic() {
    loadRow();
    return text(tag::ConversationTopic);
}
Variant MessageImpl::DeliveryReceipt() {
    loadRow();
    return bag_.get(kDeliveryReceipt);
}
Variant MessageImpl::ReadReceipt() {
    loadRow();
    return bag_.get(kReadReceipt);
}

Ref<mapi::AddressEntry> MessageImpl::Sender() {
    loadRow();
    if (!bag_.has(tag::SenderName) && !bag_.has(kSenderAddress)) mapi::raise(mapi::code::NotFound);
    const Variant name = bag_.getOr(tag::SenderName, Variant::null());
    const Variant address = bag_.getOr(kSenderAddress, Variant(QString()));
    auto e = AddressEntryImpl::transient(s_, name.isNull() ? QString() : name.asString(),
                                         address.asString());
    if (name.isNull()) e->setField(tag::DisplayName, QString(), Variant::null());
    return Ref<mapi::AddressEntry>(e);
}

void MessageImpl::SetSubject(const QString& v) {
    loadRow();
    bag_.set(tag::Subject, v);
}
void MessageImpl::SetText(const QString& v) {
    loadRow();
    bodyLoaded_ = true;
    bag_.set(tag::Body, v);
}
void MessageImpl::SetImportance(std::int32_t v) {
    loadRow();
    if (v < 0 || v > 2) mapi::raise(mapi::code::InvalidParameter);
    bag_.set(tag::Importance, Variant(v));
}
void MessageImpl::SetType(const QString& v) {
    loadRow();
    bag_.set(tag::MessageClass, v);
}
void MessageImpl::SetDeliveryReceipt(bool v) {
    loadRow();
    bag_.set(kDeliveryReceipt, v);
}
void MessageImpl::SetReadReceipt(bool v) {
    loadRow();
    bag_.set(kReadReceipt, v);
}

void MessageImpl::loadRecipients() {
    if (recips_) return;
    recips_ = std::make_shared<RecipientsImpl>(s_);
    Stmt& q = s_->db->cached(
        "SELECT name, address, type, display_type, address_type FROM recipients "
        "WHERE message = ?1 ORDER BY rid");
    q.bind(1, rid_);
    while (q.step()) {
        auto r = std::make_shared<RecipientImpl>(s_);
        if (!q.isNull(0)) r->name = q.text(0);
        if (!q.isNull(1)) r->address = q.text(1);
        if (!q.isNull(2)) r->type = static_cast<std::int32_t>(q.integer(2));
        if (!q.isNull(3)) r->displayType = static_cast<std::int32_t>(q.integer(3));
        if (!q.isNull(4)) r->addressType = q.text(4);
        recips_->items.push_back(r);
    }
    q.reset();
}

void MessageImpl::loadAttachments() {
    if (atts_) return;
    atts_ = std::make_shared<AttachmentsImpl>();
    // length() of a BLOB reads none of it.
    Stmt& q = s_->db->cached(
        "SELECT rid, name, type, position, length(data) FROM attachments WHERE message = ?1 "
        "ORDER BY rid");
    q.bind(1, rid_);
    while (q.step()) {
        auto a =
            std::make_shared<AttachmentImpl>(s_, q.integer(0), q.isNull(4) ? -1 : q.integer(4));
        if (!q.isNull(1)) a->name = q.text(1);
        if (!q.isNull(2)) a->type = static_cast<std::int32_t>(q.integer(2));
        if (!q.isNull(3)) a->position = static_cast<std::int32_t>(q.integer(3));
        atts_->items.push_back(a);
    }
    q.reset();
}

void MessageImpl::loadCustom() {
    loadRow();
    loadBody();
    if (customLoaded_) return;
    bag_.loadCustom(*s_->db, OwnerKind::Message, rid_);
    customLoaded_ = true;
}

void MessageImpl::loadBody() {
    if (bodyLoaded_) return;
    Stmt& q = s_->db->cached("SELECT body FROM messages WHERE rid = ?1");
    q.bind(1, rid_);
    if (q.step()) bag_.setRaw(tag::Body, decode(VarType::String, q.value(0)));
    q.reset();
    bodyLoaded_ = true;
}

Ref<mapi::Attachments> MessageImpl::AttachmentsOf() {
    loadAttachments();
    return Ref<mapi::Attachments>(atts_);
}

Ref<mapi::Recipients> MessageImpl::RecipientsOf() {
    loadRecipients();
    return Ref<mapi::Recipients>(recips_);
}

Ref<mapi::Fields> MessageImpl::FieldsOf() {
    loadCustom();
    return Ref<mapi::Fields>(std::make_shared<FieldsImpl>(
        std::shared_ptr<FieldOwner>(shared_from_this(), static_cast<FieldOwner*>(this))));
}

int MessageImpl::attachmentCount() {
    if (atts_) return static_cast<int>(atts_->items.size());
    Stmt& q = s_->db->cached("SELECT COUNT(*) FROM attachments WHERE message = ?1");
    q.bind(1, rid_);
    q.step();
    const int n = static_cast<int>(q.integer(0));
    q.reset();
    return n;
}

std::optional<PropSlot> MessageImpl::flagsSlot() {
    const Variant unread = bag_.getOr(kUnread, Variant::null());
    const Variant sent = bag_.getOr(kSent, Variant::null());
    if (unread.isNull() && sent.isNull()) return std::nullopt;
    std::int32_t flags = 0;
    if (!unread.isNull() && !unread.asBoolean()) flags |= kMsgFlagRead;
    if (!sent.isNull() && !sent.asBoolean()) flags |= kMsgFlagUnsent;
    if (attachmentCount() > 0) flags |= kMsgFlagHasAttach;
    return PropSlot{tag::MessageFlags, QString(), VarType::Long, Variant(flags)};
}

std::vector<PropSlot> MessageImpl::fieldList() {
    loadCustom();
    std::vector<PropSlot> computed;
    if (auto f = flagsSlot()) computed.push_back(*f);
    return bag_.list(computed);
}

std::optional<PropSlot> MessageImpl::fieldByTag(std::uint32_t t) {
    loadCustom();
    if (t == tag::MessageFlags) return flagsSlot();
    return bag_.byTag(t);
}

std::optional<PropSlot> MessageImpl::fieldByName(const QString& name) {
    loadCustom();
    return bag_.byName(name);
}

PropSlot MessageImpl::addField(const Variant& nameOrTag, std::optional<VarType> vt,
                               const Variant& value) {
    loadCustom();
    const FieldKey key = parseFieldKey(nameOrTag);
    if (key.tag && normalizeTag(*key.tag) == tag::MessageFlags) mapi::raise(mapi::code::NoAccess);
    return bag_.add(key, vt, value);
}

void MessageImpl::setField(std::uint32_t t, const QString& name, const Variant& value) {
    loadCustom();
    if (t == tag::MessageFlags) mapi::raise(mapi::code::NoAccess);
    bag_.setField(t, name, value);
}

void MessageImpl::Update() {
    checkAlive();
    loadCustom();
    Db& db = *s_->db;
    Db::Transaction tx(db);
    const bool isNew = rid_ == 0;
    if (isNew) {
        bag_.setRaw(tag::DeliveryTime,
                    Variant(mapi::Date::fromDateTime(QDateTime::currentDateTime())));
        if (!bag_.has(tag::ConversationTopic))
            bag_.setRaw(tag::ConversationTopic, bag_.getOr(tag::Subject, Variant(QString())));
        std::int64_t size =
            bag_.getOr(tag::Subject, Variant(QString())).asString().toUtf8().size() +
            bag_.getOr(tag::Body, Variant(QString())).asString().toUtf8().size();
        for (const auto& a : atts_->items) size += std::max<std::int64_t>(a->dataSize(), 0);
        bag_.setRaw(tag::MessageSize,
                    Variant(static_cast<std::int32_t>(std::min<std::int64_t>(size, INT32_MAX))));
    }
    Columns row;
    if (isNew) {
        row.emplace_back("eid", QStringLiteral("pending"));
        row.emplace_back("folder", folder_);
    }
    row.emplace_back("has_sender",
                     std::int64_t{(bag_.has(tag::SenderName) || bag_.has(kSenderAddress)) ? 1 : 0});
    for (const Column& c : kColumns)
        row.emplace_back(c.name, encode(c.vt, bag_.getOr(c.tag, Variant::null())));
    std::int64_t rid = rid_;
    QString eid = eid_;
    if (isNew) {
        rid = insertMessage(db, row);
        eid = assignEntryId(db, EntryKind::Message, rid);
    } else if (!updateMessage(db, rid_, row)) {
        mapi::raise(mapi::code::NotFound);
    }
    if (recips_) {
        deleteRecipients(db, rid);
        for (const auto& r : recips_->items)
            insertRecipient(db, rid, r->name ? SqlValue(*r->name) : SqlValue(),
                            r->address ? SqlValue(*r->address) : SqlValue(),
                            r->type ? SqlValue(std::int64_t{*r->type}) : SqlValue(),
                            r->displayType ? SqlValue(std::int64_t{*r->displayType}) : SqlValue(),
                            r->addressType ? SqlValue(*r->addressType) : SqlValue());
    }
    std::vector<std::int64_t> attRids;
    if (atts_) {
        // The new rows first, the old ones dropped after: data still in the
        // store is copied from its old row a piece at a time, never read whole.
        // New rows get higher row ids than every row there is.
        for (const auto& a : atts_->items) {
            const std::int64_t attRid = insertAttachmentSpace(
                db, rid, a->name ? SqlValue(*a->name) : SqlValue(),
                a->type ? SqlValue(std::int64_t{*a->type}) : SqlValue(),
                a->position ? SqlValue(std::int64_t{*a->position}) : SqlValue(), a->dataSize());
            attRids.push_back(attRid);
            if (a->data())
                db.writeBlob("attachments", "data", attRid, *a->data());
            else if (a->storedRid() != 0)
                db.copyBlob("attachments", "data", a->storedRid(), attRid);
        }
        deleteAttachmentsBefore(
            db, rid, attRids.empty() ? std::numeric_limits<std::int64_t>::max() : attRids.front());
    }
    bag_.saveCustom(db, OwnerKind::Message, rid);
    tx.commit();
    rid_ = rid;
    eid_ = eid;
    for (std::size_t k = 0; k < attRids.size(); ++k) atts_->items[k]->stored(s_, attRids[k]);
}

void MessageImpl::Delete() {
    checkAlive();
    if (rid_ == 0) mapi::raise(mapi::code::NotFound);
    loadRow();  // a deleted message keeps answering with what it held
    Db& db = *s_->db;
    Db::Transaction tx(db);
    if (!deleteMessage(db, rid_)) mapi::raise(mapi::code::NotFound);
    deleteProps(db, OwnerKind::Message, rid_);
    tx.commit();
    deleted_ = true;
}

// ---- Messages -----------------------------------------------------------------------------

Stmt MessagesImpl::select(const char* columns) const {
    std::vector<SqlValue> binds{SqlValue(folder_)};
    QString sql = QStringLiteral("SELECT m.rid%1 FROM messages m WHERE m.folder = ?")
                      .arg(QLatin1String(columns));
    if (filter_ && !filter_->isEmpty())
        sql += QStringLiteral(" AND (%1)").arg(filter_->whereClause(binds));
    sql += QStringLiteral(" ORDER BY m.rid");
    Stmt q = s_->db->prepare(sql);
    q.bindAll(binds);
    return q;
}

std::vector<std::int64_t> MessagesImpl::rows() const {
    Stmt q = select("");
    std::vector<std::int64_t> out;
    while (q.step()) out.push_back(q.integer(0));
    return out;
}

void MessagesImpl::listLines(const std::function<void(const mapi::MessageLine&)>& each) {
    // A filter's result can be most of a big folder: its lines come straight
    // from one statement instead of a message object each. A row whose parts
    // are not plain values (no time, no sender name, a value of another type)
    // is read through its message, so that it lists exactly as a walk does.
    Stmt q = select(", m.time_received, m.has_sender, m.sender_name, m.subject");
    mapi::MessageLine line;
    while (q.step()) {
        const bool hasSender = q.integer(2) != 0;
        if (q.isInteger(1) && (!hasSender || q.isText(3)) && q.isText(4)) {
            line.received = Variant(dateOfSeconds(q.integer(1))).toText();
            line.sender = hasSender ? q.text(3) : QString();
            line.subject = q.text(4);
            each(line);
        } else if (auto m = MessageImpl::load(s_, q.integer(0))) {
            each(lineOf(*m));
        }
    }
}

std::int32_t MessagesImpl::Count() {
    snapshot_ = rows();
    haveSnapshot_ = true;
    return static_cast<std::int32_t>(snapshot_.size());
}

Ref<mapi::Message> MessagesImpl::Item(std::int32_t index) {
    if (!haveSnapshot_) {
        snapshot_ = rows();
        haveSnapshot_ = true;
    }
    if (index < 1 || static_cast<std::size_t>(index) > snapshot_.size())
        mapi::raise(mapi::code::NotFound);
    auto m = MessageImpl::load(s_, snapshot_[index - 1]);
    if (!m) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Message>(m);
}

namespace {
class MessageEnum : public mapi::Enumerator<mapi::Message> {
  public:
    MessageEnum(SessionPtr s, std::vector<std::int64_t> rows)
        : s_(std::move(s)), rows_(std::move(rows)) {}
    Ref<mapi::Message> next() override {
        while (i_ < rows_.size()) {
            if (auto m = batch_.at(s_, rows_, i_++)) return Ref<mapi::Message>(m);
        }
        return {};
    }

  private:
    SessionPtr s_;
    std::vector<std::int64_t> rows_;
    std::size_t i_ = 0;
    MessageBatch batch_;
};
}  // namespace

std::shared_ptr<MessageImpl> MessageBatch::at(const SessionPtr& s,
                                              const std::vector<std::int64_t>& rows,
                                              std::size_t i) {
    if (i < start_ || i >= start_ + items_.size()) {
        start_ = i;
        items_ = MessageImpl::loadRun(s, rows.data() + i, std::min(kWalkBatch, rows.size() - i));
    }
    return items_[i - start_];
}

bool HeadingBatch::at(const SessionPtr& s, const std::vector<std::int64_t>& rows, std::size_t i,
                      QString& id, QString& subject) {
    if (i < start_ || i >= start_ + items_.size()) {
        start_ = i;
        const std::size_t count = std::min(kWalkBatch, rows.size() - i);
        const std::int64_t* rids = rows.data() + i;
        items_.assign(count, Heading());
        // Rows gone since the snapshot stay Gone.
        forEachListedRow(*s->db, rids, count, [this](std::size_t j, Stmt& q) {
            Heading& h = items_[j];
            if (q.isText(2)) {
                h.state = Heading::Plain;
                h.id = q.text(0);
                h.subject = q.text(2);
            } else {
                h.state = Heading::Other;
            }
        });
    }
    Heading& h = items_[i - start_];
    switch (h.state) {
        case Heading::Gone:
            return false;
        case Heading::Plain:
            id = std::move(h.id);
            subject = std::move(h.subject);
            return true;
        case Heading::Other:
            break;
    }
    // A subject that is not text (or none) converts, or fails, as the
    // message's own Subject does; read now, as a walk reads it.
    const auto m = MessageImpl::load(s, rows[i]);
    if (!m) return false;
    id = m->ID();
    subject = m->Subject();
    return true;
}

bool MessagesImpl::nextHeading(bool first, QString& id, QString& subject) {
    if (first) {
        snapshot_ = rows();
        haveSnapshot_ = true;
        cursor_ = -1;
        batch_ = MessageBatch();
        headings_ = HeadingBatch();
    }
    if (cursor_ < -1) return false;
    while (static_cast<std::size_t>(cursor_ + 1) < snapshot_.size()) {
        ++cursor_;
        if (headings_.at(s_, snapshot_, static_cast<std::size_t>(cursor_), id, subject))
            return true;
    }
    cursor_ = static_cast<std::int64_t>(snapshot_.size());
    return false;
}

std::unique_ptr<mapi::Enumerator<mapi::Message>> MessagesImpl::enumerate() {
    return std::make_unique<MessageEnum>(s_, rows());
}

Ref<mapi::Message> MessagesImpl::GetFirst() {
    snapshot_ = rows();
    haveSnapshot_ = true;
    cursor_ = -1;
    batch_ = MessageBatch();
    return GetNext();
}

Ref<mapi::Message> MessagesImpl::GetNext() {
    if (cursor_ < -1) return {};
    while (static_cast<std::size_t>(cursor_ + 1) < snapshot_.size()) {
        ++cursor_;
        if (auto m = batch_.at(s_, snapshot_, static_cast<std::size_t>(cursor_)))
            return Ref<mapi::Message>(m);
    }
    cursor_ = static_cast<std::int64_t>(snapshot_.size());
    return {};
}

Ref<mapi::Filter> MessagesImpl::FilterOf() {
    if (!filter_) filter_ = std::make_shared<FilterImpl>(FilterKind::Messages);
    return Ref<mapi::Filter>(filter_);
}

Ref<mapi::Message> MessagesImpl::Add() {
    return Ref<mapi::Message>(std::make_shared<MessageImpl>(s_, folder_));
}

}  // namespace store
