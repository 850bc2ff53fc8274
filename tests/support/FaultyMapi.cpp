#include "FaultyMapi.h"

#include <memory>

namespace faulty {

void Faults::failOn(const QString& member, int nth, std::int32_t error, int times) {
    rules_.push_back({member, nth, times, error});
}

void Faults::reset() {
    rules_.clear();
    log_.clear();
}

int Faults::calls(const QString& member) const {
    return static_cast<int>(log_.count(member));
}

void Faults::hit(const QString& member) {
    log_.append(member);
    for (Rule& r : rules_) {
        const bool match = r.pattern.endsWith(QLatin1Char('*'))
                               ? member.startsWith(r.pattern.chopped(1))
                               : member == r.pattern;
        if (!match) continue;
        const int n = ++r.seen;
        if (n >= r.nth && (r.times < 0 || n < r.nth + r.times)) mapi::raise(r.error);
    }
}

Faults& faults() {
    static Faults f;
    return f;
}

namespace {

using namespace mapi;

// Every wrapper logs under its class name, then forwards to the wrapped object.
template <class I>
class W : public I {
  public:
    W(Ref<I> in, const char* cls) : in_(std::move(in)), cls_(cls) {}

  protected:
    I& at(const char* member) const {
        faults().hit(QLatin1String(cls_) + QLatin1Char('.') + QLatin1String(member));
        return *in_;
    }
    Ref<I> in_;
    const char* cls_;
};

Ref<Field> wrapOne(const Ref<Field>& x);
Ref<Fields> wrapOne(const Ref<Fields>& x);
Ref<Filter> wrapOne(const Ref<Filter>& x);
Ref<AddressEntry> wrapOne(const Ref<AddressEntry>& x);
Ref<AddressEntries> wrapOne(const Ref<AddressEntries>& x);
Ref<AddressList> wrapOne(const Ref<AddressList>& x);
Ref<AddressLists> wrapOne(const Ref<AddressLists>& x);
Ref<Recipient> wrapOne(const Ref<Recipient>& x);
Ref<Recipients> wrapOne(const Ref<Recipients>& x);
Ref<Attachment> wrapOne(const Ref<Attachment>& x);
Ref<Attachments> wrapOne(const Ref<Attachments>& x);
Ref<Message> wrapOne(const Ref<Message>& x);
Ref<Messages> wrapOne(const Ref<Messages>& x);
Ref<Folder> wrapOne(const Ref<Folder>& x);
Ref<Folders> wrapOne(const Ref<Folders>& x);
Ref<InfoStore> wrapOne(const Ref<InfoStore>& x);
Ref<InfoStores> wrapOne(const Ref<InfoStores>& x);

template <class T>
class WEnum : public Enumerator<T> {
  public:
    explicit WEnum(std::unique_ptr<Enumerator<T>> in) : in_(std::move(in)) {}
    Ref<T> next() override { return wrapOne(in_->next()); }

  private:
    std::unique_ptr<Enumerator<T>> in_;
};

template <class I, class T>
class WColl : public W<I> {
  public:
    using W<I>::W;
    std::int32_t Count() override { return this->at("Count").Count(); }
    Ref<T> Item(std::int32_t i) override { return wrapOne(this->at("Item").Item(i)); }
    std::unique_ptr<Enumerator<T>> enumerate() override {
        return std::make_unique<WEnum<T>>(this->at("Enumerate").enumerate());
    }
};

template <class I, class T>
class WWalk : public WColl<I, T> {
  public:
    using WColl<I, T>::WColl;
    Ref<T> GetFirst() override { return wrapOne(this->at("GetFirst").GetFirst()); }
    Ref<T> GetNext() override { return wrapOne(this->at("GetNext").GetNext()); }
};

class WField : public W<Field> {
  public:
    using W::W;
    QString Name() override { return at("Name").Name(); }
    std::int32_t ID() override { return at("ID").ID(); }
    Variant Type() override { return at("Type").Type(); }
    Variant Value() override { return at("Value").Value(); }
    void SetValue(const Variant& v) override { at("Value").SetValue(v); }
};

class WFields : public WColl<Fields, Field> {
  public:
    using WColl::WColl;
    Ref<Field> ItemByTag(std::int32_t tag) override { return wrapOne(at("Item").ItemByTag(tag)); }
    Ref<Field> ItemByName(const QString& n) override { return wrapOne(at("Item").ItemByName(n)); }
    Ref<Field> Add(const Variant& k, std::int16_t type, const Variant& v) override {
        return wrapOne(at("Add").Add(k, type, v));
    }
    Ref<Field> Add(const Variant& k, const Variant& v) override {
        return wrapOne(at("Add").Add(k, v));
    }
};

class WFilter : public W<Filter> {
  public:
    using W::W;
    void Set(const QString& m, const Variant& v) override { at(qPrintable(m)).Set(m, v); }
    Variant Get(const QString& m) override { return at(qPrintable(m)).Get(m); }
    Ref<Fields> FieldsOf() override { return wrapOne(at("Fields").FieldsOf()); }
};

class WEntry : public W<AddressEntry> {
  public:
    using W::W;
    QString ID() override { return at("ID").ID(); }
    QString Name() override { return at("Name").Name(); }
    QString Address() override { return at("Address").Address(); }
    QString Type() override { return at("Type").Type(); }
    std::int32_t DisplayType() override { return at("DisplayType").DisplayType(); }
    void SetName(const QString& v) override { at("Name").SetName(v); }
    void SetAddress(const QString& v) override { at("Address").SetAddress(v); }
    void SetType(const QString& v) override { at("Type").SetType(v); }
    Ref<Fields> FieldsOf() override { return wrapOne(at("Fields").FieldsOf()); }
    Ref<AddressEntries> Members() override { return wrapOne(at("Members").Members()); }
    void Details() override { at("Details").Details(); }
    void Update() override { at("Update").Update(); }
    void Delete() override { at("Delete").Delete(); }
};

class WEntries : public WWalk<AddressEntries, AddressEntry> {
  public:
    using WWalk::WWalk;
    Ref<Filter> FilterOf() override { return wrapOne(at("Filter").FilterOf()); }
    Ref<AddressEntry> Add(const QString& t, const QString& n) override {
        return wrapOne(at("Add").Add(t, n));
    }
};

class WList : public W<AddressList> {
  public:
    using W::W;
    QString ID() override { return at("ID").ID(); }
    QString Name() override { return at("Name").Name(); }
    Ref<AddressEntries> AddressEntriesOf() override {
        return wrapOne(at("AddressEntries").AddressEntriesOf());
    }
};

class WLists : public WColl<AddressLists, AddressList> {
  public:
    using WColl::WColl;
    Ref<AddressList> ItemByName(const QString& n) override {
        return wrapOne(at("Item").ItemByName(n));
    }
};

class WRecipient : public W<Recipient> {
  public:
    using W::W;
    QString Name() override { return at("Name").Name(); }
    std::int32_t Type() override { return at("Type").Type(); }
    QString Address() override { return at("Address").Address(); }
    std::int32_t DisplayType() override { return at("DisplayType").DisplayType(); }
    void SetName(const QString& v) override { at("Name").SetName(v); }
    void SetType(std::int32_t v) override { at("Type").SetType(v); }
    void SetAddress(const QString& v) override { at("Address").SetAddress(v); }
    void Resolve() override { at("Resolve").Resolve(); }
};

class WRecipients : public WColl<Recipients, Recipient> {
  public:
    using WColl::WColl;
    Ref<Recipient> Add(const QString& n, std::int32_t t) override {
        return wrapOne(at("Add").Add(n, t));
    }
};

class WAttachment : public W<Attachment> {
  public:
    using W::W;
    QString Name() override { return at("Name").Name(); }
    std::int32_t Type() override { return at("Type").Type(); }
    std::int32_t Position() override { return at("Position").Position(); }
    void SetName(const QString& v) override { at("Name").SetName(v); }
    void SetType(std::int32_t v) override { at("Type").SetType(v); }
    void SetPosition(std::int32_t v) override { at("Position").SetPosition(v); }
    void ReadFromFile(const QString& p) override { at("ReadFromFile").ReadFromFile(p); }
    void WriteToFile(const QString& p) override { at("WriteToFile").WriteToFile(p); }
};

class WAttachments : public WColl<Attachments, Attachment> {
  public:
    using WColl::WColl;
    Ref<Attachment> Add() override { return wrapOne(at("Add").Add()); }
};

class WMessage : public W<Message> {
  public:
    using W::W;
    QString ID() override { return at("ID").ID(); }
    QString Subject() override { return at("Subject").Subject(); }
    QString Text() override { return at("Text").Text(); }
    Variant Importance() override { return at("Importance").Importance(); }
    Ref<AddressEntry> Sender() override { return wrapOne(at("Sender").Sender()); }
    Variant Size() override { return at("Size").Size(); }
    Variant TimeReceived() override { return at("TimeReceived").TimeReceived(); }
    Variant TimeSent() override { return at("TimeSent").TimeSent(); }
    QString Type() override { return at("Type").Type(); }
    Variant Unread() override { return at("Unread").Unread(); }
    Variant Sent() override { return at("Sent").Sent(); }
    QString ConversationIndex() override { return at("ConversationIndex").ConversationIndex(); }
    QString ConversationTopic() override { return at("ConversationTopic").ConversationTopic(); }
    Variant DeliveryReceipt() override { return at("DeliveryReceipt").DeliveryReceipt(); }
    Variant ReadReceipt() override { return at("ReadReceipt").ReadReceipt(); }
    Ref<Attachments> AttachmentsOf() override { return wrapOne(at("Attachments").AttachmentsOf()); }
    Ref<Recipients> RecipientsOf() override { return wrapOne(at("Recipients").RecipientsOf()); }
    Ref<Fields> FieldsOf() override { return wrapOne(at("Fields").FieldsOf()); }
    void SetSubject(const QString& v) override { at("Subject").SetSubject(v); }
    void SetText(const QString& v) override { at("Text").SetText(v); }
    void SetImportance(std::int32_t v) override { at("Importance").SetImportance(v); }
    void SetType(const QString& v) override { at("Type").SetType(v); }
    void SetDeliveryReceipt(bool v) override { at("DeliveryReceipt").SetDeliveryReceipt(v); }
    void SetReadReceipt(bool v) override { at("ReadReceipt").SetReadReceipt(v); }
    void Update() override { at("Update").Update(); }
    void Delete() override { at("Delete").Delete(); }
};

class WMessages : public WWalk<Messages, Message> {
  public:
    using WWalk::WWalk;
    Ref<Filter> FilterOf() override { return wrapOne(at("Filter").FilterOf()); }
    Ref<Message> Add() override { return wrapOne(at("Add").Add()); }
};

class WFolder : public W<Folder> {
  public:
    using W::W;
    QString ID() override { return at("ID").ID(); }
    QString Name() override { return at("Name").Name(); }
    Ref<Folders> FoldersOf() override { return wrapOne(at("Folders").FoldersOf()); }
    Ref<Messages> MessagesOf() override { return wrapOne(at("Messages").MessagesOf()); }
};

class WStore : public W<InfoStore> {
  public:
    using W::W;
    QString ID() override { return at("ID").ID(); }
    QString Name() override { return at("Name").Name(); }
    Ref<Folder> RootFolder() override { return wrapOne(at("RootFolder").RootFolder()); }
};

class WStores : public WColl<InfoStores, InfoStore> {
  public:
    using WColl::WColl;
    Ref<InfoStore> ItemByName(const QString& n) override {
        return wrapOne(at("Item").ItemByName(n));
    }
};

class WSession : public W<Session> {
  public:
    using W::W;
    void Logon(const LogonArgs& a) override { at("Logon").Logon(a); }
    void Logoff() override { at("Logoff").Logoff(); }
    Ref<InfoStores> InfoStoresOf() override { return wrapOne(at("InfoStores").InfoStoresOf()); }
    Ref<AddressLists> AddressListsOf() override {
        return wrapOne(at("AddressLists").AddressListsOf());
    }
    Ref<AddressList> AddressListByName(const QString& n) override {
        return wrapOne(at("AddressLists").AddressListByName(n));
    }
    Ref<Folder> Outbox() override { return wrapOne(at("Outbox").Outbox()); }
    Ref<InfoStore> GetInfoStore(const QString& s) override {
        return wrapOne(at("GetInfoStore").GetInfoStore(s));
    }
    Ref<Folder> GetFolder(const QString& f, const QString& s) override {
        return wrapOne(at("GetFolder").GetFolder(f, s));
    }
    Ref<Message> GetMessage(const QString& m, const QString& s) override {
        return wrapOne(at("GetMessage").GetMessage(m, s));
    }
    Ref<Recipients> AddressBook(const AddressBookArgs& a) override {
        return wrapOne(at("AddressBook").AddressBook(a));
    }
};

template <class Wrapper, class I>
Ref<I> make(const Ref<I>& x, const char* cls) {
    if (!x) return x;
    return Ref<I>(std::make_shared<Wrapper>(x, cls));
}

// clang-format off
Ref<Field> wrapOne(const Ref<Field>& x) { return make<WField>(x, "Field"); }
Ref<Fields> wrapOne(const Ref<Fields>& x) { return make<WFields>(x, "Fields"); }
Ref<Filter> wrapOne(const Ref<Filter>& x) { return make<WFilter>(x, "Filter"); }
Ref<AddressEntry> wrapOne(const Ref<AddressEntry>& x) { return make<WEntry>(x, "AddressEntry"); }
Ref<AddressEntries> wrapOne(const Ref<AddressEntries>& x) { return make<WEntries>(x, "AddressEntries"); }
Ref<AddressList> wrapOne(const Ref<AddressList>& x) { return make<WList>(x, "AddressList"); }
Ref<AddressLists> wrapOne(const Ref<AddressLists>& x) { return make<WLists>(x, "AddressLists"); }
Ref<Recipient> wrapOne(const Ref<Recipient>& x) { return make<WRecipient>(x, "Recipient"); }
Ref<Recipients> wrapOne(const Ref<Recipients>& x) { return make<WRecipients>(x, "Recipients"); }
Ref<Attachment> wrapOne(const Ref<Attachment>& x) { return make<WAttachment>(x, "Attachment"); }
Ref<Attachments> wrapOne(const Ref<Attachments>& x) { return make<WAttachments>(x, "Attachments"); }
Ref<Message> wrapOne(const Ref<Message>& x) { return make<WMessage>(x, "Message"); }
Ref<Messages> wrapOne(const Ref<Messages>& x) { return make<WMessages>(x, "Messages"); }
Ref<Folder> wrapOne(const Ref<Folder>& x) { return make<WFolder>(x, "Folder"); }
Ref<Folders> wrapOne(const Ref<Folders>& x) { return make<WWalk<Folders, Folder>>(x, "Folders"); }
Ref<InfoStore> wrapOne(const Ref<InfoStore>& x) { return make<WStore>(x, "InfoStore"); }
Ref<InfoStores> wrapOne(const Ref<InfoStores>& x) { return make<WStores>(x, "InfoStores"); }
// clang-format on

}  // namespace

Ref<Session> wrap(const Ref<Session>& inner) {
    return make<WSession>(inner, "Session");
}

Install::Install() : previous_(currentSessionFactory()) {
    faults().reset();
    installSessionFactory([prev = previous_] { return wrap(prev()); });
}

Install::~Install() {
    installSessionFactory(previous_);
    faults().reset();
}

}  // namespace faulty
