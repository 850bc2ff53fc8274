#include "addressbook/FakeAddressBook.h"

#include <algorithm>

namespace fake {

namespace {

constexpr std::int32_t kAliasTag = 973078558;

template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<mapi::Ref<T>> items) : items_(std::move(items)) {}
    mapi::Ref<T> next() override { return pos_ < items_.size() ? items_[pos_++] : mapi::Ref<T>(); }

  private:
    std::vector<mapi::Ref<T>> items_;
    std::size_t pos_ = 0;
};

class Field : public mapi::Field {
  public:
    Field(World& w, std::shared_ptr<EntryData> e, std::int32_t tag)
        : w_(w), e_(std::move(e)), tag_(tag) {}
    QString Name() override { return {}; }
    std::int32_t ID() override { return tag_; }
    mapi::Variant Type() override {
        return mapi::Variant(static_cast<std::int32_t>(Value().type()));
    }
    mapi::Variant Value() override {
        w_.hit(QStringLiteral("Field.Value"));
        return e_->props.at(tag_);
    }
    void SetValue(const mapi::Variant& v) override {
        w_.hit(QStringLiteral("Field.SetValue"));
        e_->props[tag_] = v;
    }

  private:
    World& w_;
    std::shared_ptr<EntryData> e_;
    std::int32_t tag_;
};

std::int32_t tagOf(const mapi::Variant& v) {
    if (v.type() == mapi::VarType::Long) return v.asLong();
    if (v.type() == mapi::VarType::String) return v.asString().toInt();
    mapi::raise(mapi::code::TypeMismatch);
}

// An entry's fields.
class EntryFields : public mapi::Fields {
  public:
    EntryFields(World& w, std::shared_ptr<EntryData> e) : w_(w), e_(std::move(e)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(e_->props.size()); }
    mapi::Ref<mapi::Field> Item(std::int32_t index) override {
        if (index < 1 || index > Count()) mapi::raise(mapi::code::NotFound);
        auto it = e_->props.begin();
        std::advance(it, index - 1);
        return mapi::makeRef<Field>(w_, e_, it->first);
    }
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override {
        std::vector<mapi::Ref<mapi::Field>> v;
        for (auto& [tag, _] : e_->props) v.push_back(mapi::makeRef<Field>(w_, e_, tag));
        return std::make_unique<VectorEnum<mapi::Field>>(std::move(v));
    }
    mapi::Ref<mapi::Field> ItemByTag(std::int32_t tag) override {
        w_.hit(QStringLiteral("Fields.Item"));
        if (!e_->props.count(tag)) mapi::raise(mapi::code::NotFound);
        return mapi::makeRef<Field>(w_, e_, tag);
    }
    mapi::Ref<mapi::Field> ItemByName(const QString&) override {
        mapi::raise(mapi::code::NotFound);
    }
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, std::int16_t,
                               const mapi::Variant& value) override {
        return Add(nameOrTag, value);
    }
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag,
                               const mapi::Variant& value) override {
        w_.hit(QStringLiteral("Fields.Add"));
        const std::int32_t tag = tagOf(nameOrTag);
        e_->props[tag] = value;
        return mapi::makeRef<Field>(w_, e_, tag);
    }

  private:
    World& w_;
    std::shared_ptr<EntryData> e_;
};

struct Conditions {
    std::vector<std::pair<std::int32_t, mapi::Variant>> fields;
};

class FilterFields : public mapi::Fields {
  public:
    FilterFields(World& w, std::shared_ptr<Conditions> c) : w_(w), c_(std::move(c)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(c_->fields.size()); }
    mapi::Ref<mapi::Field> Item(std::int32_t) override { mapi::raise(mapi::code::NoSupport); }
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::Field>>(std::vector<mapi::Ref<mapi::Field>>{});
    }
    mapi::Ref<mapi::Field> ItemByTag(std::int32_t) override { mapi::raise(mapi::code::NotFound); }
    mapi::Ref<mapi::Field> ItemByName(const QString&) override {
        mapi::raise(mapi::code::NotFound);
    }
    mapi::Ref<mapi::Field> Add(const mapi::Variant& t, std::int16_t,
                               const mapi::Variant& v) override {
        return Add(t, v);
    }
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag,
                               const mapi::Variant& value) override {
        w_.hit(QStringLiteral("Filter.Fields.Add"));
        // Only Long tags are accepted, as the alias look-up must pass them.
        if (nameOrTag.type() != mapi::VarType::Long) mapi::raise(mapi::code::TypeMismatch);
        c_->fields.emplace_back(nameOrTag.asLong(), value);
        auto holder = std::make_shared<EntryData>();
        holder->props[nameOrTag.asLong()] = value;
        return mapi::makeRef<Field>(w_, holder, nameOrTag.asLong());
    }

  private:
    World& w_;
    std::shared_ptr<Conditions> c_;
};

class Filter : public mapi::Filter {
  public:
    Filter(World& w, std::shared_ptr<Conditions> c) : w_(w), c_(std::move(c)) {}
    void Set(const QString&, const mapi::Variant&) override { mapi::raise(mapi::code::NoSupport); }
    mapi::Variant Get(const QString&) override { mapi::raise(mapi::code::NoSupport); }
    mapi::Ref<mapi::Fields> FieldsOf() override {
        w_.hit(QStringLiteral("Filter.Fields"));
        return mapi::makeRef<FilterFields>(w_, c_);
    }

  private:
    World& w_;
    std::shared_ptr<Conditions> c_;
};

class Entry;

class Entries : public mapi::AddressEntries {
  public:
    // Either a list's entries or a distribution list's members.
    Entries(World& w, ListData* list, std::shared_ptr<EntryData> parent)
        : w_(w), list_(list), parent_(std::move(parent)), cond_(std::make_shared<Conditions>()) {}

    std::vector<std::shared_ptr<EntryData>> visible() {
        std::vector<std::shared_ptr<EntryData>> out;
        const auto& src = parent_ ? parent_->members : list_->entries;
        for (const auto& e : src) {
            bool ok = true;
            for (const auto& [tag, value] : cond_->fields)
                if (tag == kAliasTag && e->alias != value.toText()) ok = false;
            if (ok) out.push_back(e);
        }
        return out;
    }
    std::int32_t Count() override {
        w_.hit(parent_ ? QStringLiteral("Members.Count") : QStringLiteral("AddressEntries.Count"));
        return static_cast<std::int32_t>(visible().size());
    }
    mapi::Ref<mapi::AddressEntry> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> enumerate() override;
    mapi::Ref<mapi::AddressEntry> GetFirst() override {
        w_.hit(QStringLiteral("AddressEntries.GetFirst"));
        cursor_ = 0;
        return GetNextImpl();
    }
    mapi::Ref<mapi::AddressEntry> GetNext() override {
        w_.hit(QStringLiteral("AddressEntries.GetNext"));
        return GetNextImpl();
    }
    mapi::Ref<mapi::Filter> FilterOf() override {
        w_.hit(QStringLiteral("AddressEntries.Filter"));
        return mapi::makeRef<Filter>(w_, cond_);
    }
    mapi::Ref<mapi::AddressEntry> Add(const QString& type, const QString& name) override;

  private:
    mapi::Ref<mapi::AddressEntry> GetNextImpl();
    World& w_;
    ListData* list_;
    std::shared_ptr<EntryData> parent_;
    std::shared_ptr<Conditions> cond_;
    std::size_t cursor_ = 0;
};

class Entry : public mapi::AddressEntry {
  public:
    Entry(World& w, std::shared_ptr<EntryData> e) : w_(w), e_(std::move(e)) {}
    QString ID() override { return e_->id; }
    QString Name() override { return e_->name; }
    QString Address() override { return e_->address; }
    QString Type() override { return e_->type; }
    std::int32_t DisplayType() override { return e_->type == QLatin1String("MAPIPDL") ? 5 : 6; }
    void SetName(const QString& v) override { e_->name = v; }
    void SetAddress(const QString& v) override {
        w_.hit(QStringLiteral("AddressEntry.SetAddress"));
        e_->address = v;
    }
    void SetType(const QString& v) override { e_->type = v; }
    mapi::Ref<mapi::Fields> FieldsOf() override {
        w_.hit(QStringLiteral("AddressEntry.Fields"));
        return mapi::makeRef<EntryFields>(w_, e_);
    }
    mapi::Ref<mapi::AddressEntries> Members() override {
        w_.hit(QStringLiteral("AddressEntry.Members"));
        if (e_->type != QLatin1String("MAPIPDL")) mapi::raise(mapi::code::NoSupport);
        return mapi::makeRef<Entries>(w_, e_->list, e_);
    }
    void Details() override {
        w_.hit(QStringLiteral("AddressEntry.Details"));
        if (w_.onDetails) w_.onDetails(*e_);
    }
    void Update() override {
        w_.hit(QStringLiteral("AddressEntry.Update"));
        if (e_->list->readOnly) mapi::raise(mapi::code::NoAccess);
        ++e_->updates;
        if (e_->stored) return;
        e_->stored = true;
        if (e_->parent)
            e_->parent->members.push_back(e_);
        else
            e_->list->entries.push_back(e_);
    }
    void Delete() override {
        w_.hit(QStringLiteral("AddressEntry.Delete"));
        if (!e_->stored) mapi::raise(mapi::code::NotFound);
        auto& v = e_->parent ? e_->parent->members : e_->list->entries;
        v.erase(std::remove(v.begin(), v.end(), e_), v.end());
        e_->stored = false;
    }

  private:
    World& w_;
    std::shared_ptr<EntryData> e_;
};

mapi::Ref<mapi::AddressEntry> Entries::Item(std::int32_t index) {
    const auto v = visible();
    if (index < 1 || index > static_cast<std::int32_t>(v.size())) mapi::raise(mapi::code::NotFound);
    return mapi::makeRef<Entry>(w_, v[static_cast<std::size_t>(index - 1)]);
}

std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> Entries::enumerate() {
    std::vector<mapi::Ref<mapi::AddressEntry>> out;
    for (auto& e : visible()) out.push_back(mapi::makeRef<Entry>(w_, e));
    return std::make_unique<VectorEnum<mapi::AddressEntry>>(std::move(out));
}

mapi::Ref<mapi::AddressEntry> Entries::GetNextImpl() {
    const auto v = visible();
    if (cursor_ >= v.size()) return {};
    return mapi::makeRef<Entry>(w_, v[cursor_++]);
}

mapi::Ref<mapi::AddressEntry> Entries::Add(const QString& type, const QString& name) {
    w_.hit(parent_ ? QStringLiteral("Members.Add") : QStringLiteral("AddressEntries.Add"));
    if (list_->readOnly) mapi::raise(mapi::code::NoAccess);
    auto e = std::make_shared<EntryData>();
    e->id = w_.newId();
    e->type = type;
    e->name = name;
    e->list = list_;
    e->parent = parent_.get();
    return mapi::makeRef<Entry>(w_, e);
}

class List : public mapi::AddressList {
  public:
    List(World& w, ListData* l) : w_(w), l_(l) {}
    QString ID() override { return l_->name; }
    QString Name() override {
        w_.hit(QStringLiteral("AddressList.Name"));
        return l_->name;
    }
    mapi::Ref<mapi::AddressEntries> AddressEntriesOf() override {
        w_.hit(QStringLiteral("AddressList.AddressEntries"));
        return mapi::makeRef<Entries>(w_, l_, nullptr);
    }

  private:
    World& w_;
    ListData* l_;
};

class Lists : public mapi::AddressLists {
  public:
    explicit Lists(World& w) : w_(w) {}
    std::int32_t Count() override {
        w_.hit(QStringLiteral("AddressLists.Count"));
        return static_cast<std::int32_t>(w_.lists.size());
    }
    mapi::Ref<mapi::AddressList> Item(std::int32_t index) override {
        w_.hit(QStringLiteral("AddressLists.Item"));
        if (index < 1 || index > static_cast<std::int32_t>(w_.lists.size()))
            mapi::raise(mapi::code::NotFound);
        return mapi::makeRef<List>(w_, w_.lists[static_cast<std::size_t>(index - 1)].get());
    }
    std::unique_ptr<mapi::Enumerator<mapi::AddressList>> enumerate() override {
        std::vector<mapi::Ref<mapi::AddressList>> v;
        for (auto& l : w_.lists) v.push_back(mapi::makeRef<List>(w_, l.get()));
        return std::make_unique<VectorEnum<mapi::AddressList>>(std::move(v));
    }
    mapi::Ref<mapi::AddressList> ItemByName(const QString& name) override {
        w_.hit(QStringLiteral("AddressLists.ItemByName"));
        for (auto& l : w_.lists)
            if (l->name == name) return mapi::makeRef<List>(w_, l.get());
        mapi::raise(mapi::code::NotFound);
    }

  private:
    World& w_;
};

class Session : public mapi::Session {
  public:
    explicit Session(World& w) : w_(w) {}
    void Logon(const mapi::LogonArgs&) override {}
    void Logoff() override {}
    mapi::Ref<mapi::InfoStores> InfoStoresOf() override { mapi::raise(mapi::code::NoSupport); }
    mapi::Ref<mapi::AddressLists> AddressListsOf() override {
        w_.hit(QStringLiteral("Session.AddressLists"));
        return mapi::makeRef<Lists>(w_);
    }
    mapi::Ref<mapi::AddressList> AddressListByName(const QString& name) override {
        return AddressListsOf()->ItemByName(name);
    }
    mapi::Ref<mapi::Folder> Outbox() override { mapi::raise(mapi::code::NoSupport); }
    mapi::Ref<mapi::InfoStore> GetInfoStore(const QString&) override {
        mapi::raise(mapi::code::NoSupport);
    }
    mapi::Ref<mapi::Folder> GetFolder(const QString&, const QString&) override {
        mapi::raise(mapi::code::NoSupport);
    }
    mapi::Ref<mapi::Message> GetMessage(const QString&, const QString&) override {
        mapi::raise(mapi::code::NoSupport);
    }
    mapi::Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs&) override {
        mapi::raise(mapi::code::NoSupport);
    }

  private:
    World& w_;
};

}  // namespace

ListData& World::addList(const QString& name, bool readOnly) {
    auto l = std::make_shared<ListData>();
    l->name = name;
    l->readOnly = readOnly;
    lists.push_back(l);
    return *l;
}

EntryData& World::addEntry(ListData& list, const QString& name, const QString& address,
                           const QString& alias, const QString& type) {
    auto e = std::make_shared<EntryData>();
    e->id = newId();
    e->name = name;
    e->address = address;
    e->alias = alias;
    e->type = type;
    e->list = &list;
    e->stored = true;
    e->props[kAliasTag] = mapi::Variant(alias);
    list.entries.push_back(e);
    return *e;
}

void World::failOn(const QString& call, int nth, std::int32_t number, bool sticky) {
    failures_.push_back({call, nth, number, sticky});
}

void World::hit(const QString& call) {
    log.append(call);
    const int n = ++counts_[call];
    for (const Failure& f : failures_)
        if (f.call == call && (n == f.nth || (f.sticky && n > f.nth))) mapi::raise(f.number);
}

int World::calls(const QString& call) const {
    auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
}

mapi::Ref<mapi::Session> World::session() {
    return mapi::makeRef<Session>(*this);
}

}  // namespace fake
