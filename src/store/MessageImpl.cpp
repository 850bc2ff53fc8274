#include <QDateTime>
#include <algorithm>

#include "messaging/ReadOnly.h"
#include "model/Fields.h"
#include "store/AddressEntryImpl.h"
#include "store/MessageImpl.h"
#include "store/MessageRows.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;
using namespace message_rows;

MessageImpl::MessageImpl(SessionPtr s, std::int64_t folder)
    : BagFields(&standardTable()), s_(std::move(s)), folder_(folder) {
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
    : BagFields(&standardTable()), s_(std::move(s)), folder_(folder) {}

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

void MessageImpl::loadCustom() {
    loadRow();
    loadBody();
    if (customLoaded_) return;
    bag_.loadCustom(*s_->db, OwnerKind::Message, rid_);
    customLoaded_ = true;
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
    return Ref<mapi::Fields>(std::make_shared<model::FieldsObject>(
        std::shared_ptr<FieldOwner>(shared_from_this(), static_cast<FieldOwner*>(this))));
}

std::vector<FieldSlot> MessageImpl::computedFields() {
    const Variant unread = bag_.getOr(kUnread, Variant::null());
    const Variant sent = bag_.getOr(kSent, Variant::null());
    if (unread.isNull() && sent.isNull()) return {};
    std::int32_t flags = 0;
    if (!unread.isNull() && !unread.asBoolean()) flags |= kMsgFlagRead;
    if (!sent.isNull() && !sent.asBoolean()) flags |= kMsgFlagUnsent;
    if (attachmentCount() > 0) flags |= kMsgFlagHasAttach;
    return {FieldSlot{tag::MessageFlags, QString(), VarType::Long, Variant(flags)}};
}

void MessageImpl::stampNew() {
    bag_.setRaw(tag::DeliveryTime, Variant(mapi::Date::fromDateTime(QDateTime::currentDateTime())));
    if (!bag_.has(tag::ConversationTopic))
        bag_.setRaw(tag::ConversationTopic, bag_.getOr(tag::Subject, Variant(QString())));
    std::int64_t size = bag_.getOr(tag::Subject, Variant(QString())).asString().toUtf8().size() +
                        bag_.getOr(tag::Body, Variant(QString())).asString().toUtf8().size();
    for (const auto& a : atts_->items) size += std::max<std::int64_t>(a->dataSize(), 0);
    bag_.setRaw(tag::MessageSize,
                Variant(static_cast<std::int32_t>(std::min<std::int64_t>(size, INT32_MAX))));
}

void MessageImpl::Update() {
    mapi::checkSessionWritable();
    checkAlive();
    loadCustom();
    Db& db = *s_->db;
    Db::Transaction tx(db);
    if (rid_ == 0) stampNew();
    const auto [rid, eid] = saveRow(db);
    if (recips_) saveRecipients(db, rid);
    const std::vector<std::int64_t> attRids =
        atts_ ? saveAttachments(db, rid) : std::vector<std::int64_t>();
    bag_.saveCustom(db, OwnerKind::Message, rid);
    tx.commit();
    rid_ = rid;
    eid_ = eid;
    for (std::size_t k = 0; k < attRids.size(); ++k) atts_->items[k]->stored(s_, attRids[k]);
}

void MessageImpl::Delete() {
    mapi::checkSessionWritable();
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

}  // namespace store
