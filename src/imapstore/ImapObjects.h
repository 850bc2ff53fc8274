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
#include "model/Enumeration.h"
#include "model/Fields.h"
#include "model/Filter.h"
#include "model/Subject.h"
#include "model/Tags.h"

namespace imapstore {

using AccountPtr = std::shared_ptr<Account>;

using model::VectorEnum;

using model::ListCollection;

// A fixed list also walked with GetFirst/GetNext.
template <class T, class Base>
class WalkableList : public ListCollection<T, Base> {
  public:
    mapi::Ref<T> GetFirst() override {
        cursor_ = 0;
        return GetNext();
    }
    mapi::Ref<T> GetNext() override {
        const auto& all = this->held();
        if (cursor_ < 0 || static_cast<std::size_t>(cursor_) >= all.size()) {
            cursor_ = -1;
            return {};
        }
        return all[cursor_++];
    }

  private:
    std::int64_t cursor_ = -1;
};

// ---- fields and filters ------------------------------------------------------

// Fields, values and filters mean what the model says; the account only reads
// them from the server's copy of each message.
using model::FieldKey;
using model::FieldSlot;
namespace tag = model::tag;

class ImapMessage;

// What the server can be asked to narrow a folder to before passes() has the
// last word: a superset of the messages that pass. None when no member is worth
// a SEARCH.
std::optional<imap::SearchCriteria> serverCriteria(const model::FilterCriteria& c);
// Whether the message passes the filter, as the embedded store's query decides.
bool passes(const model::FilterCriteria& c, ImapMessage& m);

// ---- stores and folders -----------------------------------------------------

class ImapInfoStore : public mapi::InfoStore {
  public:
    explicit ImapInfoStore(AccountPtr a) : a_(std::move(a)) {}
    QString ID() override { return a_->ids().store(); }
    QString Name() override { return a_->storeName(); }
    mapi::Ref<mapi::Folder> RootFolder() override;
    QString ProviderName() override { return QStringLiteral("IMAP"); }
    mapi::Ref<mapi::Folder> defaultFolder(std::int32_t kind) override {
        return a_->defaultFolder(kind);
    }
    mapi::Ref<mapi::AddressEntry> owner() override { return a_->owner(); }

  private:
    AccountPtr a_;
};

class ImapFolders : public WalkableList<mapi::Folder, mapi::Folders> {
  public:
    ImapFolders(AccountPtr a, QString parent) : a_(std::move(a)), parent_(std::move(parent)) {}
    mapi::Ref<mapi::Folder> Add(const QString& name) override;

  protected:
    const std::vector<mapi::Ref<mapi::Folder>>& held() override;

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
    mapi::Ref<mapi::Object> Parent() override;
    void Delete() override;
    mapi::Ref<mapi::Folder> CopyTo(const QString& folderId, const QString& storeId,
                                   const QString& name, bool subfolders) override;
    mapi::Ref<mapi::Folder> MoveTo(const QString& folderId, const QString& storeId) override;

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
    mapi::Ref<mapi::Object> Parent() override;
    void Delete() override;
    mapi::Ref<mapi::Folder> CopyTo(const QString& folderId, const QString& storeId,
                                   const QString& name, bool subfolders) override;
    mapi::Ref<mapi::Folder> MoveTo(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> importCopy(mapi::Message& source) override;

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
    mapi::Ref<mapi::Message> GetFirst() override {
        cursor_ = 0;
        return GetNext();
    }
    mapi::Ref<mapi::Message> GetNext() override;
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::Message> Add() override;
    void Sort(std::int32_t order, std::uint32_t tag) override;

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
    std::shared_ptr<model::FilterObject> filter_;
    std::optional<QList<imap::CachedSummary>> all_;
    quint32 validity_ = 0;
    std::vector<std::weak_ptr<ImapMessage>> made_;
    std::vector<mapi::Ref<mapi::Message>> filtered_;
    std::optional<std::size_t> filteredFor_;  // the filter version `filtered_` holds
    std::int64_t cursor_ = -1;
    std::optional<std::pair<std::int32_t, std::uint32_t>> sort_;  // order and property
    void applySort();
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
    const std::vector<mapi::Ref<mapi::Recipient>>& held() override { return list; }

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
    const std::vector<mapi::Ref<mapi::Attachment>>& held() override { return list; }
};

class ImapMessage : public mapi::Message, public model::FieldOwner {
  public:
    // A message on the server.
    ImapMessage(AccountPtr a, MessageKey key, const imap::CachedSummary& summary);
    // A new message in `mailbox`, stored by Update().
    ImapMessage(AccountPtr a, QString mailbox);

    QString ID() override;
    QString Subject() override;
    // Text and importance are read from the whole message.
    QString Text() override { return full().body; }
    mapi::Variant Importance() override { return static_cast<std::int32_t>(full().importance); }
    mapi::Ref<mapi::AddressEntry> Sender() override;
    mapi::Variant Size() override;
    mapi::Variant TimeReceived() override;
    mapi::Variant TimeSent() override;
    QString Type() override;
    mapi::Variant Unread() override { return mapi::Variant(d().unread); }
    // Kept as unsent, as the importer keeps mail read from files.
    mapi::Variant Sent() override { return mapi::Variant(false); }
    QString ConversationIndex() override { return QString(); }
    QString ConversationTopic() override { return model::conversationTopic(d().subject); }
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
    mapi::Ref<mapi::Folder> Parent() override;
    mapi::Ref<mapi::Message> CopyTo(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> MoveTo(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> Forward() override;
    mapi::Ref<mapi::Message> Reply() override;
    mapi::Ref<mapi::Message> ReplyAll() override;
    mapi::MessageCopy exportCopy() override;
    const AccountPtr& account() const { return a_; }
    const std::optional<MessageKey>& key() const { return key_; }

    // The standard fields from the whole message, then the custom ones.
    std::vector<FieldSlot> fieldList() override;
    std::optional<FieldSlot> fieldByTag(std::uint32_t tag) override {
        return model::slotByTag(fieldList(), tag);
    }
    std::optional<FieldSlot> fieldByName(const QString& name) override {
        return custom().byName(name);
    }
    FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                       const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;

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
    model::CustomFields& custom();
    std::unique_ptr<model::CustomFields> custom_;
};

// An address entry outside any address list: a sender, the account's owner.
mapi::Ref<mapi::AddressEntry> plainEntry(const QString& name, const QString& address);

// Local time, whole seconds, as the object model hands out dates.
mapi::Variant dateValue(const std::optional<QDateTime>& utc);

}  // namespace imapstore
