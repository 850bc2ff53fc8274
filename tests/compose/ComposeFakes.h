#pragma once

// A small in-memory stand-in for the part of the messaging model the
// send-a-message window uses. Every call of interest is written to one shared
// log, so tests can check order and absence of calls; failures are injected
// per object.

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"

namespace fake {

using mapi::Ref;

struct Log {
    QStringList calls;
    void add(const QString& s) { calls << s; }
};

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

class Recipient : public mapi::Recipient {
  public:
    Recipient(std::shared_ptr<Log> log, QString name, std::int32_t type)
        : log_(std::move(log)), name_(std::move(name)), type_(type) {}
    QString Name() override { return name_; }
    std::int32_t Type() override {
        if (failType) mapi::raise(mapi::code::CallFailed);
        return type_;
    }
    QString Address() override { return address_; }
    std::int32_t DisplayType() override { return 0; }
    void SetName(const QString& v) override { name_ = v; }
    void SetType(std::int32_t v) override { type_ = v; }
    void SetAddress(const QString& v) override { address_ = v; }
    void Resolve() override {
        log_->add(QStringLiteral("Resolve ") + name_);
        if (!resolvable) mapi::raise(mapi::code::NotFound);
        resolved = true;
    }

    bool resolvable = true;
    bool resolved = false;
    bool failType = false;

  private:
    std::shared_ptr<Log> log_;
    QString name_;
    std::int32_t type_;
    QString address_;
};

class Recipients : public mapi::Recipients {
  public:
    explicit Recipients(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    Ref<mapi::Recipient> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(mapi::code::NotFound);
        return items[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<mapi::Enumerator<mapi::Recipient>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::Recipient>>(
            std::vector<Ref<mapi::Recipient>>(items.begin(), items.end()));
    }
    Ref<mapi::Recipient> Add(const QString& name, std::int32_t type) override {
        log_->add(QStringLiteral("Recipients.Add %1 %2").arg(name).arg(type));
        if (nothingFor.contains(name)) return {};
        auto r = std::make_shared<Recipient>(log_, name, type);
        if (unresolvable.contains(name)) r->resolvable = false;
        items.push_back(r);
        return Ref<mapi::Recipient>(r);
    }
    // For building the address book's answer.
    std::shared_ptr<Recipient> append(const QString& name, std::int32_t type) {
        auto r = std::make_shared<Recipient>(log_, name, type);
        items.push_back(r);
        return r;
    }

    std::vector<std::shared_ptr<Recipient>> items;
    QStringList nothingFor;    // Add gives Nothing for these names
    QStringList unresolvable;  // Resolve fails for these names

  private:
    std::shared_ptr<Log> log_;
};

class Attachment : public mapi::Attachment {
  public:
    explicit Attachment(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    QString Name() override { return name; }
    std::int32_t Type() override { return type; }
    std::int32_t Position() override { return position; }
    void SetName(const QString& v) override {
        log_->add(QStringLiteral("Attachment.Name ") + v);
        name = v;
    }
    void SetType(std::int32_t v) override {
        log_->add(QStringLiteral("Attachment.Type %1").arg(v));
        type = v;
    }
    void SetPosition(std::int32_t v) override {
        log_->add(QStringLiteral("Attachment.Position %1").arg(v));
        position = v;
    }
    void ReadFromFile(const QString& path) override {
        log_->add(QStringLiteral("ReadFromFile ") + path);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) mapi::raise(mapi::code::NotFound);
        data = f.readAll();
    }
    void WriteToFile(const QString&) override { unsupported(); }

    QString name;
    std::int32_t type = 0;
    std::int32_t position = -1;
    QByteArray data;

  private:
    std::shared_ptr<Log> log_;
};

class Attachments : public mapi::Attachments {
  public:
    explicit Attachments(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    Ref<mapi::Attachment> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(mapi::code::NotFound);
        return items[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<mapi::Enumerator<mapi::Attachment>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::Attachment>>(
            std::vector<Ref<mapi::Attachment>>(items.begin(), items.end()));
    }
    Ref<mapi::Attachment> Add() override {
        log_->add(QStringLiteral("Attachments.Add"));
        ++adds;
        if (std::find(nothingOnAdd.begin(), nothingOnAdd.end(), adds) != nothingOnAdd.end())
            return {};
        auto a = std::make_shared<Attachment>(log_);
        items.push_back(a);
        return Ref<mapi::Attachment>(a);
    }

    std::vector<std::shared_ptr<Attachment>> items;
    std::vector<int> nothingOnAdd;  // 1-based numbers of the Add calls that give Nothing
    int adds = 0;

  private:
    std::shared_ptr<Log> log_;
};

class Message : public mapi::Message {
  public:
    explicit Message(std::shared_ptr<Log> log)
        : recipients(std::make_shared<Recipients>(log)),
          attachments(std::make_shared<Attachments>(log)),
          log_(log) {}

    QString ID() override { return QStringLiteral("MSG"); }
    QString Subject() override { return subject; }
    QString Text() override { return text; }
    mapi::Variant Importance() override {
        return importance ? mapi::Variant(*importance) : mapi::Variant(std::int32_t{1});
    }
    Ref<mapi::AddressEntry> Sender() override { mapi::raise(mapi::code::NotFound); }
    mapi::Variant Size() override { return std::int32_t{0}; }
    mapi::Variant TimeReceived() override { mapi::raise(mapi::code::NotFound); }
    mapi::Variant TimeSent() override { mapi::raise(mapi::code::NotFound); }
    QString Type() override { return QStringLiteral("IPM.Note"); }
    mapi::Variant Unread() override { return false; }
    mapi::Variant Sent() override { return false; }
    QString ConversationIndex() override { return {}; }
    QString ConversationTopic() override { return {}; }
    mapi::Variant DeliveryReceipt() override {
        return deliveryReceipt ? mapi::Variant(*deliveryReceipt) : mapi::Variant(false);
    }
    mapi::Variant ReadReceipt() override {
        return readReceipt ? mapi::Variant(*readReceipt) : mapi::Variant(false);
    }
    Ref<mapi::Attachments> AttachmentsOf() override { return Ref<mapi::Attachments>(attachments); }
    Ref<mapi::Recipients> RecipientsOf() override { return Ref<mapi::Recipients>(recipients); }
    Ref<mapi::Fields> FieldsOf() override { unsupported(); }

    void SetSubject(const QString& v) override {
        log_->add(QStringLiteral("Subject ") + v);
        subject = v;
    }
    void SetText(const QString& v) override {
        log_->add(QStringLiteral("Text ") + v);
        text = v;
    }
    void SetImportance(std::int32_t v) override {
        log_->add(QStringLiteral("Importance %1").arg(v));
        importance = v;
    }
    void SetType(const QString&) override { unsupported(); }
    void SetDeliveryReceipt(bool v) override {
        log_->add(QStringLiteral("DeliveryReceipt %1").arg(v));
        deliveryReceipt = v;
    }
    void SetReadReceipt(bool v) override {
        log_->add(QStringLiteral("ReadReceipt %1").arg(v));
        readReceipt = v;
    }
    void Update() override {
        log_->add(QStringLiteral("Update"));
        if (onUpdate) onUpdate();
        if (failUpdate) mapi::raise(mapi::code::NoAccess);
        ++updates;
    }
    void Delete() override { log_->add(QStringLiteral("Delete")); }

    QString subject, text;
    std::optional<std::int32_t> importance;
    std::optional<bool> deliveryReceipt, readReceipt;
    std::shared_ptr<Recipients> recipients;
    std::shared_ptr<Attachments> attachments;
    bool failUpdate = false;
    int updates = 0;
    std::function<void()> onUpdate;

  private:
    std::shared_ptr<Log> log_;
};

class Messages : public mapi::Messages {
  public:
    explicit Messages(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(created.size()); }
    Ref<mapi::Message> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(mapi::code::NotFound);
        return created[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<mapi::Enumerator<mapi::Message>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::Message>>(
            std::vector<Ref<mapi::Message>>(created.begin(), created.end()));
    }
    Ref<mapi::Message> GetFirst() override { unsupported(); }
    Ref<mapi::Message> GetNext() override { unsupported(); }
    Ref<mapi::Filter> FilterOf() override { unsupported(); }
    Ref<mapi::Message> Add() override {
        log_->add(QStringLiteral("Messages.Add"));
        if (failAdd) mapi::raise(mapi::code::NoAccess);
        auto m = std::make_shared<Message>(log_);
        if (prepare) prepare(*m);
        created.push_back(m);
        return Ref<mapi::Message>(m);
    }

    std::vector<std::shared_ptr<Message>> created;
    bool failAdd = false;
    std::function<void(Message&)> prepare;  // runs on each new message

  private:
    std::shared_ptr<Log> log_;
};

class Folder : public mapi::Folder {
  public:
    explicit Folder(std::shared_ptr<Log> log)
        : messages(std::make_shared<Messages>(std::move(log))) {}
    QString ID() override { return QStringLiteral("OUTBOX"); }
    QString Name() override { return QStringLiteral("Outbox"); }
    Ref<mapi::Folders> FoldersOf() override { unsupported(); }
    Ref<mapi::Messages> MessagesOf() override { return Ref<mapi::Messages>(messages); }
    std::shared_ptr<Messages> messages;
};

class Session : public mapi::Session {
  public:
    Session() : log(std::make_shared<Log>()), outbox(std::make_shared<Folder>(log)) {}

    void Logon(const mapi::LogonArgs&) override {}
    void Logoff() override {}
    Ref<mapi::InfoStores> InfoStoresOf() override { unsupported(); }
    Ref<mapi::AddressLists> AddressListsOf() override { unsupported(); }
    Ref<mapi::AddressList> AddressListByName(const QString&) override { unsupported(); }
    Ref<mapi::Folder> Outbox() override {
        log->add(QStringLiteral("Outbox"));
        if (noOutbox) mapi::raise(mapi::code::NotFound);
        return Ref<mapi::Folder>(outbox);
    }
    Ref<mapi::InfoStore> GetInfoStore(const QString&) override { unsupported(); }
    Ref<mapi::Folder> GetFolder(const QString&, const QString&) override { unsupported(); }
    Ref<mapi::Message> GetMessage(const QString&, const QString&) override { unsupported(); }
    Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs& args) override {
        log->add(QStringLiteral("AddressBook"));
        bookCalls.push_back(args);
        if (!bookAnswer) mapi::raise(mapi::code::UserCancel);
        return bookAnswer(args);
    }

    // A new collection for the address book to answer with.
    std::shared_ptr<Recipients> newRecipients() { return std::make_shared<Recipients>(log); }

    std::shared_ptr<Log> log;
    std::shared_ptr<Folder> outbox;
    bool noOutbox = false;
    std::vector<mapi::AddressBookArgs> bookCalls;
    // The dialog's answer; unset means the user cancels.
    std::function<Ref<mapi::Recipients>(const mapi::AddressBookArgs&)> bookAnswer;
};

}  // namespace fake
