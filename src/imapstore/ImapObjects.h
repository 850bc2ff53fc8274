#pragma once

// The messaging objects of an IMAP account's store. They hold the account and
// a mailbox name or message key; values come from the account's header cache,
// and a message's body and attachments from the server on first use.

#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "imapstore/Account.h"
#include "imapstore/MessageData.h"
#include "messaging/Objects.h"

namespace imapstore {

using AccountPtr = std::shared_ptr<Account>;

template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<mapi::Ref<T>> items) : items_(std::move(items)) {}
    mapi::Ref<T> next() override { return i_ < items_.size() ? items_[i_++] : mapi::Ref<T>(); }

  private:
    std::vector<mapi::Ref<T>> items_;
    std::size_t i_ = 0;
};

// A walkable collection over a fixed list.
template <class T, class Base>
class ListCollection : public Base {
  public:
    std::int32_t Count() override { return static_cast<std::int32_t>(items().size()); }
    mapi::Ref<T> Item(std::int32_t index) override {
        const auto& all = items();
        if (index < 1 || static_cast<std::size_t>(index) > all.size())
            mapi::raise(mapi::code::NotFound);
        return all[index - 1];
    }
    std::unique_ptr<mapi::Enumerator<T>> enumerate() override {
        return std::make_unique<VectorEnum<T>>(items());
    }

  protected:
    virtual const std::vector<mapi::Ref<T>>& items() = 0;
};

template <class T, class Base>
class WalkableList : public ListCollection<T, Base> {
  public:
    mapi::Ref<T> GetFirst() override {
        cursor_ = 0;
        return GetNext();
    }
    mapi::Ref<T> GetNext() override {
        const auto& all = this->items();
        if (cursor_ < 0 || static_cast<std::size_t>(cursor_) >= all.size()) {
            cursor_ = -1;
            return {};
        }
        return all[cursor_++];
    }

  private:
    std::int64_t cursor_ = -1;
};

// ---- fields -----------------------------------------------------------------

struct FieldSlot {
    std::uint32_t tag = 0;
    QString name;
    mapi::VarType vt = mapi::VarType::Empty;
    mapi::Variant value;
};

// What a Fields collection reads and adds to.
class FieldSource {
  public:
    virtual ~FieldSource() = default;
    virtual std::vector<FieldSlot> fieldList() = 0;
    virtual FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                               const mapi::Variant& value) = 0;
    virtual void setField(const FieldSlot& slot, const mapi::Variant& value) = 0;
};

class ImapField : public mapi::Field {
  public:
    ImapField(std::shared_ptr<FieldSource> owner, FieldSlot slot)
        : owner_(std::move(owner)), slot_(std::move(slot)) {}
    QString Name() override { return slot_.name; }
    std::int32_t ID() override { return static_cast<std::int32_t>(slot_.tag); }
    mapi::Variant Type() override { return mapi::Variant(static_cast<std::int32_t>(slot_.vt)); }
    mapi::Variant Value() override;
    void SetValue(const mapi::Variant& v) override;

  private:
    std::shared_ptr<FieldSource> owner_;
    FieldSlot slot_;
};

class ImapFields : public mapi::Fields {
  public:
    explicit ImapFields(std::shared_ptr<FieldSource> owner) : owner_(std::move(owner)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Field> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override;
    mapi::Ref<mapi::Field> ItemByTag(std::int32_t tag) override;
    mapi::Ref<mapi::Field> ItemByName(const QString& name) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, std::int16_t type,
                               const mapi::Variant& value) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, const mapi::Variant& value) override;

  private:
    std::shared_ptr<FieldSource> owner_;
};

// Custom fields added at run time (filter conditions, fields added to a message).
class CustomFields : public FieldSource {
  public:
    std::vector<FieldSlot> fieldList() override { return slots_; }
    FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                       const mapi::Variant& value) override;
    void setField(const FieldSlot& slot, const mapi::Variant& value) override;
    const std::vector<FieldSlot>& slots() const { return slots_; }

  private:
    std::vector<FieldSlot> slots_;
};

// ---- filters ----------------------------------------------------------------

class ImapMessage;

class ImapFilter : public mapi::Filter {
  public:
    void Set(const QString& member, const mapi::Variant& value) override;
    mapi::Variant Get(const QString& member) override;
    mapi::Ref<mapi::Fields> FieldsOf() override;
    bool isEmpty() const;
    // Whether the message passes; MAPI_E_INVALID_PARAMETER for unusable values.
    bool matches(ImapMessage& m) const;
    // What the server can be asked to narrow the folder to before matches() has
    // the last word: a superset of the messages that pass. None when no member
    // is worth a SEARCH.
    std::optional<imap::SearchCriteria> serverCriteria() const;
    // Changes whenever a member or condition is set.
    std::size_t version() const { return changes_ + conds_->slots().size(); }

  private:
    std::size_t changes_ = 0;
    std::map<QString, mapi::Variant> members_;
    std::shared_ptr<CustomFields> conds_ = std::make_shared<CustomFields>();
};

// ---- stores and folders -----------------------------------------------------

class ImapInfoStore : public mapi::InfoStore {
  public:
    explicit ImapInfoStore(AccountPtr a) : a_(std::move(a)) {}
    QString ID() override { return a_->ids().store(); }
    QString Name() override { return a_->storeName(); }
    mapi::Ref<mapi::Folder> RootFolder() override;

  private:
    AccountPtr a_;
};

class ImapFolders : public WalkableList<mapi::Folder, mapi::Folders> {
  public:
    ImapFolders(AccountPtr a, QString parent) : a_(std::move(a)), parent_(std::move(parent)) {}

  protected:
    const std::vector<mapi::Ref<mapi::Folder>>& items() override;

  private:
    AccountPtr a_;
    QString parent_;  // "" for the top of the store
    std::optional<std::vector<mapi::Ref<mapi::Folder>>> items_;
};

// The top of the store: no mailbox of its own, the top-level mailboxes below it.
class ImapRootFolder : public mapi::Folder {
  public:
    explicit ImapRootFolder(AccountPtr a) : a_(std::move(a)) {}
    QString ID() override { return a_->ids().root(); }
    QString Name() override { return QStringLiteral("Top of ") + a_->storeName(); }
    mapi::Ref<mapi::Folders> FoldersOf() override;
    mapi::Ref<mapi::Messages> MessagesOf() override;

  private:
    AccountPtr a_;
};

class ImapFolder : public mapi::Folder {
  public:
    ImapFolder(AccountPtr a, QString mailbox) : a_(std::move(a)), mailbox_(std::move(mailbox)) {}
    QString ID() override { return a_->ids().folder(mailbox_); }
    QString Name() override;
    mapi::Ref<mapi::Folders> FoldersOf() override;
    mapi::Ref<mapi::Messages> MessagesOf() override;

  private:
    AccountPtr a_;
    QString mailbox_;
};

// A folder's messages over the listing read when it is first walked. A message
// object is made when asked for and stays the same object while anything holds
// it; the others are made again, so a walk of a big folder keeps few alive.
class ImapMessages : public mapi::Messages {
  public:
    // `mailbox` empty: the store's top, which holds no messages.
    ImapMessages(AccountPtr a, QString mailbox) : a_(std::move(a)), mailbox_(std::move(mailbox)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(size()); }
    mapi::Ref<mapi::Message> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Message>> enumerate() override;
    mapi::Ref<mapi::Message> GetFirst() override;
    mapi::Ref<mapi::Message> GetNext() override;
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::Message> Add() override;

    // The folder's message at `i` (0-based) of the listing, whatever the filter.
    mapi::Ref<mapi::Message> listed(std::size_t i);
    std::size_t listedCount();

  private:
    // What a walk yields: the folder's messages, or those passing the filter.
    std::size_t size();
    mapi::Ref<mapi::Message> at(std::size_t i);
    bool filtering() const { return filter_ && !filter_->isEmpty(); }
    const QList<imap::CachedSummary>& listing();
    void applyFilter();

    AccountPtr a_;
    QString mailbox_;
    std::shared_ptr<ImapFilter> filter_;
    std::optional<QList<imap::CachedSummary>> all_;
    quint32 validity_ = 0;
    std::vector<std::weak_ptr<ImapMessage>> made_;
    std::vector<mapi::Ref<mapi::Message>> filtered_;
    std::optional<std::size_t> filteredFor_;  // the filter version `filtered_` holds
    std::int64_t cursor_ = -1;
};

// ---- messages ---------------------------------------------------------------

class ImapRecipient : public mapi::Recipient {
  public:
    explicit ImapRecipient(AccountPtr a) : a_(std::move(a)) {}
    QString Name() override { return name; }
    std::int32_t Type() override { return type; }
    QString Address() override { return address; }
    std::int32_t DisplayType() override { return displayType; }
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t v) override { type = v; }
    void SetAddress(const QString& v) override { address = v; }
    void Resolve() override;

    QString name, address, addressType = QStringLiteral("SMTP");
    std::int32_t type = 1, displayType = 0;

  private:
    AccountPtr a_;
};

class ImapRecipients : public ListCollection<mapi::Recipient, mapi::Recipients> {
  public:
    explicit ImapRecipients(AccountPtr a) : a_(std::move(a)) {}
    mapi::Ref<mapi::Recipient> Add(const QString& name, std::int32_t type) override;
    std::vector<mapi::Ref<mapi::Recipient>> list;

  protected:
    const std::vector<mapi::Ref<mapi::Recipient>>& items() override { return list; }

  private:
    AccountPtr a_;
};

class ImapAttachment : public mapi::Attachment {
  public:
    QString Name() override { return name; }
    std::int32_t Type() override { return 1; }
    std::int32_t Position() override { return position; }
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t) override {}
    void SetPosition(std::int32_t v) override { position = v; }
    void ReadFromFile(const QString& path) override;
    void WriteToFile(const QString& path) override;

    QString name;
    QString mimeType;
    std::int32_t position = 0;
    std::optional<QByteArray> data;
};

class ImapAttachments : public ListCollection<mapi::Attachment, mapi::Attachments> {
  public:
    mapi::Ref<mapi::Attachment> Add() override;
    std::vector<mapi::Ref<mapi::Attachment>> list;

  protected:
    const std::vector<mapi::Ref<mapi::Attachment>>& items() override { return list; }
};

class ImapMessage : public mapi::Message, public FieldSource {
  public:
    // A message on the server.
    ImapMessage(AccountPtr a, MessageKey key, const imap::CachedSummary& summary);
    // A new message in `mailbox`, stored by Update().
    ImapMessage(AccountPtr a, QString mailbox);

    QString ID() override;
    QString Subject() override;
    QString Text() override;
    mapi::Variant Importance() override;
    mapi::Ref<mapi::AddressEntry> Sender() override;
    mapi::Variant Size() override;
    mapi::Variant TimeReceived() override;
    mapi::Variant TimeSent() override;
    QString Type() override;
    mapi::Variant Unread() override { return mapi::Variant(d().unread); }
    // Kept as unsent, as the importer keeps mail read from files.
    mapi::Variant Sent() override { return mapi::Variant(false); }
    QString ConversationIndex() override { return QString(); }
    QString ConversationTopic() override { return conversationTopic(d().subject); }
    mapi::Variant DeliveryReceipt() override { return mapi::Variant(deliveryReceipt_); }
    mapi::Variant ReadReceipt() override { return mapi::Variant(readReceipt_); }
    mapi::Ref<mapi::Attachments> AttachmentsOf() override;
    mapi::Ref<mapi::Recipients> RecipientsOf() override;
    mapi::Ref<mapi::Fields> FieldsOf() override;

    void SetSubject(const QString& v) override { d().subject = v; }
    void SetText(const QString& v) override;
    void SetImportance(std::int32_t v) override;
    void SetType(const QString& v) override;
    void SetDeliveryReceipt(bool v) override { deliveryReceipt_ = v; }
    void SetReadReceipt(bool v) override { readReceipt_ = v; }
    void Update() override;
    void Delete() override;

    std::vector<FieldSlot> fieldList() override;
    FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                       const mapi::Variant& value) override;
    void setField(const FieldSlot& slot, const mapi::Variant& value) override;

    const MessageData& data() { return d(); }
    // Deleted through another object of the same message.
    void markDeleted() { deleted_ = true; }
    // 0 for a new message not yet stored.
    quint32 uid() const { return key_ ? key_->uid : 0; }
    // Reads the whole message from the server once.
    const MessageData& full();
    bool hasAttachments();

  private:
    void checkAlive() const;
    void fillCollections();

    AccountPtr a_;
    std::optional<MessageKey> key_;  // unset for a new message not yet stored
    QString mailbox_;
    // A listing reads thousands of messages for their subjects only: the rest of
    // the headers is read from the summary on first use.
    MessageData& d();
    imap::CachedSummary listed_;
    // Made from listed_ on first use; a listing only reads the subject.
    std::unique_ptr<MessageData> d_;
    bool isNew_ = false;
    bool deleted_ = false;
    bool deliveryReceipt_ = false;
    bool readReceipt_ = false;
    std::shared_ptr<ImapRecipients> recips_;
    std::shared_ptr<ImapAttachments> atts_;
    // Made on first use: most listed messages never get a field of their own.
    CustomFields& custom();
    std::shared_ptr<CustomFields> custom_;
};

// Property tags the account's messages list in their Fields.
namespace tag {
inline constexpr std::uint32_t Importance = 0x00170003;
inline constexpr std::uint32_t MessageClass = 0x001A001E;
inline constexpr std::uint32_t Subject = 0x0037001E;
inline constexpr std::uint32_t ClientSubmitTime = 0x00390040;
inline constexpr std::uint32_t ConversationTopic = 0x0070001E;
inline constexpr std::uint32_t ConversationIndex = 0x00710102;
inline constexpr std::uint32_t SenderName = 0x0C1A001E;
inline constexpr std::uint32_t SenderAddress = 0x0C1F001E;
inline constexpr std::uint32_t DeliveryTime = 0x0E060040;
inline constexpr std::uint32_t MessageFlags = 0x0E070003;
inline constexpr std::uint32_t MessageSize = 0x0E080003;
inline constexpr std::uint32_t Body = 0x1000001E;
inline constexpr std::uint32_t DisplayName = 0x3001001E;
inline constexpr std::uint32_t AddressType = 0x3002001E;
inline constexpr std::uint32_t EmailAddress = 0x3003001E;
}  // namespace tag

// Local time, whole seconds, as the object model hands out dates.
mapi::Variant dateValue(const std::optional<QDateTime>& utc);

}  // namespace imapstore
