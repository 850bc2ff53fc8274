#include "vbrun/Binding.h"

#include "messaging/Objects.h"
#include "vbrun/Members.h"
#include "vbrun/ModelMembers.h"
#include "vbrun/Values.h"

namespace vbrun {

using mapi::Variant;

namespace {

template <class T>
Variant obj(const mapi::Ref<T>& r) {
    return Variant(std::static_pointer_cast<mapi::Object>(r.shared()));
}

QString str(const Variant& v) {
    return toText(v);
}

// A required argument; 449 when missing.
Variant need(const CallArgs& a, size_t i, const char* name) {
    if (auto v = a.get(i, name)) return *v;
    raise(err::ArgumentNotOptional);
}

// What a property returns, indexed through its default member when the code
// wrote arguments after it (oSession.AddressLists("x"), oEntry.Fields(tag)).
Variant indexed(const Variant& v, const CallArgs& a) {
    if (a.empty()) return v;
    if (!isObject(v)) raise(mapi::code::TypeMismatch);
    return defaultMember(v.asObject(), a);
}

template <class T>
std::shared_ptr<T> as(const ObjectPtr& o) {
    return std::dynamic_pointer_cast<T>(o);
}

// Item of a collection whose items can also be named: text looks up by name.
template <class C>
Variant itemByIndexOrName(C& c, const Variant& key) {
    if (key.type() == mapi::VarType::String) return obj(c.ItemByName(key.asString()));
    return obj(c.Item(toLong(key)));
}

// Fields(x): a name, a position 1..Count, or a property tag.
mapi::Ref<mapi::Field> fieldItem(mapi::Fields& f, const Variant& key) {
    if (key.type() == mapi::VarType::String) return f.ItemByName(key.asString());
    const std::int32_t n = toLong(key);
    if (n >= 1 && n <= f.Count()) return f.Item(n);
    return f.ItemByTag(n);
}

template <class C>
std::function<std::optional<Variant>()> enumerator(C& c) {
    std::shared_ptr<mapi::Enumerator<typename std::remove_reference_t<decltype(*c.Item(1))>>> e =
        c.enumerate();
    return [e]() -> std::optional<Variant> {
        auto r = e->next();
        if (r.isNothing()) return std::nullopt;
        return obj(r);
    };
}

bool is(const QString& key, const char* name) {
    return key == QLatin1String(name);
}

// ---- per-class members --------------------------------------------------------
// Each returns nullopt for a member the class does not have.

using Get = std::optional<Variant>;

Get sessionGet(mapi::Session& s, const QString& k, const CallArgs& a) {
    if (is(k, "logon")) {
        mapi::LogonArgs l;
        if (auto v = a.get(0, "profilename")) l.profileName = str(*v);
        if (auto v = a.get(1, "profilepassword")) l.profilePassword = str(*v);
        if (auto v = a.get(2, "showdialog")) l.showDialog = toBoolean(*v);
        if (auto v = a.get(3, "newsession")) l.newSession = toBoolean(*v);
        if (auto v = a.get(4, "parentwindow")) l.parentWindow = toLong(*v);
        if (auto v = a.get(5, "nomail")) l.noMail = toBoolean(*v);
        if (auto v = a.get(6, "profileinfo")) l.profileInfo = str(*v);
        s.Logon(l);
        return Variant();
    }
    if (is(k, "logoff")) {
        s.Logoff();
        return Variant();
    }
    if (is(k, "infostores")) return indexed(obj(s.InfoStoresOf()), a);
    if (is(k, "addresslists")) {
        if (auto name = a.get(0, "objecttype")) return obj(s.AddressListByName(str(*name)));
        return obj(s.AddressListsOf());
    }
    if (is(k, "outbox")) return indexed(obj(s.Outbox()), a);
    if (is(k, "getinfostore"))
        return obj(s.GetInfoStore(a.get(0, "storeid") ? str(*a.get(0, "storeid")) : QString()));
    if (is(k, "getfolder"))
        return obj(s.GetFolder(str(need(a, 0, "folderid")),
                               a.get(1, "storeid") ? str(*a.get(1, "storeid")) : QString()));
    if (is(k, "getmessage"))
        return obj(s.GetMessage(str(need(a, 0, "messageid")),
                                a.get(1, "storeid") ? str(*a.get(1, "storeid")) : QString()));
    if (is(k, "addressbook")) {
        mapi::AddressBookArgs b;
        if (auto v = a.get(0, "recipients"); v && isObject(*v))
            b.recipients = mapi::Ref<mapi::Recipients>(as<mapi::Recipients>(v->asObject()));
        if (auto v = a.get(1, "title")) b.title = str(*v);
        if (auto v = a.get(2, "oneaddress")) b.oneAddress = toBoolean(*v);
        if (auto v = a.get(3, "forceresolution")) b.forceResolution = toBoolean(*v);
        if (auto v = a.get(4, "reciplists")) b.recipLists = toLong(*v);
        if (auto v = a.get(5, "tolabel")) b.toLabel = str(*v);
        if (auto v = a.get(6, "cclabel")) b.ccLabel = str(*v);
        if (auto v = a.get(7, "bcclabel")) b.bccLabel = str(*v);
        return obj(s.AddressBook(b));
    }
    return std::nullopt;
}

Get infoStoreGet(mapi::InfoStore& s, const QString& k, const CallArgs& a) {
    if (is(k, "id")) return Variant(s.ID());
    if (is(k, "name")) return Variant(s.Name());
    if (is(k, "rootfolder")) return indexed(obj(s.RootFolder()), a);
    return std::nullopt;
}

Get folderGet(mapi::Folder& f, const QString& k, const CallArgs& a) {
    if (is(k, "id")) return Variant(f.ID());
    if (is(k, "name")) return Variant(f.Name());
    if (is(k, "folders")) return indexed(obj(f.FoldersOf()), a);
    if (is(k, "messages")) return indexed(obj(f.MessagesOf()), a);
    return std::nullopt;
}

Get messageGet(mapi::Message& m, const QString& k, const CallArgs& a) {
    if (is(k, "id")) return Variant(m.ID());
    if (is(k, "subject")) return Variant(m.Subject());
    if (is(k, "text")) return Variant(m.Text());
    if (is(k, "importance")) return m.Importance();
    if (is(k, "sender")) return obj(m.Sender());
    if (is(k, "size")) return m.Size();
    if (is(k, "timereceived")) return m.TimeReceived();
    if (is(k, "timesent")) return m.TimeSent();
    if (is(k, "type")) return Variant(m.Type());
    if (is(k, "unread")) return m.Unread();
    if (is(k, "sent")) return m.Sent();
    if (is(k, "conversationindex")) return Variant(m.ConversationIndex());
    if (is(k, "conversationtopic")) return Variant(m.ConversationTopic());
    if (is(k, "deliveryreceipt")) return m.DeliveryReceipt();
    if (is(k, "readreceipt")) return m.ReadReceipt();
    if (is(k, "attachments")) return indexed(obj(m.AttachmentsOf()), a);
    if (is(k, "recipients")) return indexed(obj(m.RecipientsOf()), a);
    if (is(k, "fields")) return indexed(obj(m.FieldsOf()), a);
    // There is no transport behind the store: sending leaves the message saved
    // in the Outbox, which is all the program's own send window does too.
    if (is(k, "update") || is(k, "send")) {
        m.Update();
        return Variant();
    }
    if (is(k, "delete")) {
        m.Delete();
        return Variant();
    }
    return std::nullopt;
}

bool messageLet(mapi::Message& m, const QString& k, const Variant& v) {
    if (is(k, "subject"))
        m.SetSubject(str(v));
    else if (is(k, "text"))
        m.SetText(str(v));
    else if (is(k, "importance"))
        m.SetImportance(toLong(v));
    else if (is(k, "type"))
        m.SetType(str(v));
    else if (is(k, "deliveryreceipt"))
        m.SetDeliveryReceipt(toBoolean(v));
    else if (is(k, "readreceipt"))
        m.SetReadReceipt(toBoolean(v));
    else
        return false;
    return true;
}

Get recipientGet(mapi::Recipient& r, const QString& k, const CallArgs&) {
    if (is(k, "name")) return Variant(r.Name());
    if (is(k, "type")) return Variant(r.Type());
    if (is(k, "address")) return Variant(r.Address());
    if (is(k, "displaytype")) return Variant(r.DisplayType());
    if (is(k, "resolve")) {
        r.Resolve();
        return Variant();
    }
    return std::nullopt;
}

bool recipientLet(mapi::Recipient& r, const QString& k, const Variant& v) {
    if (is(k, "name"))
        r.SetName(str(v));
    else if (is(k, "type"))
        r.SetType(toLong(v));
    else if (is(k, "address"))
        r.SetAddress(str(v));
    else
        return false;
    return true;
}

Get attachmentGet(mapi::Attachment& t, const QString& k, const CallArgs& a) {
    if (is(k, "name")) return Variant(t.Name());
    if (is(k, "type")) return Variant(t.Type());
    if (is(k, "position")) return Variant(t.Position());
    if (is(k, "readfromfile")) {
        t.ReadFromFile(str(need(a, 0, "filename")));
        return Variant();
    }
    if (is(k, "writetofile")) {
        t.WriteToFile(str(need(a, 0, "filename")));
        return Variant();
    }
    return std::nullopt;
}

bool attachmentLet(mapi::Attachment& t, const QString& k, const Variant& v) {
    if (is(k, "name"))
        t.SetName(str(v));
    else if (is(k, "type"))
        t.SetType(toLong(v));
    else if (is(k, "position"))
        t.SetPosition(toLong(v));
    else
        return false;
    return true;
}

Get fieldGet(mapi::Field& f, const QString& k, const CallArgs&) {
    if (is(k, "name")) return Variant(f.Name());
    if (is(k, "id")) return Variant(f.ID());
    if (is(k, "type")) return f.Type();
    if (is(k, "value")) return f.Value();
    return std::nullopt;
}

Get addressEntryGet(mapi::AddressEntry& e, const QString& k, const CallArgs& a) {
    if (is(k, "id")) return Variant(e.ID());
    if (is(k, "name")) return Variant(e.Name());
    if (is(k, "address")) return Variant(e.Address());
    if (is(k, "type")) return Variant(e.Type());
    if (is(k, "displaytype")) return Variant(e.DisplayType());
    if (is(k, "fields")) return indexed(obj(e.FieldsOf()), a);
    if (is(k, "members")) return indexed(obj(e.Members()), a);
    if (is(k, "details")) {
        e.Details();
        return Variant();
    }
    if (is(k, "update")) {
        e.Update();
        return Variant();
    }
    if (is(k, "delete")) {
        e.Delete();
        return Variant();
    }
    return std::nullopt;
}

bool addressEntryLet(mapi::AddressEntry& e, const QString& k, const Variant& v) {
    if (is(k, "name"))
        e.SetName(str(v));
    else if (is(k, "address"))
        e.SetAddress(str(v));
    else if (is(k, "type"))
        e.SetType(str(v));
    else
        return false;
    return true;
}

Get addressListGet(mapi::AddressList& l, const QString& k, const CallArgs& a) {
    if (is(k, "id")) return Variant(l.ID());
    if (is(k, "name")) return Variant(l.Name());
    if (is(k, "addressentries")) return indexed(obj(l.AddressEntriesOf()), a);
    return std::nullopt;
}

Get errGet(ErrObject& e, const QString& k, const CallArgs& a) {
    if (is(k, "number")) return Variant(e.number);
    if (is(k, "description")) return Variant(e.description);
    if (is(k, "source")) return Variant(e.source);
    if (is(k, "clear")) {
        e.clear();
        return Variant();
    }
    if (is(k, "raise")) {
        const std::int32_t n = toLong(need(a, 0, "number"));
        const auto d = a.get(2, "description");
        throw d ? mapi::Error(n, str(*d)) : makeError(n);
    }
    return std::nullopt;
}

// Count, Item, GetFirst/GetNext, Add and Filter of the collections.
template <class C>
Get collectionGet(C& c, const QString& k, const CallArgs& a) {
    if (is(k, "count")) return Variant(c.Count());
    if (is(k, "item")) return defaultMember(c.shared_from_this(), a);
    if constexpr (std::is_base_of_v<mapi::WalkableCollection<mapi::Folder>, C> ||
                  std::is_base_of_v<mapi::WalkableCollection<mapi::Message>, C> ||
                  std::is_base_of_v<mapi::WalkableCollection<mapi::AddressEntry>, C>) {
        if (is(k, "getfirst")) return obj(c.GetFirst());
        if (is(k, "getnext")) return obj(c.GetNext());
    }
    return std::nullopt;
}

Get messagesGet(mapi::Messages& m, const QString& k, const CallArgs& a) {
    if (is(k, "filter")) return indexed(obj(m.FilterOf()), a);
    if (is(k, "add")) {
        auto msg = m.Add();
        if (auto v = a.get(0, "subject")) msg->SetSubject(str(*v));
        if (auto v = a.get(1, "text")) msg->SetText(str(*v));
        if (auto v = a.get(2, "type")) msg->SetType(str(*v));
        if (auto v = a.get(3, "importance")) msg->SetImportance(toLong(*v));
        return obj(msg);
    }
    return collectionGet(m, k, a);
}

Get addressEntriesGet(mapi::AddressEntries& e, const QString& k, const CallArgs& a) {
    if (is(k, "filter")) return indexed(obj(e.FilterOf()), a);
    if (is(k, "add")) {
        auto entry = e.Add(str(need(a, 0, "emailtype")), str(need(a, 1, "name")));
        if (auto v = a.get(2, "address")) entry->SetAddress(str(*v));
        return obj(entry);
    }
    return collectionGet(e, k, a);
}

Get recipientsGet(mapi::Recipients& r, const QString& k, const CallArgs& a) {
    if (is(k, "add")) {
        const auto name = a.get(0, "name");
        const auto type = a.get(2, "type");
        auto rec = r.Add(name ? str(*name) : QString(), type ? toLong(*type) : 1);
        if (auto v = a.get(1, "address")) rec->SetAddress(str(*v));
        return obj(rec);
    }
    return collectionGet(r, k, a);
}

Get attachmentsGet(mapi::Attachments& t, const QString& k, const CallArgs& a) {
    if (is(k, "add")) {
        auto att = t.Add();
        if (auto v = a.get(0, "name")) att->SetName(str(*v));
        if (auto v = a.get(1, "position")) att->SetPosition(toLong(*v));
        const auto type = a.get(2, "type");
        if (type) att->SetType(toLong(*type));
        // Only file data (type 1) is read from its source; a link keeps the path.
        if (auto v = a.get(3, "source"); v && (!type || toLong(*type) == 1))
            att->ReadFromFile(str(*v));
        return obj(att);
    }
    return collectionGet(t, k, a);
}

Get fieldsGet(mapi::Fields& f, const QString& k, const CallArgs& a) {
    if (is(k, "add")) {
        const Variant key = need(a, 0, "name");
        // Add(tag, value) as the alias look-up writes it; else Add(name, type, value).
        const size_t count = a.positional.size() + a.named.size();
        const bool namedForm = a.get(SIZE_MAX, "class") || a.get(SIZE_MAX, "value");
        if (count == 2 && !namedForm && a.positional.size() == 2 && a.positional[1])
            return obj(f.Add(key, *a.positional[1]));
        const auto cls = a.get(1, "class");
        const auto value = a.get(2, "value");
        return obj(f.Add(key, static_cast<std::int16_t>(cls ? toLong(*cls) : 8),
                         value ? *value : Variant()));
    }
    return collectionGet(f, k, a);
}

Get filterGet(mapi::Filter& f, const QString& k, const CallArgs& a) {
    if (is(k, "fields")) return indexed(obj(f.FieldsOf()), a);
    return f.Get(k);
}

}  // namespace

std::optional<Variant> CallArgs::get(size_t index, const char* name) const {
    for (const auto& [n, v] : named)
        if (n == QLatin1String(name)) return v;
    if (index < positional.size()) return positional[index];
    return std::nullopt;
}

Variant getMember(const ObjectPtr& o, const QString& k, const CallArgs& a) {
    if (!o) raise(mapi::code::ObjectNotSet);
    Get r;
    // What every object has comes first: a filter takes any other name as one of its members.
    if (is(k, "class") || is(k, "parent") || is(k, "session")) r = model_members::get(o, k, a);
    if (r)
        ;
    else if (auto p = as<mapi::Message>(o))
        r = messageGet(*p, k, a);
    else if (auto p = as<mapi::Messages>(o))
        r = messagesGet(*p, k, a);
    else if (auto p = as<mapi::Folder>(o))
        r = folderGet(*p, k, a);
    else if (auto p = as<mapi::Recipient>(o))
        r = recipientGet(*p, k, a);
    else if (auto p = as<mapi::Recipients>(o))
        r = recipientsGet(*p, k, a);
    else if (auto p = as<mapi::Field>(o))
        r = fieldGet(*p, k, a);
    else if (auto p = as<mapi::Fields>(o))
        r = fieldsGet(*p, k, a);
    else if (auto p = as<mapi::AddressEntry>(o))
        r = addressEntryGet(*p, k, a);
    else if (auto p = as<mapi::AddressEntries>(o))
        r = addressEntriesGet(*p, k, a);
    else if (auto p = as<mapi::Attachment>(o))
        r = attachmentGet(*p, k, a);
    else if (auto p = as<mapi::Attachments>(o))
        r = attachmentsGet(*p, k, a);
    else if (auto p = as<mapi::Folders>(o))
        r = collectionGet(*p, k, a);
    else if (auto p = as<mapi::InfoStore>(o))
        r = infoStoreGet(*p, k, a);
    else if (auto p = as<mapi::InfoStores>(o))
        r = collectionGet(*p, k, a);
    else if (auto p = as<mapi::AddressList>(o))
        r = addressListGet(*p, k, a);
    else if (auto p = as<mapi::AddressLists>(o))
        r = collectionGet(*p, k, a);
    else if (auto p = as<mapi::Session>(o))
        r = sessionGet(*p, k, a);
    else if (auto p = as<mapi::Filter>(o))
        r = filterGet(*p, k, a);
    else if (auto p = as<ErrObject>(o))
        r = errGet(*p, k, a);
    if (!r) r = model_members::get(o, k, a);
    if (!r) raise(err::NotSupported);
    model_members::cameFrom(o, *r, is(k, "parent") || is(k, "session"));
    return *r;
}

void letMember(const ObjectPtr& o, const QString& k, const CallArgs& a, const Variant& v) {
    if (!o) raise(mapi::code::ObjectNotSet);
    if (!a.empty()) {
        // oEntry.Fields(tag) = value: the property, then its item's default.
        const Variant target = getMember(o, k, CallArgs{});
        if (!isObject(target)) raise(mapi::code::TypeMismatch);
        letDefault(target.asObject(), a, v);
        return;
    }
    bool done = model_members::let(o, k, v);
    if (done)
        ;
    else if (auto p = as<mapi::Message>(o))
        done = messageLet(*p, k, v);
    else if (auto p = as<mapi::Recipient>(o))
        done = recipientLet(*p, k, v);
    else if (auto p = as<mapi::Attachment>(o))
        done = attachmentLet(*p, k, v);
    else if (auto p = as<mapi::AddressEntry>(o))
        done = addressEntryLet(*p, k, v);
    else if (auto p = as<mapi::Field>(o); p && is(k, "value")) {
        p->SetValue(v);
        done = true;
    } else if (auto p = as<mapi::Filter>(o)) {
        p->Set(k, v);
        done = true;
    } else if (auto p = as<ErrObject>(o)) {
        if (is(k, "number"))
            p->number = toLong(v), done = true;
        else if (is(k, "description"))
            p->description = str(v), done = true;
        else if (is(k, "source"))
            p->source = str(v), done = true;
    }
    if (!done) raise(err::NotSupported);
}

namespace {

Variant defaultMemberOf(const ObjectPtr& o, const CallArgs& a) {
    if (!o) raise(mapi::code::ObjectNotSet);
    if (auto arr = as<ArrayObject>(o)) {
        if (a.positional.size() != 1 || !a.positional[0] || !a.named.empty())
            raise(mapi::code::SubscriptOutOfRange);
        const std::int32_t i = toLong(*a.positional[0]);
        if (i < 0 || static_cast<size_t>(i) >= arr->items.size())
            raise(mapi::code::SubscriptOutOfRange);
        return arr->items[static_cast<size_t>(i)];
    }
    if (a.empty()) {
        if (auto p = as<mapi::Field>(o)) return p->Value();
        if (auto p = as<mapi::AddressEntry>(o)) return Variant(p->Name());
        if (auto p = as<mapi::Recipient>(o)) return Variant(p->Name());
        if (auto p = as<ErrObject>(o)) return Variant(p->number);
        raise(err::NotSupported);
    }
    const Variant key = need(a, 0, "index");
    if (auto p = as<mapi::Fields>(o)) return obj(fieldItem(*p, key));
    if (auto p = as<mapi::InfoStores>(o)) return itemByIndexOrName(*p, key);
    if (auto p = as<mapi::AddressLists>(o)) return itemByIndexOrName(*p, key);
    if (auto p = as<mapi::Messages>(o)) return obj(p->Item(toLong(key)));
    if (auto p = as<mapi::Folders>(o)) return obj(p->Item(toLong(key)));
    if (auto p = as<mapi::Recipients>(o)) return obj(p->Item(toLong(key)));
    if (auto p = as<mapi::Attachments>(o)) return obj(p->Item(toLong(key)));
    if (auto p = as<mapi::AddressEntries>(o)) return obj(p->Item(toLong(key)));
    if (auto p = as<mapi::Field>(o)) return indexed(p->Value(), a);
    raise(err::NotSupported);
}

std::function<std::optional<Variant>()> enumerateOf(const ObjectPtr& o);

}  // namespace

Variant defaultMember(const ObjectPtr& o, const CallArgs& a) {
    Variant r = defaultMemberOf(o, a);
    model_members::cameFrom(o, r);
    return r;
}

std::function<std::optional<Variant>()> enumerate(const ObjectPtr& o) {
    auto next = enumerateOf(o);
    return [o, next]() {
        std::optional<Variant> r = next();
        if (r) model_members::cameFrom(o, *r);
        return r;
    };
}

void letDefault(const ObjectPtr& o, const CallArgs& a, const Variant& v) {
    if (!o) raise(mapi::code::ObjectNotSet);
    if (auto arr = as<ArrayObject>(o)) {
        if (a.positional.size() != 1 || !a.positional[0]) raise(mapi::code::SubscriptOutOfRange);
        const std::int32_t i = toLong(*a.positional[0]);
        if (i < 0 || static_cast<size_t>(i) >= arr->items.size())
            raise(mapi::code::SubscriptOutOfRange);
        arr->items[static_cast<size_t>(i)] = v;
        return;
    }
    if (auto f = as<mapi::Fields>(o)) {
        const Variant key = need(a, 0, "index");
        // A property the entry does not have yet is added, as the library's
        // Fields(tag) = value does on a new address entry.
        try {
            fieldItem(*f, key)->SetValue(v);
        } catch (const mapi::Error& e) {
            if (e.number() != mapi::code::NotFound) throw;
            f->Add(key, v);
        }
        return;
    }
    const Variant item = defaultMember(o, a);
    if (!isObject(item)) raise(err::NotSupported);
    if (auto field = as<mapi::Field>(item.asObject())) {
        field->SetValue(v);
        return;
    }
    letMember(item.asObject(), QStringLiteral("name"), CallArgs{}, v);
}

namespace {

std::function<std::optional<Variant>()> enumerateOf(const ObjectPtr& o) {
    if (!o) raise(mapi::code::ObjectNotSet);
    if (auto arr = as<ArrayObject>(o)) {
        auto i = std::make_shared<size_t>(0);
        return [arr, i]() -> std::optional<Variant> {
            if (*i >= arr->items.size()) return std::nullopt;
            return arr->items[(*i)++];
        };
    }
    if (auto p = as<mapi::Messages>(o)) return enumerator(*p);
    if (auto p = as<mapi::Folders>(o)) return enumerator(*p);
    if (auto p = as<mapi::Recipients>(o)) return enumerator(*p);
    if (auto p = as<mapi::Attachments>(o)) return enumerator(*p);
    if (auto p = as<mapi::AddressEntries>(o)) return enumerator(*p);
    if (auto p = as<mapi::Fields>(o)) return enumerator(*p);
    if (auto p = as<mapi::InfoStores>(o)) return enumerator(*p);
    if (auto p = as<mapi::AddressLists>(o)) return enumerator(*p);
    raise(err::NotSupported);
}

}  // namespace

QString typeName(const ObjectPtr& o) {
    if (!o) return QStringLiteral("Nothing");
    if (const QString kind = objectKind(o); !kind.isEmpty()) return kind;
    if (as<ErrObject>(o)) return QStringLiteral("ErrObject");
    return QStringLiteral("Object");
}

}  // namespace vbrun
