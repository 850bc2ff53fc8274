#include "vbrun/ModelMembers.h"

#include <mutex>
#include <unordered_map>

#include "messaging/ClassNumbers.h"
#include "messaging/Objects.h"
#include "messaging/Version.h"
#include "vbrun/Values.h"

namespace vbrun::model_members {

using mapi::Variant;

namespace {

template <class T>
Variant obj(const mapi::Ref<T>& r) {
    return Variant(std::static_pointer_cast<mapi::Object>(r.shared()));
}

Variant nothing() {
    return Variant(std::shared_ptr<mapi::Object>());
}

template <class T>
std::shared_ptr<T> as(const ObjectPtr& o) {
    return std::dynamic_pointer_cast<T>(o);
}

bool is(const QString& key, const char* name) {
    return key == QLatin1String(name);
}

Variant need(const CallArgs& a, size_t i, const char* name) {
    if (auto v = a.get(i, name)) return *v;
    raise(err::ArgumentNotOptional);
}

QString optText(const CallArgs& a, size_t i, const char* name) {
    const auto v = a.get(i, name);
    return v && !v->isEmpty() ? toText(*v) : QString();
}

// ---- where objects came from ------------------------------------------------------
// The library's objects do not all know their parent or their session (a
// recipient is a row of its message, a store's objects share no session
// object); the binding remembers what handed each object out.

struct Origin {
    std::weak_ptr<mapi::Object> self;  // tells a reused address from the object noted
    std::weak_ptr<mapi::Object> parent;
    std::weak_ptr<mapi::Object> session;
};

class Origins {
  public:
    void note(const ObjectPtr& from, const ObjectPtr& child, bool byParent) {
        std::lock_guard lock(m_);
        if (map_.size() >= pruneAt_) prune();
        // The first to hand an object out is its origin: a Parent read later
        // hands out the parent, which does not make the child its parent.
        if (find(child)) return;
        // What Parent handed out knows its session only; its own parent it tells itself.
        Origin o{child, byParent ? ObjectPtr() : from, sessionLocked(from)};
        map_[child.get()] = std::move(o);
    }
    ObjectPtr parent(const ObjectPtr& o) {
        std::lock_guard lock(m_);
        const Origin* x = find(o);
        return x ? x->parent.lock() : nullptr;
    }
    ObjectPtr session(const ObjectPtr& o) {
        std::lock_guard lock(m_);
        return sessionLocked(o);
    }

  private:
    const Origin* find(const ObjectPtr& o) const {
        const auto it = map_.find(o.get());
        if (it == map_.end() || it->second.self.lock() != o) return nullptr;
        return &it->second;
    }
    ObjectPtr sessionLocked(const ObjectPtr& o) const {
        if (as<mapi::Session>(o)) return o;
        const Origin* x = find(o);
        return x ? x->session.lock() : nullptr;
    }
    void prune() {
        for (auto it = map_.begin(); it != map_.end();)
            it = it->second.self.expired() ? map_.erase(it) : std::next(it);
        pruneAt_ = std::max<std::size_t>(1024, map_.size() * 2);
    }
    std::mutex m_;
    std::unordered_map<const mapi::Object*, Origin> map_;
    std::size_t pruneAt_ = 1024;
};

Origins& origins() {
    static Origins o;
    return o;
}

std::int32_t classOf(const ObjectPtr& o) {
    namespace c = mapi::class_number;
    if (as<mapi::Session>(o)) return c::Session;
    if (as<mapi::InfoStore>(o)) return c::InfoStore;
    if (as<mapi::Folder>(o)) return c::Folder;
    if (as<mapi::Message>(o)) return c::Message;
    if (as<mapi::Recipient>(o)) return c::Recipient;
    if (as<mapi::Attachment>(o)) return c::Attachment;
    if (as<mapi::Field>(o)) return c::Field;
    if (as<mapi::AddressList>(o)) return c::AddressList;
    if (as<mapi::AddressEntry>(o)) return c::AddressEntry;
    if (as<mapi::Filter>(o))
        return as<mapi::AddressEntries>(origins().parent(o)) ? c::AddressEntryFilter
                                                             : c::MessageFilter;
    if (as<mapi::InfoStores>(o)) return c::InfoStores;
    if (as<mapi::Folders>(o)) return c::Folders;
    if (as<mapi::Messages>(o)) return c::Messages;
    if (as<mapi::Recipients>(o)) return c::Recipients;
    if (as<mapi::Attachments>(o)) return c::Attachments;
    if (as<mapi::Fields>(o)) return c::Fields;
    if (as<mapi::AddressLists>(o)) return c::AddressLists;
    if (as<mapi::AddressEntries>(o)) return c::AddressEntries;
    return -1;
}

Variant parentOf(const ObjectPtr& o) {
    if (as<mapi::Session>(o)) return nothing();
    // Folders and messages are also reached by their IDs: they know their own.
    if (auto f = as<mapi::Folder>(o)) return Variant(f->Parent().shared());
    if (auto m = as<mapi::Message>(o)) return obj(m->Parent());
    const ObjectPtr p = origins().parent(o);
    if (auto s = as<mapi::InfoStore>(o); s && !as<mapi::InfoStores>(p)) {
        if (auto session = as<mapi::Session>(origins().session(o)))
            return obj(session->InfoStoresOf());
    }
    return Variant(p);
}

// ---- members by class ---------------------------------------------------------------

using Get = std::optional<Variant>;

std::uint32_t sortTag(const Variant& field) {
    if (field.type() != mapi::VarType::String) return static_cast<std::uint32_t>(toLong(field));
    static const std::pair<const char*, std::uint32_t> names[] = {
        {"timereceived", 0x0E060040}, {"timesent", 0x00390040},   {"subject", 0x0037001E},
        {"size", 0x0E080003},         {"importance", 0x00170003}, {"type", 0x001A001E},
    };
    const QString key = field.asString().trimmed().toLower();
    for (const auto& [name, tag] : names)
        if (key == QLatin1String(name)) return tag;
    raise(mapi::code::InvalidParameter);
}

Get sessionGet(mapi::Session& s, const QString& k, const CallArgs& a) {
    if (is(k, "currentuser")) return obj(s.CurrentUser());
    if (is(k, "name")) return Variant(s.Name());
    if (is(k, "version")) return Variant(QString::fromLatin1(mapi::kProgramVersion));
    if (is(k, "inbox")) return obj(s.Inbox());
    if (is(k, "getdefaultfolder")) return obj(s.GetDefaultFolder(toLong(need(a, 0, "objecttype"))));
    if (is(k, "getaddressentry")) return obj(s.GetAddressEntry(toText(need(a, 0, "entryid"))));
    return std::nullopt;
}

Get folderGet(mapi::Folder& f, const QString& k, const CallArgs& a) {
    if (is(k, "delete")) {
        f.Delete();
        return Variant();
    }
    if (is(k, "copyto")) {
        const auto sub = a.get(3, "copysubfolders");
        return obj(f.CopyTo(toText(need(a, 0, "folderid")), optText(a, 1, "storeid"),
                            optText(a, 2, "name"), sub ? toBoolean(*sub) : true));
    }
    if (is(k, "moveto"))
        return obj(f.MoveTo(toText(need(a, 0, "folderid")), optText(a, 1, "storeid")));
    return std::nullopt;
}

Get messagesGet(mapi::Messages& m, const QString& k, const CallArgs& a) {
    if (is(k, "getlast")) return obj(m.GetLast());
    if (is(k, "getprevious")) return obj(m.GetPrevious());
    if (is(k, "sort")) {
        const auto order = a.get(0, "sortorder");
        const auto field = a.get(1, "field");
        m.Sort(order ? toLong(*order) : 1, field && !field->isEmpty() ? sortTag(*field) : 0);
        return Variant();
    }
    if (is(k, "delete")) {
        m.Delete();
        return Variant();
    }
    return std::nullopt;
}

Get messageGet(mapi::Message& m, const QString& k, const CallArgs& a) {
    if (is(k, "submitted")) return m.Submitted();
    if (is(k, "sensitivity")) return m.Sensitivity();
    if (is(k, "copyto"))
        return obj(m.CopyTo(toText(need(a, 0, "folderid")), optText(a, 1, "storeid")));
    if (is(k, "moveto"))
        return obj(m.MoveTo(toText(need(a, 0, "folderid")), optText(a, 1, "storeid")));
    if (is(k, "forward")) return obj(m.Forward());
    if (is(k, "reply")) return obj(m.Reply());
    if (is(k, "replyall")) return obj(m.ReplyAll());
    return std::nullopt;
}

}  // namespace

void cameFrom(const ObjectPtr& from, const Variant& result, bool byParent) {
    if (!from || !isObject(result)) return;
    const ObjectPtr& child = result.asObject();
    if (child && child != from) origins().note(from, child, byParent);
}

Get get(const ObjectPtr& o, const QString& k, const CallArgs& a) {
    if (is(k, "class")) {
        const std::int32_t c = classOf(o);
        if (c >= 0) return Variant(c);
        return std::nullopt;
    }
    if (classOf(o) >= 0) {
        if (is(k, "parent")) return parentOf(o);
        if (is(k, "session")) {
            // A session is its own Session.
            if (ObjectPtr s = origins().session(o)) return Variant(s);
            return nothing();
        }
    }
    if (auto p = as<mapi::Session>(o)) return sessionGet(*p, k, a);
    if (auto p = as<mapi::InfoStore>(o); p && is(k, "providername"))
        return Variant(p->ProviderName());
    if (auto p = as<mapi::Folder>(o)) return folderGet(*p, k, a);
    if (auto p = as<mapi::Folders>(o); p && is(k, "add"))
        return obj(p->Add(toText(need(a, 0, "name"))));
    if (auto p = as<mapi::Messages>(o)) return messagesGet(*p, k, a);
    if (auto p = as<mapi::Message>(o)) return messageGet(*p, k, a);
    return std::nullopt;
}

bool let(const ObjectPtr& o, const QString& k, const Variant& v) {
    if (auto p = as<mapi::Message>(o); p && is(k, "sensitivity")) {
        p->SetSensitivity(toLong(v));
        return true;
    }
    return false;
}

}  // namespace vbrun::model_members
