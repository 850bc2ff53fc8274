#include "imapstore/DraftWriter.h"
#include "imapstore/ImapObjects.h"
#include "messaging/ReadOnly.h"
#include "model/AttachmentFile.h"
#include "model/Values.h"

namespace imapstore {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

namespace {

// The sender as an address entry of its own, outside any address list.
class SenderEntry : public mapi::AddressEntry, public model::FieldOwner {
  public:
    SenderEntry(QString name, QString address)
        : name_(std::move(name)), address_(std::move(address)) {}
    QString ID() override { return QString(); }
    QString Name() override { return name_; }
    QString Address() override { return address_; }
    QString Type() override { return QStringLiteral("SMTP"); }
    std::int32_t DisplayType() override { return 0; }
    void SetName(const QString& v) override { name_ = v; }
    void SetAddress(const QString& v) override { address_ = v; }
    void SetType(const QString&) override {}
    Ref<mapi::Fields> FieldsOf() override {
        return Ref<mapi::Fields>(std::make_shared<model::FieldsObject>(
            std::static_pointer_cast<SenderEntry>(shared_from_this())));
    }
    Ref<mapi::AddressEntries> Members() override { mapi::raise(mapi::code::NoSupport); }
    void Details() override { mapi::raise(mapi::code::NoSupport); }
    void Update() override { mapi::raise(mapi::code::NoSupport); }
    void Delete() override { mapi::raise(mapi::code::NoSupport); }

    std::vector<FieldSlot> fieldList() override {
        return {{tag::DisplayName, QString(), VarType::String, Variant(name_)},
                {tag::AddressType, QString(), VarType::String, Variant(QStringLiteral("SMTP"))},
                {tag::EmailAddress, QString(), VarType::String, Variant(address_)}};
    }
    std::optional<FieldSlot> fieldByTag(std::uint32_t t) override {
        return model::slotByTag(fieldList(), t);
    }
    std::optional<FieldSlot> fieldByName(const QString&) override { return std::nullopt; }
    FieldSlot addField(const Variant&, std::optional<VarType>, const Variant&) override {
        mapi::raise(mapi::code::NoSupport);
    }
    void setField(std::uint32_t, const QString&, const Variant&) override {
        mapi::raise(mapi::code::NoSupport);
    }

  private:
    QString name_, address_;
};

}  // namespace

Ref<mapi::AddressEntry> plainEntry(const QString& name, const QString& address) {
    return Ref<mapi::AddressEntry>(std::make_shared<SenderEntry>(name, address));
}

Variant dateValue(const std::optional<QDateTime>& utc) {
    if (!utc || !utc->isValid()) mapi::raise(mapi::code::NotFound);
    return Variant(mapi::Date::fromDateTime(utc->toLocalTime()));
}

// ---- recipients and attachments -------------------------------------------------------

void ImapRecipient::Resolve() {
    const std::vector<ResolvedAddress> found =
        a_->resolver() ? a_->resolver()(name) : std::vector<ResolvedAddress>{};
    if (found.empty()) mapi::raise(mapi::code::NotFound);
    if (found.size() > 1) mapi::raise(mapi::code::AmbiguousRecip);
    name = found.front().name;
    address = found.front().address;
    addressType = found.front().addressType;
    displayType = found.front().displayType;
}

Ref<mapi::Recipient> ImapRecipients::Add(const QString& name, std::int32_t type) {
    auto r = std::make_shared<ImapRecipient>(a_);
    r->name = name;
    r->type = type;
    list.push_back(Ref<mapi::Recipient>(r));
    return list.back();
}

void ImapAttachment::ReadFromFile(const QString& path) {
    data = model::readAttachmentFile(path);
}

void ImapAttachment::WriteToFile(const QString& path) {
    if (!data) mapi::raise(mapi::code::NotFound);
    model::writeAttachmentFile(path, [&](QIODevice& f) { return f.write(*data) == data->size(); });
}

Ref<mapi::Attachment> ImapAttachments::Add() {
    auto a = std::make_shared<ImapAttachment>();
    a->position = static_cast<std::int32_t>(list.size());
    list.push_back(Ref<mapi::Attachment>(a));
    return list.back();
}

// ---- message ----------------------------------------------------------------------------

ImapMessage::ImapMessage(AccountPtr a, MessageKey key, const imap::CachedSummary& summary)
    : a_(std::move(a)), key_(key), mailbox_(key.mailbox), listed_(summary) {}

MessageData& ImapMessage::d() {
    if (!d_) {
        d_ = std::make_unique<MessageData>(isNew_ ? MessageData()
                                                  : fromSummary(listed_.with(a_->envelope(*key_))));
        listed_ = {};
    }
    return *d_;
}

QString ImapMessage::Subject() {
    if (!d_)
        if (std::optional<QString> s = plainSubject(listed_.subject)) return *s;
    return d().subject;
}

ImapMessage::ImapMessage(AccountPtr a, QString mailbox)
    : a_(std::move(a)), mailbox_(std::move(mailbox)), isNew_(true) {
    // What a freshly created note has until the caller sets more.
    d().complete = true;
    d().unread = false;
    d().hasSender = true;
    d().senderName = a_->userName();
    d().senderAddress = a_->address();
    recips_ = std::make_shared<ImapRecipients>(a_);
    atts_ = std::make_shared<ImapAttachments>();
}

model::CustomFields& ImapMessage::custom() {
    if (!custom_) custom_ = std::make_unique<model::CustomFields>();
    return *custom_;
}

void ImapMessage::checkAlive() const {
    if (deleted_) mapi::raise(mapi::code::NotFound);
}

const MessageData& ImapMessage::full() {
    checkAlive();
    if (!d().complete) completeFrom(d(), a_->fetchRaw(*key_));
    return d();
}

void ImapMessage::fillCollections() {
    if (recips_) return;
    // Both collections or neither: a message whose body could not be read must
    // not be left with recipients but no attachments.
    const MessageData& data = full();
    auto recips = std::make_shared<ImapRecipients>(a_);
    for (const mime::Recipient& r : data.recipients) {
        auto x = std::make_shared<ImapRecipient>(a_);
        x->name = r.name;
        x->address = r.address;
        x->type = static_cast<std::int32_t>(r.type);
        recips->list.push_back(Ref<mapi::Recipient>(x));
    }
    auto atts = std::make_shared<ImapAttachments>();
    std::int32_t position = 0;
    for (const mime::Attachment& a : data.attachments) {
        auto x = std::make_shared<ImapAttachment>();
        x->name = a.name;
        x->mimeType = a.mimeType;
        x->position = position++;
        x->data = a.data;
        atts->list.push_back(Ref<mapi::Attachment>(x));
    }
    recips_ = std::move(recips);
    atts_ = std::move(atts);
}

bool ImapMessage::hasAttachments() {
    return !full().attachments.empty();
}

QString ImapMessage::ID() {
    checkAlive();
    if (!key_) mapi::raise(mapi::code::NotFound);
    return a_->ids().message(*key_);
}

Ref<mapi::AddressEntry> ImapMessage::Sender() {
    if (!d().hasSender) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::AddressEntry>(
        std::make_shared<SenderEntry>(d().senderName, d().senderAddress));
}

Variant ImapMessage::Size() {
    return Variant(static_cast<std::int32_t>(std::min<qint64>(d().size, INT32_MAX)));
}

Variant ImapMessage::TimeReceived() {
    return dateValue(d().received);
}

Variant ImapMessage::TimeSent() {
    return dateValue(d().sent);
}

QString ImapMessage::Type() {
    return full().messageClass;
}

Ref<mapi::Attachments> ImapMessage::AttachmentsOf() {
    checkAlive();
    fillCollections();
    return Ref<mapi::Attachments>(atts_);
}

Ref<mapi::Recipients> ImapMessage::RecipientsOf() {
    checkAlive();
    fillCollections();
    return Ref<mapi::Recipients>(recips_);
}

Ref<mapi::Fields> ImapMessage::FieldsOf() {
    checkAlive();
    return Ref<mapi::Fields>(std::make_shared<model::FieldsObject>(
        std::static_pointer_cast<ImapMessage>(shared_from_this())));
}

void ImapMessage::SetText(const QString& v) {
    full();
    d().body = v;
}

void ImapMessage::SetImportance(std::int32_t v) {
    full();
    d().importance = v;
}

void ImapMessage::SetType(const QString& v) {
    full();
    d().messageClass = v;
}

std::vector<FieldSlot> ImapMessage::fieldList() {
    const MessageData& d = full();
    std::vector<FieldSlot> out;
    auto add = [&](std::uint32_t t, VarType vt, Variant v) {
        out.push_back(FieldSlot{t, QString(), vt, std::move(v)});
    };
    add(tag::Importance, VarType::Long, Variant(static_cast<std::int32_t>(d.importance)));
    add(tag::MessageClass, VarType::String, Variant(d.messageClass));
    add(tag::Subject, VarType::String, Variant(d.subject));
    if (d.sent) add(tag::ClientSubmitTime, VarType::Date, dateValue(d.sent));
    add(tag::ConversationTopic, VarType::String, Variant(model::conversationTopic(d.subject)));
    add(tag::ConversationIndex, VarType::Binary, Variant(QByteArray()));
    if (d.hasSender) add(tag::SenderName, VarType::String, Variant(d.senderName));
    if (d.received) add(tag::DeliveryTime, VarType::Date, dateValue(d.received));
    // Mail read from the server counts as unsent, as the importer keeps it.
    std::int32_t flags = model::kMsgFlagUnsent;
    if (!d.unread) flags |= model::kMsgFlagRead;
    if (!d.attachments.empty() || (atts_ && !atts_->list.empty()))
        flags |= model::kMsgFlagHasAttach;
    add(tag::MessageFlags, VarType::Long, Variant(flags));
    add(tag::MessageSize, VarType::Long, Size());
    add(tag::Body, VarType::String, Variant(d.body));
    for (const FieldSlot& c : custom().all()) out.push_back(c);
    return out;
}

namespace {
// The standard properties come from the server's copy, which is not rewritten.
void checkNotStandard(std::uint32_t t) {
    for (std::uint32_t s : {tag::Importance, tag::MessageClass, tag::Subject, tag::ClientSubmitTime,
                            tag::ConversationTopic, tag::ConversationIndex, tag::SenderName,
                            tag::DeliveryTime, tag::MessageFlags, tag::MessageSize, tag::Body})
        if (s == t) mapi::raise(mapi::code::NoAccess);
}
}  // namespace

FieldSlot ImapMessage::addField(const Variant& nameOrTag, std::optional<VarType> vt,
                                const Variant& value) {
    const FieldKey key = model::parseFieldKey(nameOrTag);
    if (key.tag) checkNotStandard(model::normalizeTag(*key.tag));
    return custom().add(key, vt, value);
}

void ImapMessage::setField(std::uint32_t t, const QString& name, const Variant& value) {
    if (custom().set(t, value)) return;
    checkNotStandard(t);
    FieldKey key;
    if (name.isEmpty())
        key.tag = t;
    else
        key.name = name;
    custom().add(key, std::nullopt, value);
}

void ImapMessage::Update() {
    mapi::checkSessionWritable();
    checkAlive();
    if (!isNew_)
        mapi::raise(mapi::code::NoSupport,
                    QStringLiteral("A message on the mail server cannot be changed."));
    Draft draft;
    draft.fromName = d().senderName;
    draft.fromAddress = a_->address();
    draft.subject = d().subject;
    draft.body = d().body;
    draft.importance = d().importance;
    draft.deliveryReceipt = deliveryReceipt_;
    draft.readReceipt = readReceipt_;
    draft.messageId = newMessageId(a_->address());
    for (const Ref<mapi::Recipient>& r : recips_->list) {
        const auto& x = static_cast<const ImapRecipient&>(*r);
        const std::int32_t t = x.type >= 1 && x.type <= 3 ? x.type : 1;
        draft.recipients.push_back(
            mime::Recipient{x.name, x.address, static_cast<mime::RecipientType>(t)});
    }
    for (const Ref<mapi::Attachment>& a : atts_->list) {
        const auto& x = static_cast<const ImapAttachment&>(*a);
        draft.attachments.push_back(
            mime::Attachment{x.name, x.mimeType, x.data.value_or(QByteArray())});
    }
    const QByteArray raw = writeDraft(draft);
    key_ = a_->appendDraft(mailbox_, raw, draft.messageId);
    isNew_ = false;
    d().draft = true;
    d().size = raw.size();
    d().received = QDateTime::currentDateTimeUtc();
    d().recipients = draft.recipients;
    d().attachments = draft.attachments;
}

void ImapMessage::Delete() {
    mapi::checkSessionWritable();
    checkAlive();
    if (!key_) mapi::raise(mapi::code::NotFound);
    a_->deleteMessage(*key_);
    deleted_ = true;
}

}  // namespace imapstore
