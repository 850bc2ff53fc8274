#pragma once

// An in-memory mailbox behind the messaging interfaces, for the session and
// browser tests. Every object can be told to fail a member by name
// (obj->fail["Name"] = code), which is how the tests reach the error paths.

#include <QFile>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "messaging/Objects.h"

namespace fake {

using mapi::Ref;
using mapi::Variant;

struct Failing {
    std::map<QString, std::int32_t> fail;
    void hit(const char* member) const {
        auto it = fail.find(QString::fromLatin1(member));
        if (it != fail.end()) mapi::raise(it->second);
    }
};

template <class T, class Impl>
class VecEnumerator : public mapi::Enumerator<T> {
  public:
    explicit VecEnumerator(std::vector<std::shared_ptr<Impl>> v) : v_(std::move(v)) {}
    Ref<T> next() override { return pos_ < v_.size() ? Ref<T>(v_[pos_++]) : Ref<T>(); }

  private:
    std::vector<std::shared_ptr<Impl>> v_;
    std::size_t pos_ = 0;
};

template <class Base, class T, class Impl>
class VecCollection : public Base, public Failing {
  public:
    std::vector<std::shared_ptr<Impl>> items;
    std::int32_t Count() override {
        hit("Count");
        return static_cast<std::int32_t>(items.size());
    }
    Ref<T> Item(std::int32_t i) override {
        hit("Item");
        if (i < 1 || i > static_cast<std::int32_t>(items.size())) mapi::raise(mapi::code::NotFound);
        return Ref<T>(items[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<mapi::Enumerator<T>> enumerate() override {
        return std::make_unique<VecEnumerator<T, Impl>>(items);
    }
};

template <class Base, class T, class Impl>
class WalkCollection : public VecCollection<Base, T, Impl> {
  public:
    Ref<T> GetFirst() override {
        this->hit("GetFirst");
        cursor_ = 0;
        return at();
    }
    Ref<T> GetNext() override {
        this->hit("GetNext");
        if (cursor_ < 0) return Ref<T>();
        ++cursor_;
        return at();
    }

  private:
    Ref<T> at() {
        if (cursor_ >= 0 && cursor_ < static_cast<long>(this->items.size()))
            return Ref<T>(this->items[static_cast<std::size_t>(cursor_)]);
        cursor_ = static_cast<long>(this->items.size());
        return Ref<T>();
    }
    long cursor_ = -1;
};

// ---- message parts ----------------------------------------------------------

class FField : public mapi::Field, public Failing {
  public:
    FField(QString n, std::int32_t i, Variant t, Variant v)
        : name(std::move(n)), id(i), type(t), value(v) {}
    QString name;
    std::int32_t id;
    Variant type;
    Variant value;
    QString Name() override { return hit("Name"), name; }
    std::int32_t ID() override { return hit("ID"), id; }
    Variant Type() override { return hit("Type"), type; }
    Variant Value() override { return hit("Value"), value; }
    void SetValue(const Variant& v) override { value = v; }
};

class FFields : public VecCollection<mapi::Fields, mapi::Field, FField> {
  public:
    Ref<mapi::Field> ItemByTag(std::int32_t) override { mapi::raise(mapi::code::NotFound); }
    Ref<mapi::Field> ItemByName(const QString&) override { mapi::raise(mapi::code::NotFound); }
    Ref<mapi::Field> Add(const Variant&, std::int16_t, const Variant&) override {
        mapi::raise(mapi::code::NoSupport);
    }
    Ref<mapi::Field> Add(const Variant&, const Variant&) override {
        mapi::raise(mapi::code::NoSupport);
    }
};

class FAddressEntry : public mapi::AddressEntry, public Failing {
  public:
    explicit FAddressEntry(QString n) : name(std::move(n)) {}
    QString name;
    QString ID() override { return QStringLiteral("AE-") + name; }
    QString Name() override { return hit("Name"), name; }
    QString Address() override { return name; }
    QString Type() override { return QStringLiteral("SMTP"); }
    std::int32_t DisplayType() override { return 0; }
    void SetName(const QString& v) override { name = v; }
    void SetAddress(const QString&) override {}
    void SetType(const QString&) override {}
    Ref<mapi::Fields> FieldsOf() override { return Ref<mapi::Fields>(); }
    Ref<mapi::AddressEntries> Members() override { return Ref<mapi::AddressEntries>(); }
    void Details() override {}
    void Update() override {}
    void Delete() override {}
};

class FRecipient : public mapi::Recipient, public Failing {
  public:
    FRecipient(QString n, std::int32_t t, QString a, std::int32_t d = 0)
        : name(std::move(n)), type(t), address(std::move(a)), displayType(d) {}
    QString name;
    std::int32_t type;
    QString address;
    std::int32_t displayType;
    QString Name() override { return hit("Name"), name; }
    std::int32_t Type() override { return hit("Type"), type; }
    QString Address() override { return hit("Address"), address; }
    std::int32_t DisplayType() override { return hit("DisplayType"), displayType; }
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t v) override { type = v; }
    void SetAddress(const QString& v) override { address = v; }
    void Resolve() override {}
};

class FRecipients : public VecCollection<mapi::Recipients, mapi::Recipient, FRecipient> {
  public:
    Ref<mapi::Recipient> Add(const QString& name, std::int32_t type) override {
        items.push_back(std::make_shared<FRecipient>(name, type, QString()));
        return Ref<mapi::Recipient>(items.back());
    }
};

class FAttachment : public mapi::Attachment, public Failing {
  public:
    explicit FAttachment(QString n, QByteArray d = QByteArray())
        : name(std::move(n)), data(std::move(d)) {}
    QString name;
    QByteArray data;
    int writes = 0;
    QString Name() override { return hit("Name"), name; }
    std::int32_t Type() override { return 1; }
    std::int32_t Position() override { return 0; }
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t) override {}
    void SetPosition(std::int32_t) override {}
    void ReadFromFile(const QString&) override {}
    void WriteToFile(const QString& path) override {
        hit("WriteToFile");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) mapi::raise(mapi::code::NoAccess);
        f.write(data);
        ++writes;
    }
};

class FAttachments : public VecCollection<mapi::Attachments, mapi::Attachment, FAttachment> {
  public:
    Ref<mapi::Attachment> Add() override {
        items.push_back(std::make_shared<FAttachment>(QString()));
        return Ref<mapi::Attachment>(items.back());
    }
};

class FMessage : public mapi::Message, public Failing {
  public:
    FMessage(QString i, QString s) : id(std::move(i)), subject(std::move(s)) {}
    QString id;
    QString subject;
    QString text = QStringLiteral("Body");
    Variant importance = std::int32_t(1);
    std::shared_ptr<FAddressEntry> sender =
        std::make_shared<FAddressEntry>(QStringLiteral("Ann Lee"));
    Variant size = std::int32_t(1234);
    Variant timeReceived = mapi::Date{36220.5};  // 3/1/1999 12:00:00 PM
    Variant timeSent = mapi::Date{36220.25};     // 3/1/1999 6:00:00 AM
    QString type = QStringLiteral("IPM.Note");
    Variant unread = true;
    QString conversationIndex = QStringLiteral("01BE63");
    QString conversationTopic = QStringLiteral("Topic");
    std::shared_ptr<FAttachments> attachments = std::make_shared<FAttachments>();
    std::shared_ptr<FRecipients> recipients = std::make_shared<FRecipients>();
    std::shared_ptr<FFields> fields = std::make_shared<FFields>();
    bool attachmentsNothing = false;

    QString ID() override { return hit("ID"), id; }
    QString Subject() override { return hit("Subject"), subject; }
    QString Text() override { return hit("Text"), text; }
    Variant Importance() override { return hit("Importance"), importance; }
    Ref<mapi::AddressEntry> Sender() override {
        hit("Sender");
        if (!sender) mapi::raise(mapi::code::NotFound);
        return Ref<mapi::AddressEntry>(sender);
    }
    Variant Size() override { return hit("Size"), size; }
    Variant TimeReceived() override { return hit("TimeReceived"), timeReceived; }
    Variant TimeSent() override { return hit("TimeSent"), timeSent; }
    QString Type() override { return hit("Type"), type; }
    Variant Unread() override { return hit("Unread"), unread; }
    Variant Sent() override { return true; }
    QString ConversationIndex() override { return hit("ConversationIndex"), conversationIndex; }
    QString ConversationTopic() override { return hit("ConversationTopic"), conversationTopic; }
    Variant DeliveryReceipt() override { return false; }
    Variant ReadReceipt() override { return false; }
    Ref<mapi::Attachments> AttachmentsOf() override {
        hit("Attachments");
        return attachmentsNothing ? Ref<mapi::Attachments>() : Ref<mapi::Attachments>(attachments);
    }
    Ref<mapi::Recipients> RecipientsOf() override {
        return hit("Recipients"), Ref<mapi::Recipients>(recipients);
    }
    Ref<mapi::Fields> FieldsOf() override { return hit("Fields"), Ref<mapi::Fields>(fields); }
    void SetSubject(const QString& v) override { subject = v; }
    void SetText(const QString& v) override { text = v; }
    void SetImportance(std::int32_t v) override { importance = v; }
    void SetType(const QString& v) override { type = v; }
    void SetDeliveryReceipt(bool) override {}
    void SetReadReceipt(bool) override {}
    void Update() override {}
    bool deleted = false;
    void Delete() override {
        hit("Delete");
        if (deleted) mapi::raise(mapi::code::NotFound);
        deleted = true;
    }
};

class FMessages : public WalkCollection<mapi::Messages, mapi::Message, FMessage> {
  public:
    Ref<mapi::Filter> FilterOf() override { mapi::raise(mapi::code::NoSupport); }
    Ref<mapi::Message> Add() override { mapi::raise(mapi::code::NoSupport); }
};

class FFolder;
class FFolders : public WalkCollection<mapi::Folders, mapi::Folder, FFolder> {};

class FFolder : public mapi::Folder, public Failing {
  public:
    FFolder(QString i, QString n) : id(std::move(i)), name(std::move(n)) {}
    QString id;
    QString name;
    std::shared_ptr<FFolders> folders = std::make_shared<FFolders>();
    std::shared_ptr<FMessages> messages = std::make_shared<FMessages>();
    bool messagesNothing = false;

    QString ID() override { return hit("ID"), id; }
    QString Name() override { return hit("Name"), name; }
    Ref<mapi::Folders> FoldersOf() override { return hit("Folders"), Ref<mapi::Folders>(folders); }
    Ref<mapi::Messages> MessagesOf() override {
        hit("Messages");
        return messagesNothing ? Ref<mapi::Messages>() : Ref<mapi::Messages>(messages);
    }

    std::shared_ptr<FFolder> addFolder(const QString& fid, const QString& fname) {
        folders->items.push_back(std::make_shared<FFolder>(fid, fname));
        return folders->items.back();
    }
    std::shared_ptr<FMessage> addMessage(const QString& mid, const QString& subject) {
        messages->items.push_back(std::make_shared<FMessage>(mid, subject));
        return messages->items.back();
    }
};

class FInfoStore : public mapi::InfoStore, public Failing {
  public:
    FInfoStore(QString i, QString n) : id(std::move(i)), name(std::move(n)) {}
    QString id;
    QString name;
    std::shared_ptr<FFolder> root =
        std::make_shared<FFolder>(QStringLiteral("ROOT-") + id, QStringLiteral("Root"));
    QString ID() override { return hit("ID"), id; }
    QString Name() override { return hit("Name"), name; }
    Ref<mapi::Folder> RootFolder() override { return hit("RootFolder"), Ref<mapi::Folder>(root); }
};

class FInfoStores : public VecCollection<mapi::InfoStores, mapi::InfoStore, FInfoStore> {
  public:
    Ref<mapi::InfoStore> ItemByName(const QString& n) override {
        for (auto& s : items)
            if (s->name == n) return Ref<mapi::InfoStore>(s);
        mapi::raise(mapi::code::NotFound);
    }
};

// ---- session ----------------------------------------------------------------

class FSession : public mapi::Session, public Failing {
  public:
    std::shared_ptr<FInfoStores> stores = std::make_shared<FInfoStores>();
    bool storesNothing = false;
    bool loggedOn = false;
    int logonCalls = 0;
    mapi::LogonArgs lastLogon;
    int logoffCalls = 0;

    void Logon(const mapi::LogonArgs& args) override {
        ++logonCalls;
        lastLogon = args;
        hit("Logon");
        loggedOn = true;
    }
    void Logoff() override {
        ++logoffCalls;
        hit("Logoff");
        if (!loggedOn) mapi::raise(mapi::code::NotInitialized);
        loggedOn = false;
    }
    Ref<mapi::InfoStores> InfoStoresOf() override {
        hit("InfoStores");
        return storesNothing ? Ref<mapi::InfoStores>() : Ref<mapi::InfoStores>(stores);
    }
    Ref<mapi::AddressLists> AddressListsOf() override { mapi::raise(mapi::code::NoSupport); }
    Ref<mapi::AddressList> AddressListByName(const QString&) override {
        mapi::raise(mapi::code::NoSupport);
    }
    Ref<mapi::Folder> Outbox() override { mapi::raise(mapi::code::NoSupport); }
    Ref<mapi::InfoStore> GetInfoStore(const QString& storeId) override {
        hit("GetInfoStore");
        for (auto& s : stores->items)
            if (s->id == storeId) return Ref<mapi::InfoStore>(s);
        mapi::raise(mapi::code::NotFound);
    }
    // Folders named in `nothingFolders` come back as Nothing instead of failing.
    std::vector<QString> nothingFolders;
    Ref<mapi::Folder> GetFolder(const QString& folderId, const QString& storeId) override {
        hit("GetFolder");
        for (auto& f : nothingFolders)
            if (f == folderId) return Ref<mapi::Folder>();
        for (auto& s : stores->items)
            if (s->id == storeId)
                if (auto f = find(s->root, folderId)) return Ref<mapi::Folder>(f);
        mapi::raise(mapi::code::NotFound);
    }
    // Messages named in `nothingMessages` come back as Nothing.
    std::vector<QString> nothingMessages;
    Ref<mapi::Message> GetMessage(const QString& messageId, const QString& storeId) override {
        hit("GetMessage");
        for (auto& m : nothingMessages)
            if (m == messageId) return Ref<mapi::Message>();
        for (auto& s : stores->items)
            if (s->id == storeId)
                if (auto m = findMessage(s->root, messageId)) return Ref<mapi::Message>(m);
        mapi::raise(mapi::code::NotFound);
    }
    Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs&) override {
        mapi::raise(mapi::code::UserCancel);
    }

    std::shared_ptr<FInfoStore> addStore(const QString& id, const QString& name) {
        stores->items.push_back(std::make_shared<FInfoStore>(id, name));
        return stores->items.back();
    }

    static std::shared_ptr<FFolder> find(const std::shared_ptr<FFolder>& f, const QString& id) {
        if (f->id == id) return f;
        for (auto& sub : f->folders->items)
            if (auto hit = find(sub, id)) return hit;
        return nullptr;
    }
    static std::shared_ptr<FMessage> findMessage(const std::shared_ptr<FFolder>& f,
                                                 const QString& id) {
        for (auto& m : f->messages->items)
            if (m->id == id && !m->deleted) return m;
        for (auto& sub : f->folders->items)
            if (auto hit = findMessage(sub, id)) return hit;
        return nullptr;
    }
};

}  // namespace fake
