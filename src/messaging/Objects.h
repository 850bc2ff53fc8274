#pragma once

// The messaging object model as the calling code sees it: sessions, stores,
// folders, messages, fields, recipients, attachments, address lists and filters.
// Member names follow the library's own so that the generated Visual Basic and
// the C++ that performs the same task read alike; a member whose name is also a
// class name carries the suffix "Of" (Message::FieldsOf() is Message.Fields).
// Every failing call throws
// mapi::Error; reading a property the object does not have throws
// MAPI_E_NOT_FOUND.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "messaging/Collection.h"
#include "messaging/Error.h"
#include "messaging/MessageCopy.h"
#include "messaging/Ref.h"
#include "messaging/Variant.h"

namespace mapi {

class AddressEntry;
class AddressEntries;
class AddressList;
class AddressLists;
class Attachment;
class Attachments;
class Field;
class Fields;
class Filter;
class Folder;
class Folders;
class InfoStore;
class InfoStores;
class Message;
class Messages;
class Recipient;
class Recipients;
class Session;

// ---- fields -----------------------------------------------------------------

class Field : public Object {
  public:
    virtual QString Name() = 0;     // "" for standard properties
    virtual std::int32_t ID() = 0;  // property tag, signed (named ones are negative)
    virtual Variant Type() = 0;     // VarType code as a Long; Null when unknown
    virtual Variant Value() = 0;    // an Error-typed field returns its ErrorValue
    virtual void SetValue(const Variant& v) = 0;
};

class Fields : public Collection<Field> {
  public:
    // Item(index) is by position; these look a field up by tag or by name
    // (MAPI_E_NOT_FOUND when absent).
    virtual Ref<Field> ItemByTag(std::int32_t tag) = 0;
    virtual Ref<Field> ItemByName(const QString& name) = 0;
    // Fields.Add(name or tag, type, value): `nameOrTag` is a String (a name, or a
    // number written as text) or a Long tag. On a filter's Fields this adds a
    // condition; on an object it adds or replaces a property.
    virtual Ref<Field> Add(const Variant& nameOrTag, std::int16_t type, const Variant& value) = 0;
    // Fields.Add(tag, value) as the alias look-up calls it (type taken from the tag).
    virtual Ref<Field> Add(const Variant& nameOrTag, const Variant& value) = 0;
};

// ---- filters ----------------------------------------------------------------

// Message filter members: Subject, Text, Sender, Recipients, Importance, Size,
// Sent, Unread, Type, TimeFirst, TimeLast, Not, Or.
// Address-entry filter members: Name, Address, Not, Or.
// Set() takes the member by name as late binding does; an unknown member throws
// MAPI_E_NO_SUPPORT. Bad values (e.g. a TimeFirst that is not a date) are
// accepted here and make the filtered enumeration throw MAPI_E_INVALID_PARAMETER.
class Filter : public Object {
  public:
    virtual void Set(const QString& member, const Variant& value) = 0;
    virtual Variant Get(const QString& member) = 0;
    virtual Ref<Fields> FieldsOf() = 0;  // the filter's Fields collection
    void SetNot(bool v) { Set(QStringLiteral("Not"), v); }
    void SetOr(bool v) { Set(QStringLiteral("Or"), v); }
};

// ---- address book -----------------------------------------------------------

class AddressEntry : public Object {
  public:
    virtual QString ID() = 0;
    virtual QString Name() = 0;
    virtual QString Address() = 0;
    virtual QString Type() = 0;  // "SMTP", "MAPIPDL", "EX" ...
    virtual std::int32_t DisplayType() = 0;
    virtual void SetName(const QString& v) = 0;
    virtual void SetAddress(const QString& v) = 0;
    virtual void SetType(const QString& v) = 0;
    virtual Ref<Fields> FieldsOf() = 0;
    virtual Ref<AddressEntries> Members() = 0;  // a distribution list's members
    virtual void Details() = 0;                 // the library's modal details dialog
    virtual void Update() = 0;                  // saves this entry (and new members)
    virtual void Delete() = 0;
};

class AddressEntries : public WalkableCollection<AddressEntry> {
  public:
    virtual Ref<Filter> FilterOf() = 0;  // the collection's filter; enumeration honours it
    // A new entry of the given address type and display name, stored by Update().
    virtual Ref<AddressEntry> Add(const QString& type, const QString& name) = 0;
};

class AddressList : public Object {
  public:
    virtual QString ID() = 0;
    virtual QString Name() = 0;
    virtual Ref<AddressEntries> AddressEntriesOf() = 0;
};

class AddressLists : public Collection<AddressList> {
  public:
    virtual Ref<AddressList> ItemByName(const QString& name) = 0;  // MAPI_E_NOT_FOUND
};

// ---- messages ---------------------------------------------------------------

class Recipient : public Object {
  public:
    virtual QString Name() = 0;
    virtual std::int32_t Type() = 0;  // 1 To, 2 Cc, 3 Bcc
    virtual QString Address() = 0;
    virtual std::int32_t DisplayType() = 0;
    virtual void SetName(const QString& v) = 0;
    virtual void SetType(std::int32_t v) = 0;
    virtual void SetAddress(const QString& v) = 0;
    // Resolves Name against the session's address lists by display name or
    // alias; none throws MAPI_E_NOT_FOUND, several MAPI_E_AMBIGUOUS_RECIP.
    virtual void Resolve() = 0;
};

class Recipients : public Collection<Recipient> {
  public:
    virtual Ref<Recipient> Add(const QString& name, std::int32_t type) = 0;
};

class Attachment : public Object {
  public:
    virtual QString Name() = 0;
    virtual std::int32_t Type() = 0;  // 1 file data
    virtual std::int32_t Position() = 0;
    virtual void SetName(const QString& v) = 0;
    virtual void SetType(std::int32_t v) = 0;
    virtual void SetPosition(std::int32_t v) = 0;
    virtual void ReadFromFile(
        const QString& path) = 0;  // missing/unreadable: MAPI_E_NOT_FOUND / E_ACCESSDENIED
    virtual void WriteToFile(const QString& path) = 0;  // unwritable target: E_ACCESSDENIED
};

class Attachments : public Collection<Attachment> {
  public:
    virtual Ref<Attachment> Add() = 0;
};

class Message : public Object {
  public:
    virtual QString ID() = 0;
    virtual QString Subject() = 0;
    virtual QString Text() = 0;
    virtual Variant Importance() = 0;         // Long 0 low, 1 normal, 2 high
    virtual Ref<AddressEntry> Sender() = 0;   // MAPI_E_NOT_FOUND when the message has none
    virtual Variant Size() = 0;               // Long
    virtual Variant TimeReceived() = 0;       // Date
    virtual Variant TimeSent() = 0;           // Date
    virtual QString Type() = 0;               // message class, e.g. "IPM.Note"
    virtual Variant Unread() = 0;             // Boolean
    virtual Variant Sent() = 0;               // Boolean
    virtual QString ConversationIndex() = 0;  // hexadecimal text
    virtual QString ConversationTopic() = 0;
    virtual Variant DeliveryReceipt() = 0;  // Boolean
    virtual Variant ReadReceipt() = 0;      // Boolean
    virtual Ref<Attachments> AttachmentsOf() = 0;
    virtual Ref<Recipients> RecipientsOf() = 0;
    virtual Ref<Fields> FieldsOf() = 0;

    virtual void SetSubject(const QString& v) = 0;
    virtual void SetText(const QString& v) = 0;
    virtual void SetImportance(std::int32_t v) = 0;
    virtual void SetType(const QString& v) = 0;
    virtual void SetDeliveryReceipt(bool v) = 0;
    virtual void SetReadReceipt(bool v) = 0;

    // Saves the message with its recipients and attachments in one step.
    virtual void Update() = 0;
    // Removes the message for good; a second Delete throws MAPI_E_NOT_FOUND.
    virtual void Delete() = 0;

    // The members below have defaults so that a wrapper or a back-end that
    // lacks one answers MAPI_E_NO_SUPPORT rather than failing to build.
    virtual Ref<Folder> Parent();                           // the folder holding the message
    virtual Variant Submitted() { return Variant(false); }  // Boolean
    virtual Variant Sensitivity();                          // Long 0 none .. 3 confidential
    virtual void SetSensitivity(std::int32_t v);            // 0..3, else MAPI_E_INVALID_PARAMETER
    // The copy in folder `folderId` (of store `storeId`, "" for any of the
    // session's), also on the other back-end. MoveTo deletes this message only
    // once the copy is whole.
    virtual Ref<Message> CopyTo(const QString& folderId, const QString& storeId);
    virtual Ref<Message> MoveTo(const QString& folderId, const QString& storeId);
    // A new unsaved message in the session's Outbox (model/Reply.h).
    virtual Ref<Message> Forward();
    virtual Ref<Message> Reply();
    virtual Ref<Message> ReplyAll();
    // Not part of the scripting interface: what a copy on another store takes.
    virtual MessageCopy exportCopy();
};

// What a listing of messages shows of one message.
struct MessageLine {
    QString received;  // TimeReceived by the default date-to-text conversion
    QString sender;    // the sender's Name
    QString subject;
};

class Messages : public WalkableCollection<Message> {
  public:
    virtual Ref<Filter> FilterOf() = 0;  // enumeration and GetFirst/GetNext honour it
    virtual Ref<Message> Add() = 0;      // exists in the store only after Update()

    // One line for each message, in the order for-each yields them. A part
    // the message does not have (its read fails with MAPI_E_NOT_FOUND, "Object
    // variable not set" or "Invalid use of Null") is empty; any other error
    // ends the listing. The default walks the messages; a back-end may read
    // the three parts of every message at once.
    virtual void listLines(const std::function<void(const MessageLine&)>& each);
    // The line of one message, read through its properties as above.
    static MessageLine lineOf(Message& m);

    // GetLast and GetPrevious walk backwards from the end on a cursor of their
    // own (GetFirst/GetNext keep theirs); GetPrevious before GetLast, or past
    // the first, gives an empty reference.
    virtual Ref<Message> GetLast();
    virtual Ref<Message> GetPrevious();
    // Orders every walk and Item from now on: 1 ascending, 2 descending, by
    // the property `tag` (0 for the time received). The default has no order.
    virtual void Sort(std::int32_t order, std::uint32_t tag);
    // Deletes every message the collection holds (after its filter).
    virtual void Delete();

    // GetFirst (`first`) or GetNext, then the ID and the Subject of the
    // message it gave, in that order and with the errors those calls raise;
    // false when it gave none. The default makes the calls; a back-end may
    // read the two parts of a big folder without a message object each.
    virtual bool nextHeading(bool first, QString& id, QString& subject);

  private:
    std::int32_t back_ = 0;  // GetLast/GetPrevious: 1-based position, 0 when done
};

class Folder : public Object {
  public:
    virtual QString ID() = 0;
    virtual QString Name() = 0;
    virtual Ref<Folders> FoldersOf() = 0;
    virtual Ref<Messages> MessagesOf() = 0;

    // The parent folder, or the InfoStore for a store's top folder.
    virtual Ref<Object> Parent();
    // Removes the folder with its messages and subfolders.
    virtual void Delete();
    // A copy named `name` ("" for this folder's name) below folder `folderId`,
    // with this folder's messages and, when `subfolders`, its subfolders.
    virtual Ref<Folder> CopyTo(const QString& folderId, const QString& storeId, const QString& name,
                               bool subfolders);
    // Copy with the subfolders, then this folder's Delete.
    virtual Ref<Folder> MoveTo(const QString& folderId, const QString& storeId);
    // Not part of the scripting interface: a copy of `source`, which may live
    // on another store, as a new message of this folder.
    virtual Ref<Message> importCopy(Message& source);
};

class Folders : public WalkableCollection<Folder> {
  public:
    // A new subfolder; MAPI_E_COLLISION when one of that name exists.
    virtual Ref<Folder> Add(const QString& name);
};

class InfoStore : public Object {
  public:
    virtual QString ID() = 0;
    virtual QString Name() = 0;
    virtual Ref<Folder> RootFolder() = 0;
    virtual QString ProviderName();
    // Not part of the scripting interface. The store's default folder of
    // Session.GetDefaultFolder's kind (1 Inbox, 2 Outbox, 3 Sent Items, 4
    // Deleted Items); MAPI_E_NOT_FOUND when the store has none.
    virtual Ref<Folder> defaultFolder(std::int32_t kind);
    // Whose store it is, as Session.CurrentUser answers.
    virtual Ref<AddressEntry> owner();
};

class InfoStores : public Collection<InfoStore> {
  public:
    virtual Ref<InfoStore> ItemByName(const QString& name) = 0;
};

// ---- session ----------------------------------------------------------------

// Session.Logon arguments; an unset optional is an argument not passed.
// The dynamic form passes all seven positionally, profileInfo being
// "server" LF "mailbox".
struct LogonArgs {
    std::optional<QString> profileName;
    std::optional<QString> profilePassword;
    std::optional<bool> showDialog;
    std::optional<bool> newSession;
    std::optional<std::int64_t> parentWindow;
    std::optional<bool> noMail;
    std::optional<QString> profileInfo;
};

// Session.AddressBook named arguments.
struct AddressBookArgs {
    Ref<Recipients> recipients;  // pre-fills the recipient lists; may be empty
    std::optional<QString> title;
    std::optional<bool> oneAddress;
    std::optional<bool> forceResolution;
    std::optional<std::int32_t> recipLists;  // 1 to 3
    std::optional<QString> toLabel;
    std::optional<QString> ccLabel;
    std::optional<QString> bccLabel;
};

// Writes made while a group is open count as one: all of them reach the store
// when it is committed, none when it is dropped first or the program dies.
class WriteGroup {
  public:
    virtual ~WriteGroup() = default;
    virtual void commit() = 0;
};

class Session : public Object {
  public:
    virtual void Logon(const LogonArgs& args) = 0;  // MAPI_E_LOGON_FAILED, MAPI_E_USER_CANCEL
    virtual void Logoff() = 0;                      // throws when not logged on
    virtual Ref<InfoStores> InfoStoresOf() = 0;
    virtual Ref<AddressLists> AddressListsOf() = 0;
    virtual Ref<AddressList> AddressListByName(const QString& name) = 0;  // AddressLists(name)
    virtual Ref<Folder> Outbox() = 0;
    virtual Ref<InfoStore> GetInfoStore(const QString& storeId) = 0;
    virtual Ref<Folder> GetFolder(const QString& folderId, const QString& storeId) = 0;
    virtual Ref<Message> GetMessage(const QString& messageId, const QString& storeId) = 0;
    // The library's modal address-book dialog; the chosen recipients as a new
    // collection (types 1, 2, 3). Cancel throws MAPI_E_USER_CANCEL.
    virtual Ref<Recipients> AddressBook(const AddressBookArgs& args) = 0;

    // The default store is the profile's mail-server account when it has one,
    // else its first store holding an Inbox.
    virtual Ref<AddressEntry> CurrentUser();
    virtual QString Name();  // the profile's name
    virtual Ref<Folder> Inbox() { return GetDefaultFolder(1); }
    // 1 Inbox, 2 Outbox, 3 Sent Items, 4 Deleted Items of the default store;
    // MAPI_E_NOT_FOUND for one it lacks, MAPI_E_INVALID_PARAMETER for another kind.
    virtual Ref<Folder> GetDefaultFolder(std::int32_t kind);
    virtual Ref<AddressEntry> GetAddressEntry(const QString& entryId);
    // Not part of the scripting interface: lets one user action that takes
    // several Update calls land whole. A back-end without transactions writes
    // each call as it comes.
    virtual std::unique_ptr<WriteGroup> BeginWriteGroup() {
        struct EachByItself : WriteGroup {
            void commit() override {}
        };
        return std::make_unique<EachByItself>();
    }
};

}  // namespace mapi
