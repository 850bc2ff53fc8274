#pragma once

// A message: its properties, read from its row when first asked for, and
// its changes, kept in memory until Update writes them in one transaction.

#include <memory>
#include <utility>
#include <vector>

#include "store/AttachmentImpl.h"
#include "store/PropertyBag.h"
#include "store/RecipientImpl.h"
#include "store/SessionState.h"

namespace store {

class MessageImpl : public mapi::Message, public BagFields {
  public:
    // A new message in `folder`, stored by its first Update.
    MessageImpl(SessionPtr s, std::int64_t folder);
    struct StoredTag {};
    MessageImpl(SessionPtr s, std::int64_t folder, StoredTag);
    // The stored message, or nothing when the row is gone.
    static std::shared_ptr<MessageImpl> load(const SessionPtr& s, std::int64_t rid);
    // The messages of `count` ascending row ids in one statement; a row that
    // is gone gives an empty pointer in its place. Only the ID and the subject
    // are read: a walk that lists messages needs no more, and the rest of a
    // row is read when first asked for.
    static std::vector<std::shared_ptr<MessageImpl>> loadRun(const SessionPtr& s,
                                                             const std::int64_t* rids,
                                                             std::size_t count);
    // A message from the current row of a statement over the load columns.
    static std::shared_ptr<MessageImpl> fromRow(const SessionPtr& s, Stmt& q, std::int64_t rid);

    QString ID() override;
    QString Subject() override;
    QString Text() override;
    mapi::Variant Importance() override;
    mapi::Ref<mapi::AddressEntry> Sender() override;
    mapi::Variant Size() override;
    mapi::Variant TimeReceived() override;
    mapi::Variant TimeSent() override;
    QString Type() override;
    mapi::Variant Unread() override;
    mapi::Variant Sent() override;
    QString ConversationIndex() override;
    QString ConversationTopic() override;
    mapi::Variant DeliveryReceipt() override;
    mapi::Variant ReadReceipt() override;
    mapi::Ref<mapi::Attachments> AttachmentsOf() override;
    mapi::Ref<mapi::Recipients> RecipientsOf() override;
    mapi::Ref<mapi::Fields> FieldsOf() override;
    void SetSubject(const QString& v) override;
    void SetText(const QString& v) override;
    void SetImportance(std::int32_t v) override;
    void SetType(const QString& v) override;
    void SetDeliveryReceipt(bool v) override;
    void SetReadReceipt(bool v) override;
    void Update() override;
    void Delete() override;
    mapi::Ref<mapi::Folder> Parent() override;
    mapi::Ref<mapi::Message> CopyTo(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> MoveTo(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> Forward() override;
    mapi::Ref<mapi::Message> Reply() override;
    mapi::Ref<mapi::Message> ReplyAll() override;
    mapi::MessageCopy exportCopy() override;

    // 0 while not yet saved.
    std::int64_t rid() const { return rid_; }
    const SessionPtr& session() const { return s_; }

    static const std::vector<PropertyBag::Standard>& standardTable();

  private:
    void loadRecipients();
    void loadAttachments();
    void loadCustom();
    void loadBody();
    // The columns a listing left out; MAPI_E_NOT_FOUND once the row is gone.
    void loadRow();
    void applyRow(Stmt& q);
    void loadFields() override { loadCustom(); }
    bool isComputed(std::uint32_t tag) const override { return tag == tag::MessageFlags; }
    std::vector<FieldSlot> computedFields() override;
    int attachmentCount();
    void checkAlive() const;
    // Update's parts: what a new message is given when first stored, its row
    // (row id and entry ID), its recipients and its attachments (their rows).
    void stampNew();
    std::pair<std::int64_t, QString> saveRow(Db& db);
    void saveRecipients(Db& db, std::int64_t rid);
    std::vector<std::int64_t> saveAttachments(Db& db, std::int64_t rid);
    const QString& text(std::uint32_t tag) const;

    SessionPtr s_;
    std::int64_t rid_ = 0;  // 0 while not yet saved
    std::int64_t folder_;
    QString eid_;
    bool deleted_ = false;
    bool customLoaded_ = false;
    bool bodyLoaded_ = true;  // bodies are read on first use, not by listings
    bool rowLoaded_ = true;   // false for a listed message until more than its subject is read
    // The messages listed by one statement, whose rows are read together.
    struct ListedRun {
        std::int64_t first = 0, last = 0;
        std::vector<std::weak_ptr<MessageImpl>> members;  // ascending row ids
        void load(Db& db);
    };
    std::shared_ptr<ListedRun> run_;
    std::shared_ptr<RecipientsImpl> recips_;
    std::shared_ptr<AttachmentsImpl> atts_;
};

}  // namespace store
