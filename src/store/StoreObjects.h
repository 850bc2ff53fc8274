#pragma once

// The embedded store's implementation of the messaging object model. Objects
// are thin views over rows of the store file; messages and address entries
// keep their changes in memory until Update writes them in one transaction.

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"
#include "store/Accounts.h"
#include "store/Database.h"
#include "store/Props.h"
#include "store/Tables.h"

namespace store {

class Backend;

// What every object of one logged-on session shares.
struct SessionState {
    std::shared_ptr<Db> db;
    std::int64_t profile = 0;
    QString profileName;
    QString userName;  // sender of the messages the session creates
    // The profile's mail-server accounts, logged on with the session.
    std::vector<std::shared_ptr<AccountSession>> accounts;
};
using SessionPtr = std::shared_ptr<const SessionState>;

// One field as the Fields collections see it. A Null value is a property the
// object lacks (reading it fails with MAPI_E_NOT_FOUND).
struct PropSlot {
    std::uint32_t tag = 0;
    QString name;
    mapi::VarType vt = mapi::VarType::Empty;
    mapi::Variant value;
};

class FieldOwner {
  public:
    virtual ~FieldOwner() = default;
    virtual std::vector<PropSlot> fieldList() = 0;
    // A present field, or for a settable standard property that is absent a
    // slot holding Null; nullopt otherwise.
    virtual std::optional<PropSlot> fieldByTag(std::uint32_t tag) = 0;
    virtual std::optional<PropSlot> fieldByName(const QString& name) = 0;
    // Fields.Add: `vt` unset means "as the tag's type" (or the value's own).
    virtual PropSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                              const mapi::Variant& value) = 0;
    virtual void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) = 0;
};

// A name or a numeric tag as Fields.Add and Fields(x) take them.
struct FieldKey {
    std::optional<std::uint32_t> tag;
    QString name;
};
FieldKey parseFieldKey(const mapi::Variant& nameOrTag);

// Standard properties plus custom fields of a message or an address entry.
class PropertyBag {
  public:
    struct Standard {
        std::uint32_t tag;
        mapi::VarType vt;
        bool listed;  // shown in Fields
    };
    explicit PropertyBag(const std::vector<Standard>* table) : table_(table) {}

    const Standard* standard(std::uint32_t tag) const;
    bool has(std::uint32_t tag) const { return std_.count(tag) != 0; }
    // The value; MAPI_E_NOT_FOUND when absent or unreadable.
    const mapi::Variant& get(std::uint32_t tag) const;
    mapi::Variant getOr(std::uint32_t tag, const mapi::Variant& fallback) const;
    void set(std::uint32_t tag, const mapi::Variant& v);  // converts to the property's type
    void setRaw(std::uint32_t tag, const mapi::Variant& v) { std_[tag] = v; }
    void erase(std::uint32_t tag) { std_.erase(tag); }

    std::vector<PropSlot> list(const std::vector<PropSlot>& computed) const;
    std::optional<PropSlot> byTag(std::uint32_t tag) const;
    std::optional<PropSlot> byName(const QString& name) const;
    PropSlot add(const FieldKey& key, std::optional<mapi::VarType> vt, const mapi::Variant& value);
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value);

    std::vector<PropSlot>& custom() { return custom_; }
    const std::vector<PropSlot>& custom() const { return custom_; }

    void loadCustom(Db& db, OwnerKind kind, std::int64_t owner);
    void saveCustom(Db& db, OwnerKind kind, std::int64_t owner) const;

  private:
    const std::vector<Standard>* table_;
    std::map<std::uint32_t, mapi::Variant> std_;
    std::vector<PropSlot> custom_;
};

// ---- fields -----------------------------------------------------------------

class FieldImpl : public mapi::Field {
  public:
    FieldImpl(std::shared_ptr<FieldOwner> owner, PropSlot slot)
        : owner_(std::move(owner)), slot_(std::move(slot)) {}
    QString Name() override { return slot_.name; }
    std::int32_t ID() override { return static_cast<std::int32_t>(slot_.tag); }
    mapi::Variant Type() override;
    mapi::Variant Value() override;
    void SetValue(const mapi::Variant& v) override;

  private:
    std::shared_ptr<FieldOwner> owner_;
    PropSlot slot_;
};

class FieldsImpl : public mapi::Fields {
  public:
    explicit FieldsImpl(std::shared_ptr<FieldOwner> owner) : owner_(std::move(owner)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Field> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override;
    mapi::Ref<mapi::Field> ItemByTag(std::int32_t tag) override;
    mapi::Ref<mapi::Field> ItemByName(const QString& name) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, std::int16_t type,
                               const mapi::Variant& value) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, const mapi::Variant& value) override;

  private:
    std::shared_ptr<FieldOwner> owner_;
};

// ---- filters ----------------------------------------------------------------

// The field conditions of a filter, kept as fields.
class ConditionList : public FieldOwner {
  public:
    std::vector<PropSlot> fieldList() override { return conds_; }
    std::optional<PropSlot> fieldByTag(std::uint32_t tag) override;
    std::optional<PropSlot> fieldByName(const QString& name) override;
    PropSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                      const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;
    const std::vector<PropSlot>& conditions() const { return conds_; }

  private:
    std::vector<PropSlot> conds_;
};

enum class FilterKind { Messages, Entries };

// The column of the messages / entries table that holds a standard property,
// or nullptr when the tag is not one of them.
const char* messageColumn(std::uint32_t tag);
const char* entryColumn(std::uint32_t tag);

class FilterImpl : public mapi::Filter {
  public:
    explicit FilterImpl(FilterKind kind);
    void Set(const QString& member, const mapi::Variant& value) override;
    mapi::Variant Get(const QString& member) override;
    mapi::Ref<mapi::Fields> FieldsOf() override;

    // The SQL condition over the alias "m" (messages) or "e" (entries), with
    // its bound values appended to `binds`. Throws MAPI_E_INVALID_PARAMETER for
    // values that cannot be used (a TimeFirst that is not a date ...).
    QString whereClause(std::vector<SqlValue>& binds) const;
    bool isEmpty() const;

  private:
    FilterKind kind_;
    std::map<QString, mapi::Variant> members_;  // canonical member name -> value
    std::shared_ptr<ConditionList> conds_ = std::make_shared<ConditionList>();
};

// ---- stores and folders -----------------------------------------------------

class FolderImpl : public mapi::Folder {
  public:
    FolderImpl(SessionPtr s, std::int64_t rid, QString eid, std::optional<QString> name)
        : s_(std::move(s)), rid_(rid), eid_(std::move(eid)), name_(std::move(name)) {}
    static mapi::Ref<mapi::Folder> load(const SessionPtr& s, std::int64_t rid);
    QString ID() override { return eid_; }
    QString Name() override;
    mapi::Ref<mapi::Folders> FoldersOf() override;
    mapi::Ref<mapi::Messages> MessagesOf() override;
    std::int64_t rid() const { return rid_; }

  private:
    SessionPtr s_;
    std::int64_t rid_;
    QString eid_;
    std::optional<QString> name_;
};

class InfoStoreImpl : public mapi::InfoStore {
  public:
    InfoStoreImpl(SessionPtr s, std::int64_t rid, QString eid, std::optional<QString> name,
                  std::optional<std::int64_t> root, std::optional<std::int64_t> outbox)
        : s_(std::move(s)),
          rid_(rid),
          eid_(std::move(eid)),
          name_(std::move(name)),
          root_(root),
          outbox_(outbox) {}
    QString ID() override { return eid_; }
    QString Name() override;
    mapi::Ref<mapi::Folder> RootFolder() override;
    std::int64_t rid() const { return rid_; }
    std::optional<std::int64_t> outbox() const { return outbox_; }

  private:
    SessionPtr s_;
    std::int64_t rid_;
    QString eid_;
    std::optional<QString> name_;
    std::optional<std::int64_t> root_;
    std::optional<std::int64_t> outbox_;
};

// Stores of the session's profile, in profile order.
std::vector<std::shared_ptr<InfoStoreImpl>> profileStores(const SessionPtr& s);
mapi::Ref<mapi::InfoStores> makeInfoStores(const SessionPtr& s);
// Row ids of the profile's stores, for the identifier look-ups.
std::vector<std::int64_t> profileStoreRows(const SessionPtr& s);

// ---- messages ---------------------------------------------------------------

class MessageImpl;

class RecipientImpl : public mapi::Recipient {
  public:
    explicit RecipientImpl(SessionPtr s) : s_(std::move(s)) {}
    QString Name() override;
    std::int32_t Type() override;
    QString Address() override;
    std::int32_t DisplayType() override;
    void SetName(const QString& v) override;
    void SetType(std::int32_t v) override;
    void SetAddress(const QString& v) override;
    void Resolve() override;

    std::optional<QString> name, address, addressType;
    std::optional<std::int32_t> type, displayType;
    QString entryId;

  private:
    SessionPtr s_;
};

class RecipientsImpl : public mapi::Recipients {
  public:
    explicit RecipientsImpl(SessionPtr s) : s_(std::move(s)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Recipient> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Recipient>> enumerate() override;
    mapi::Ref<mapi::Recipient> Add(const QString& name, std::int32_t type) override;

    std::vector<std::shared_ptr<RecipientImpl>> items;

  private:
    SessionPtr s_;
};

class AttachmentImpl : public mapi::Attachment {
  public:
    AttachmentImpl() = default;
    // A stored attachment: its data stays in the store until it is written to
    // a file or replaced, so that opening a message with a large attachment
    // does not read it. `size` is the data's length, -1 when it has none.
    AttachmentImpl(SessionPtr s, std::int64_t rid, std::int64_t size)
        : s_(std::move(s)), storedRid_(rid), storedSize_(size) {}
    QString Name() override;
    std::int32_t Type() override;
    std::int32_t Position() override;
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t v) override { type = v; }
    void SetPosition(std::int32_t v) override { position = v; }
    void ReadFromFile(const QString& path) override;
    void WriteToFile(const QString& path) override;

    // The data's length; -1 when there is none.
    std::int64_t dataSize() const;
    // The stored row still holding this attachment's data (0 when the data is
    // new or there is none), and the data held in memory otherwise.
    std::int64_t storedRid() const { return storedSize_ >= 0 ? storedRid_ : 0; }
    const std::optional<QByteArray>& data() const { return data_; }
    // After an Update: the data now lives in row `rid`.
    void stored(SessionPtr s, std::int64_t rid);

    std::optional<QString> name;
    std::optional<std::int32_t> type, position;

  private:
    SessionPtr s_;
    std::int64_t storedRid_ = 0;
    std::int64_t storedSize_ = -1;
    std::optional<QByteArray> data_;
};

class AttachmentsImpl : public mapi::Attachments {
  public:
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    mapi::Ref<mapi::Attachment> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Attachment>> enumerate() override;
    mapi::Ref<mapi::Attachment> Add() override;

    std::vector<std::shared_ptr<AttachmentImpl>> items;
};

class MessageImpl : public mapi::Message, public FieldOwner {
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

    std::vector<PropSlot> fieldList() override;
    std::optional<PropSlot> fieldByTag(std::uint32_t tag) override;
    std::optional<PropSlot> fieldByName(const QString& name) override;
    PropSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                      const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;

    static const std::vector<PropertyBag::Standard>& standardTable();

  private:
    void loadRecipients();
    void loadAttachments();
    void loadCustom();
    void loadBody();
    // The columns a listing left out; MAPI_E_NOT_FOUND once the row is gone.
    void loadRow();
    void applyRow(Stmt& q);
    std::optional<PropSlot> flagsSlot();
    int attachmentCount();
    void checkAlive() const;
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
    PropertyBag bag_;
    std::shared_ptr<RecipientsImpl> recips_;
    std::shared_ptr<AttachmentsImpl> atts_;
};

// The messages of a walk, read a batch of rows at a time. A walk sees each
// message as it was when its batch was read.
class MessageBatch {
  public:
    std::shared_ptr<MessageImpl> at(const SessionPtr& s, const std::vector<std::int64_t>& rows,
                                    std::size_t i);

  private:
    std::size_t start_ = 0;
    std::vector<std::shared_ptr<MessageImpl>> items_;
};

// The ID and subject of a walk's messages, read a batch of rows at a time
// like MessageBatch but without a message object each. A row whose subject is
// not plain text is read through its message when its turn comes.
class HeadingBatch {
  public:
    // Row i of `rows`: false when it is gone.
    bool at(const SessionPtr& s, const std::vector<std::int64_t>& rows, std::size_t i, QString& id,
            QString& subject);

  private:
    struct Heading {
        enum State : unsigned char { Gone, Plain, Other } state = Gone;
        QString id;
        QString subject;
    };
    std::size_t start_ = 0;
    std::vector<Heading> items_;
};

class MessagesImpl : public mapi::Messages {
  public:
    MessagesImpl(SessionPtr s, std::int64_t folder) : s_(std::move(s)), folder_(folder) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Message> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Message>> enumerate() override;
    mapi::Ref<mapi::Message> GetFirst() override;
    mapi::Ref<mapi::Message> GetNext() override;
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::Message> Add() override;
    void listLines(const std::function<void(const mapi::MessageLine&)>& each) override;
    bool nextHeading(bool first, QString& id, QString& subject) override;

    std::vector<std::int64_t> rows() const;  // matching rows in stored order

  private:
    // The matching rows in stored order: "SELECT m.rid" and `columns` over them.
    Stmt select(const char* columns) const;
    SessionPtr s_;
    std::int64_t folder_;
    std::shared_ptr<FilterImpl> filter_;
    std::vector<std::int64_t> snapshot_;
    bool haveSnapshot_ = false;
    std::int64_t cursor_ = -2;  // -2: GetFirst not called yet
    MessageBatch batch_;
    HeadingBatch headings_;
};

class FoldersImpl : public mapi::Folders {
  public:
    FoldersImpl(SessionPtr s, std::int64_t parent) : s_(std::move(s)), parent_(parent) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Folder> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Folder>> enumerate() override;
    mapi::Ref<mapi::Folder> GetFirst() override;
    mapi::Ref<mapi::Folder> GetNext() override;

  private:
    std::vector<std::int64_t> rows() const;
    SessionPtr s_;
    std::int64_t parent_;
    std::vector<std::int64_t> snapshot_;
    std::int64_t cursor_ = -2;  // -2: GetFirst not called yet
};

// ---- address book -----------------------------------------------------------

class AddressEntryImpl;

class AddressEntriesImpl : public mapi::AddressEntries {
  public:
    // The top-level entries of a list, or the members of a distribution list.
    AddressEntriesImpl(SessionPtr s, std::int64_t list, bool readOnly,
                       std::shared_ptr<AddressEntryImpl> parent)
        : s_(std::move(s)), list_(list), readOnly_(readOnly), parent_(std::move(parent)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::AddressEntry> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> enumerate() override;
    mapi::Ref<mapi::AddressEntry> GetFirst() override;
    mapi::Ref<mapi::AddressEntry> GetNext() override;
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::AddressEntry> Add(const QString& type, const QString& name) override;

    std::vector<std::int64_t> rows() const;

  private:
    SessionPtr s_;
    std::int64_t list_;
    bool readOnly_;
    std::shared_ptr<AddressEntryImpl> parent_;
    std::shared_ptr<FilterImpl> filter_;
    std::vector<std::int64_t> snapshot_;
    bool haveSnapshot_ = false;
    std::int64_t cursor_ = -2;  // -2: GetFirst not called yet
};

class AddressEntryImpl : public mapi::AddressEntry, public FieldOwner {
  public:
    AddressEntryImpl(SessionPtr s, std::int64_t list, bool readOnly);
    static std::shared_ptr<AddressEntryImpl> load(const SessionPtr& s, std::int64_t rid);
    // A message's sender: not stored in any list, read-only.
    static std::shared_ptr<AddressEntryImpl> transient(const SessionPtr& s, const QString& name,
                                                       const QString& address);

    QString ID() override;
    QString Name() override;
    QString Address() override;
    QString Type() override;
    std::int32_t DisplayType() override;
    void SetName(const QString& v) override;
    void SetAddress(const QString& v) override;
    void SetType(const QString& v) override;
    mapi::Ref<mapi::Fields> FieldsOf() override;
    mapi::Ref<mapi::AddressEntries> Members() override;
    void Details() override;
    void Update() override;
    void Delete() override;

    std::vector<PropSlot> fieldList() override;
    std::optional<PropSlot> fieldByTag(std::uint32_t tag) override;
    std::optional<PropSlot> fieldByName(const QString& name) override;
    PropSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                      const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;

    static const std::vector<PropertyBag::Standard>& standardTable();
    std::int64_t rid() const { return rid_; }
    QString alias() const;
    void setParent(std::shared_ptr<AddressEntryImpl> p) { parent_ = std::move(p); }

  private:
    void checkWritable() const;
    void save();  // inside a transaction

    SessionPtr s_;
    std::int64_t rid_ = 0;
    std::int64_t list_;
    bool readOnly_;
    bool transient_ = false;
    bool deleted_ = false;
    QString eid_;
    std::shared_ptr<AddressEntryImpl> parent_;
    PropertyBag bag_;
};

class AddressListImpl : public mapi::AddressList {
  public:
    AddressListImpl(SessionPtr s, std::int64_t rid, QString eid, QString name, bool readOnly)
        : s_(std::move(s)),
          rid_(rid),
          eid_(std::move(eid)),
          name_(std::move(name)),
          readOnly_(readOnly) {}
    QString ID() override { return eid_; }
    QString Name() override { return name_; }
    mapi::Ref<mapi::AddressEntries> AddressEntriesOf() override;
    std::int64_t rid() const { return rid_; }

  private:
    SessionPtr s_;
    std::int64_t rid_;
    QString eid_;
    QString name_;
    bool readOnly_;
};

class AddressListsImpl : public mapi::AddressLists {
  public:
    explicit AddressListsImpl(SessionPtr s);
    std::int32_t Count() override { return static_cast<std::int32_t>(lists_.size()); }
    mapi::Ref<mapi::AddressList> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::AddressList>> enumerate() override;
    mapi::Ref<mapi::AddressList> ItemByName(const QString& name) override;

  private:
    std::vector<std::shared_ptr<AddressListImpl>> lists_;
};

// Entries of the session's address lists whose display name or alias equals
// `name` (ignoring case), one per distinct address.
std::vector<std::shared_ptr<AddressEntryImpl>> findEntries(const SessionPtr& s,
                                                           const QString& name);

// ---- session ----------------------------------------------------------------

class SessionImpl : public mapi::Session {
  public:
    explicit SessionImpl(std::shared_ptr<Backend> backend) : backend_(std::move(backend)) {}
    ~SessionImpl() override;
    void Logon(const mapi::LogonArgs& args) override;
    void Logoff() override;
    mapi::Ref<mapi::InfoStores> InfoStoresOf() override;
    mapi::Ref<mapi::AddressLists> AddressListsOf() override;
    mapi::Ref<mapi::AddressList> AddressListByName(const QString& name) override;
    mapi::Ref<mapi::Folder> Outbox() override;
    mapi::Ref<mapi::InfoStore> GetInfoStore(const QString& storeId) override;
    mapi::Ref<mapi::Folder> GetFolder(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> GetMessage(const QString& messageId, const QString& storeId) override;
    mapi::Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs& args) override;
    std::unique_ptr<mapi::WriteGroup> BeginWriteGroup() override;

    bool loggedOn() const { return static_cast<bool>(state_); }
    std::int64_t profile() const { return state_ ? state_->profile : 0; }

  private:
    const SessionPtr& state() const;  // MAPI_E_NOT_INITIALIZED when logged off
    std::shared_ptr<Backend> backend_;
    SessionPtr state_;
};

}  // namespace store
