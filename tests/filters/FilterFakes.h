#pragma once

// A small in-memory stand-in for the messaging objects the filters touch.
// Filters record what was set on them; collections yield what the test put in
// them (the store does the real filtering); failures are injected per object.

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"

namespace ffake {

using mapi::Ref;

[[noreturn]] inline void unsupported() {
    mapi::raise(mapi::code::NoSupport);
}

template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<Ref<T>> v) : v_(std::move(v)) {}
    Ref<T> next() override { return i_ < v_.size() ? v_[i_++] : Ref<T>(); }

  private:
    std::vector<Ref<T>> v_;
    std::size_t i_ = 0;
};

// Every member set and field added, as "Member=value(type)" in call order.
struct FilterLog {
    QStringList calls;
};

inline QString describe(const mapi::Variant& v) {
    QString text;
    try {
        text = v.toText();
    } catch (const mapi::Error&) {
        text = QStringLiteral("?");
    }
    return text + QStringLiteral("(") + QString::number(static_cast<int>(v.type())) +
           QStringLiteral(")");
}

class Fields : public mapi::Fields {
  public:
    explicit Fields(std::shared_ptr<FilterLog> log) : log_(std::move(log)) {}
    std::int32_t Count() override { return 0; }
    Ref<mapi::Field> Item(std::int32_t) override { mapi::raise(mapi::code::NotFound); }
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::Field>>(std::vector<Ref<mapi::Field>>{});
    }
    Ref<mapi::Field> ItemByTag(std::int32_t) override { mapi::raise(mapi::code::NotFound); }
    Ref<mapi::Field> ItemByName(const QString&) override { mapi::raise(mapi::code::NotFound); }
    Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, std::int16_t type,
                         const mapi::Variant& value) override {
        if (rejectAdd) mapi::raise(mapi::code::InvalidParameter);
        log_->calls << QStringLiteral("Fields.Add ") + describe(nameOrTag) + QStringLiteral(" ") +
                           QString::number(type) + QStringLiteral(" ") + describe(value);
        return {};
    }
    Ref<mapi::Field> Add(const mapi::Variant&, const mapi::Variant&) override { unsupported(); }
    bool rejectAdd = false;

  private:
    std::shared_ptr<FilterLog> log_;
};

class Filter : public mapi::Filter {
  public:
    explicit Filter(QStringList members) : members_(std::move(members)) {
        fields = std::make_shared<Fields>(log);
    }
    void Set(const QString& member, const mapi::Variant& value) override {
        if (!members_.contains(member) || rejected.contains(member))
            mapi::raise(mapi::code::NoSupport);
        log->calls << member + QStringLiteral("=") + describe(value);
    }
    mapi::Variant Get(const QString&) override { unsupported(); }
    Ref<mapi::Fields> FieldsOf() override { return fields; }

    std::shared_ptr<FilterLog> log = std::make_shared<FilterLog>();
    std::shared_ptr<Fields> fields;
    QStringList rejected;

  private:
    QStringList members_;
};

inline QStringList messageFilterMembers() {
    return {"Subject", "Text", "Sender",    "Recipients", "Importance", "Size", "Sent",
            "Unread",  "Type", "TimeFirst", "TimeLast",   "Not",        "Or"};
}

class AddressEntry : public mapi::AddressEntry {
  public:
    AddressEntry(QString name, QString address, QString type = QStringLiteral("SMTP"))
        : name_(std::move(name)), address_(std::move(address)), type_(std::move(type)) {}
    QString ID() override { return QStringLiteral("AE-") + name_; }
    QString Name() override { return name_; }
    QString Address() override { return address_; }
    QString Type() override { return type_; }
    std::int32_t DisplayType() override { return 0; }
    void SetName(const QString& v) override { name_ = v; }
    void SetAddress(const QString& v) override { address_ = v; }
    void SetType(const QString& v) override { type_ = v; }
    Ref<mapi::Fields> FieldsOf() override { unsupported(); }
    Ref<mapi::AddressEntries> Members() override { unsupported(); }
    void Details() override { unsupported(); }
    void Update() override { unsupported(); }
    void Delete() override { unsupported(); }

  private:
    QString name_, address_, type_;
};

class Message : public mapi::Message {
  public:
    Message(mapi::Variant received, std::shared_ptr<AddressEntry> sender,
            std::optional<QString> subject)
        : received_(std::move(received)),
          sender_(std::move(sender)),
          subject_(std::move(subject)) {}
    QString ID() override { return QStringLiteral("M"); }
    QString Subject() override {
        if (!subject_) mapi::raise(mapi::code::NotFound);
        return *subject_;
    }
    QString Text() override { return {}; }
    mapi::Variant Importance() override { return std::int32_t{1}; }
    Ref<mapi::AddressEntry> Sender() override {
        if (!sender_) mapi::raise(mapi::code::NotFound);
        return sender_;
    }
    mapi::Variant Size() override { return std::int32_t{0}; }
    mapi::Variant TimeReceived() override {
        if (received_.isEmpty()) mapi::raise(mapi::code::NotFound);
        return received_;
    }
    mapi::Variant TimeSent() override { return received_; }
    QString Type() override { return QStringLiteral("IPM.Note"); }
    mapi::Variant Unread() override { return false; }
    mapi::Variant Sent() override { return true; }
    QString ConversationIndex() override { return {}; }
    QString ConversationTopic() override { return {}; }
    mapi::Variant DeliveryReceipt() override { return false; }
    mapi::Variant ReadReceipt() override { return false; }
    Ref<mapi::Attachments> AttachmentsOf() override { unsupported(); }
    Ref<mapi::Recipients> RecipientsOf() override { unsupported(); }
    Ref<mapi::Fields> FieldsOf() override { unsupported(); }
    void SetSubject(const QString&) override { unsupported(); }
    void SetText(const QString&) override { unsupported(); }
    void SetImportance(std::int32_t) override { unsupported(); }
    void SetType(const QString&) override { unsupported(); }
    void SetDeliveryReceipt(bool) override { unsupported(); }
    void SetReadReceipt(bool) override { unsupported(); }
    void Update() override { unsupported(); }
    void Delete() override { unsupported(); }

  private:
    mapi::Variant received_;
    std::shared_ptr<AddressEntry> sender_;
    std::optional<QString> subject_;
};

// A collection whose enumeration yields `items` (the ones "passing"), or
// fails with `enumerateError` when it is set.
template <class Base, class T>
class Walkable : public Base {
  public:
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    Ref<T> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(mapi::code::NotFound);
        return items[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<mapi::Enumerator<T>> enumerate() override {
        if (enumerateError) mapi::raise(enumerateError);
        return std::make_unique<VectorEnum<T>>(items);
    }
    Ref<T> GetFirst() override { unsupported(); }
    Ref<T> GetNext() override { unsupported(); }

    std::vector<Ref<T>> items;
    std::int32_t enumerateError = 0;
};

class Messages : public Walkable<mapi::Messages, mapi::Message> {
  public:
    Ref<mapi::Filter> FilterOf() override { return filter; }
    Ref<mapi::Message> Add() override { unsupported(); }
    std::shared_ptr<Filter> filter = std::make_shared<Filter>(messageFilterMembers());
};

class AddressEntries : public Walkable<mapi::AddressEntries, mapi::AddressEntry> {
  public:
    Ref<mapi::Filter> FilterOf() override { return filter; }
    Ref<mapi::AddressEntry> Add(const QString&, const QString&) override { unsupported(); }
    std::shared_ptr<Filter> filter =
        std::make_shared<Filter>(QStringList{"Name", "Address", "Not", "Or"});
};

class Folder : public mapi::Folder {
  public:
    QString ID() override { return QStringLiteral("F"); }
    QString Name() override { return QStringLiteral("Inbox"); }
    Ref<mapi::Folders> FoldersOf() override { unsupported(); }
    Ref<mapi::Messages> MessagesOf() override { return messages; }
    std::shared_ptr<Messages> messages = std::make_shared<Messages>();
};

class AddressList : public mapi::AddressList {
  public:
    explicit AddressList(QString name, bool failName = false)
        : name_(std::move(name)), failName_(failName) {}
    QString ID() override { return name_; }
    QString Name() override {
        if (failName_) mapi::raise(mapi::code::CallFailed);
        return name_;
    }
    Ref<mapi::AddressEntries> AddressEntriesOf() override { return entries; }
    std::shared_ptr<AddressEntries> entries = std::make_shared<AddressEntries>();

  private:
    QString name_;
    bool failName_;
};

class AddressLists : public mapi::AddressLists {
  public:
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    Ref<mapi::AddressList> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(mapi::code::NotFound);
        return items[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<mapi::Enumerator<mapi::AddressList>> enumerate() override {
        std::vector<Ref<mapi::AddressList>> v(items.begin(), items.end());
        return std::make_unique<VectorEnum<mapi::AddressList>>(v);
    }
    Ref<mapi::AddressList> ItemByName(const QString& name) override {
        for (auto& l : items)
            if (l->ID() == name) return l;
        mapi::raise(mapi::code::NotFound);
    }
    std::vector<std::shared_ptr<AddressList>> items;
};

class Recipient : public mapi::Recipient {
  public:
    Recipient(QString name, QString address)
        : name_(std::move(name)), address_(std::move(address)) {}
    QString Name() override { return name_; }
    std::int32_t Type() override { return 1; }
    QString Address() override { return address_; }
    std::int32_t DisplayType() override { return 0; }
    void SetName(const QString& v) override { name_ = v; }
    void SetType(std::int32_t) override {}
    void SetAddress(const QString& v) override { address_ = v; }
    void Resolve() override {}

  private:
    QString name_, address_;
};

class Recipients : public mapi::Recipients {
  public:
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    Ref<mapi::Recipient> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(mapi::code::NotFound);
        return items[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<mapi::Enumerator<mapi::Recipient>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::Recipient>>(items);
    }
    Ref<mapi::Recipient> Add(const QString&, std::int32_t) override { unsupported(); }
    std::vector<Ref<mapi::Recipient>> items;
};

class Session : public mapi::Session {
  public:
    void Logon(const mapi::LogonArgs&) override {}
    void Logoff() override {}
    Ref<mapi::InfoStores> InfoStoresOf() override { unsupported(); }
    Ref<mapi::AddressLists> AddressListsOf() override {
        if (failAddressLists) mapi::raise(mapi::code::CallFailed);
        return lists;
    }
    Ref<mapi::AddressList> AddressListByName(const QString& name) override {
        calls << QStringLiteral("AddressLists(") + name + QStringLiteral(")");
        return lists->ItemByName(name);
    }
    Ref<mapi::Folder> Outbox() override { unsupported(); }
    Ref<mapi::InfoStore> GetInfoStore(const QString&) override { unsupported(); }
    Ref<mapi::Folder> GetFolder(const QString& folderId, const QString& storeId) override {
        calls << QStringLiteral("GetFolder(") + folderId + QStringLiteral(",") + storeId +
                     QStringLiteral(")");
        if (getFolderError) mapi::raise(getFolderError);
        return folder;
    }
    Ref<mapi::Message> GetMessage(const QString&, const QString&) override { unsupported(); }
    Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs& args) override {
        lastBookArgs = args;
        ++addressBookCalls;
        if (!picked) mapi::raise(mapi::code::UserCancel);
        return picked;
    }

    QStringList calls;
    std::shared_ptr<Folder> folder = std::make_shared<Folder>();
    std::shared_ptr<AddressLists> lists = std::make_shared<AddressLists>();
    std::int32_t getFolderError = 0;
    bool failAddressLists = false;
    std::shared_ptr<Recipients> picked;  // null: the dialog is cancelled
    mapi::AddressBookArgs lastBookArgs;
    int addressBookCalls = 0;
};

}  // namespace ffake
