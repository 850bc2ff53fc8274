#include "support/FakeMapi.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "messaging/Error.h"
#include "messaging/SessionFactory.h"
#include "messaging/VbConvert.h"

namespace fake {

// ---- Faults ---------------------------------------------------------------------------

void Faults::failOn(const QString& member, int nth, std::int32_t error, int times,
                    const QString& sentence) {
    rules_.push_back(Rule{member, std::max(nth, 1), times, error, sentence});
}

void Faults::reset() {
    rules_.clear();
    log_.clear();
}

int Faults::calls(const QString& member) const {
    return static_cast<int>(std::count(log_.begin(), log_.end(), member));
}

void Faults::hit(const QString& member) {
    log_.append(member);
    for (Rule& r : rules_) {
        const bool match = r.pattern.endsWith(QLatin1Char('*'))
                               ? member.startsWith(r.pattern.left(r.pattern.size() - 1))
                               : member == r.pattern;
        if (!match) continue;
        const int n = ++r.seen;
        if (n < r.nth) continue;
        if (r.times >= 0 && n >= r.nth + r.times) continue;
        if (r.sentence.isEmpty()) mapi::raise(r.error);
        mapi::raise(r.error, r.sentence);
    }
}

// ---- World ----------------------------------------------------------------------------

QString World::newId(QChar prefix) {
    return QStringLiteral("%1%2").arg(prefix).arg(nextId_++, 4, 10, QLatin1Char('0'));
}

namespace {

void assignFolderIds(World& w, FolderData& f) {
    if (f.id.isEmpty()) f.id = w.newId(QLatin1Char('F'));
    for (auto& m : f.messages)
        if (m->id.isEmpty()) m->id = w.newId(QLatin1Char('M'));
    for (auto& sub : f.folders) assignFolderIds(w, *sub);
}

void assignEntryIds(World& w, EntryData& e) {
    if (e.id.isEmpty()) e.id = w.newId(QLatin1Char('E'));
    for (auto& m : e.members) assignEntryIds(w, *m);
}

std::shared_ptr<FolderData> findFolder(const std::shared_ptr<FolderData>& f, const QString& id) {
    if (!f) return nullptr;
    if (f->id == id) return f;
    for (auto& sub : f->folders)
        if (auto found = findFolder(sub, id)) return found;
    return nullptr;
}

std::shared_ptr<MessageData> findMessage(const std::shared_ptr<FolderData>& f, const QString& id) {
    if (!f) return nullptr;
    for (auto& m : f->messages)
        if (m->id == id) return m;
    for (auto& sub : f->folders)
        if (auto found = findMessage(sub, id)) return found;
    return nullptr;
}

std::shared_ptr<FolderData> folderHolding(const std::shared_ptr<FolderData>& f,
                                          const MessageData* m) {
    if (!f) return nullptr;
    for (auto& x : f->messages)
        if (x.get() == m) return f;
    for (auto& sub : f->folders)
        if (auto found = folderHolding(sub, m)) return found;
    return nullptr;
}

}  // namespace

void World::assignIds() {
    for (auto& p : profiles) {
        for (auto& s : p.stores) {
            if (s->id.isEmpty()) s->id = newId(QLatin1Char('S'));
            if (s->root) assignFolderIds(*this, *s->root);
        }
        for (auto& l : p.lists) {
            if (l->id.isEmpty()) l->id = newId(QLatin1Char('L'));
            for (auto& e : l->entries) assignEntryIds(*this, *e);
        }
    }
}

ProfileData* World::profile(const QString& name) {
    for (auto& p : profiles)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

std::shared_ptr<StoreData> World::storeById(const QString& id) {
    for (auto& p : profiles)
        for (auto& s : p.stores)
            if (s->id == id) return s;
    return nullptr;
}

std::shared_ptr<FolderData> World::folderById(const QString& id) {
    for (auto& p : profiles)
        for (auto& s : p.stores)
            if (auto f = findFolder(s->root, id)) return f;
    return nullptr;
}

std::shared_ptr<MessageData> World::messageById(const QString& id) {
    for (auto& p : profiles)
        for (auto& s : p.stores)
            if (auto m = findMessage(s->root, id)) return m;
    return nullptr;
}

std::shared_ptr<ListData> World::listByName(const QString& name) {
    for (auto& p : profiles)
        for (auto& l : p.lists)
            if (l->name.compare(name, Qt::CaseInsensitive) == 0) return l;
    return nullptr;
}

namespace {

using namespace mapi;
using WorldPtr = std::shared_ptr<World>;

#define HIT(member) w_->faults.hit(QStringLiteral(member))

bool sameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
bool hasText(const QString& hay, const QString& needle) {
    return hay.contains(needle, Qt::CaseInsensitive);
}
void need(const QSet<QString>& missing, const char* member) {
    if (missing.contains(QLatin1String(member))) raise(code::NotFound);
}
constexpr std::int32_t tag(std::uint32_t t) {
    return static_cast<std::int32_t>(t);
}

template <class T>
class VecEnum : public Enumerator<T> {
  public:
    explicit VecEnum(std::vector<Ref<T>> v) : v_(std::move(v)) {}
    Ref<T> next() override { return i_ < v_.size() ? v_[i_++] : Ref<T>(); }

  private:
    std::vector<Ref<T>> v_;
    std::size_t i_ = 0;
};

// ---- values ---------------------------------------------------------------------------

// The property type (low word of a tag) for a value type code.
std::uint32_t propType(int varType) {
    switch (varType) {
        case 2:
            return 0x0002;
        case 3:
            return 0x0003;
        case 4:
            return 0x0004;
        case 5:
            return 0x0005;
        case 6:
            return 0x0006;
        case 7:
            return 0x0040;
        case 10:
            return 0x000A;
        case 11:
            return 0x000B;
        case 65:
            return 0x0102;
        default:
            return 0x001E;
    }
}

int varTypeOfTag(std::int32_t t) {
    switch (static_cast<std::uint32_t>(t) & 0xFFFF) {
        case 0x0002:
            return 2;
        case 0x0003:
            return 3;
        case 0x0004:
            return 4;
        case 0x0005:
            return 5;
        case 0x0006:
            return 6;
        case 0x0040:
            return 7;
        case 0x000A:
            return 10;
        case 0x000B:
            return 11;
        case 0x0102:
            return 65;
        default:
            return 8;
    }
}

std::optional<double> number(const Variant& v) {
    switch (v.type()) {
        case VarType::Integer:
            return v.asInteger();
        case VarType::Long:
            return v.asLong();
        case VarType::Single:
            return v.asSingle();
        case VarType::Double:
            return v.asDouble();
        case VarType::Currency:
            return static_cast<double>(v.asCurrency().scaled) / 10000.0;
        case VarType::Date:
            return v.asDate().serial;
        case VarType::Boolean:
            return v.asBoolean() ? -1.0 : 0.0;
        case VarType::String:
            if (vb::isNumeric(v.asString())) return vb::toDouble(v.asString());
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

QString textOrEmpty(const Variant& v) {
    try {
        return v.toText();
    } catch (const Error&) {
        return QString();
    }
}

// Converts a value to the given value type the way the scripting language would
// (text through the conversion routines). Throws type mismatch / overflow.
Variant coerce(const Variant& v, int varType) {
    if (static_cast<int>(v.type()) == varType || v.isEmpty() || v.isNull()) return v;
    const QString text = v.type() == VarType::Boolean
                             ? (v.asBoolean() ? QStringLiteral("-1") : QStringLiteral("0"))
                             : v.toText();
    switch (varType) {
        case 2:
            return Variant::integer(vb::toInteger(text));
        case 3:
            return vb::toLong(text);
        case 4:
            return vb::toSingle(text);
        case 5:
            return vb::toDouble(text);
        case 6:
            return vb::toCurrency(text);
        case 7:
            if (auto n = number(v); n && v.type() != VarType::String) return Date{*n};
            return vb::toDate(text);
        case 11:
            if (v.type() == VarType::String) return vb::toBoolean(text);
            return number(v).value_or(0) != 0;
        case 65:
            return QByteArray::fromHex(text.toLatin1());
        default:
            return text;
    }
}

// Equality as a filter tests it: numbers and dates by value, text ignoring case.
bool sameValue(const Variant& want, const Variant& have) {
    if (have.type() == VarType::Error || want.type() == VarType::Error)
        return want.type() == have.type() && want.asError() == have.asError();
    if (have.type() == VarType::Date && want.type() == VarType::String &&
        vb::isDate(want.asString()))
        return vb::toDate(want.asString()).serial == have.asDate().serial;
    if (want.type() == VarType::Date && have.type() == VarType::String &&
        vb::isDate(have.asString()))
        return vb::toDate(have.asString()).serial == want.asDate().serial;
    const auto a = number(want);
    const auto b = number(have);
    if (a && b) return *a == *b;
    return sameText(textOrEmpty(want), textOrEmpty(have));
}

// ---- fields ---------------------------------------------------------------------------

// One field as the Fields collection hands it out: its data as of the moment
// the collection was read, and how to write it back.
struct Slot {
    FieldData data;
    std::function<void(const Variant&)> set;
};
using SlotList = std::function<std::vector<Slot>()>;

class FakeField : public Field {
  public:
    FakeField(WorldPtr w, Slot s) : w_(std::move(w)), s_(std::move(s)) {}
    QString Name() override {
        HIT("Field.Name");
        return s_.data.name;
    }
    std::int32_t ID() override {
        HIT("Field.ID");
        return s_.data.id;
    }
    Variant Type() override {
        HIT("Field.Type");
        if (s_.data.type) return *s_.data.type;
        return static_cast<std::int32_t>(s_.data.value.type());
    }
    Variant Value() override {
        HIT("Field.Value");
        return s_.data.value;
    }
    void SetValue(const Variant& v) override {
        HIT("Field.Value=");
        if (!s_.set) raise(code::NoAccess);
        s_.set(v);
        s_.data.value = v;
    }

  private:
    WorldPtr w_;
    Slot s_;
};

// Adds or replaces a custom field of a list, by tag or by name.
Slot putCustom(std::vector<FieldData>& fields, const Variant& nameOrTag, int varType,
               const Variant& value, World& w) {
    FieldData d;
    const Variant v = coerce(value, varType);
    if (nameOrTag.type() == VarType::String && !vb::isNumeric(nameOrTag.asString())) {
        d.name = nameOrTag.asString();
        auto it = std::find_if(fields.begin(), fields.end(),
                               [&](const FieldData& f) { return sameText(f.name, d.name); });
        if (it != fields.end()) {
            it->value = v;
            it->type.reset();
            return Slot{*it, nullptr};
        }
        // Named properties get a tag with the top bit set.
        const std::uint32_t index =
            0x9000u + static_cast<std::uint32_t>(w.newId('N').mid(1).toInt());
        d.id = tag((index << 16) | propType(varType));
    } else {
        d.id = nameOrTag.type() == VarType::String
                   ? vb::toLong(nameOrTag.asString())
                   : static_cast<std::int32_t>(number(nameOrTag).value_or(0));
        auto it = std::find_if(fields.begin(), fields.end(),
                               [&](const FieldData& f) { return f.id == d.id; });
        if (it != fields.end()) {
            it->value = v;
            it->type.reset();
            return Slot{*it, nullptr};
        }
    }
    d.value = v;
    fields.push_back(d);
    return Slot{d, nullptr};
}

class FakeFields : public Fields {
  public:
    // `add` adds or replaces a field and gives it back; nullptr: read-only.
    using Adder = std::function<Slot(const Variant& nameOrTag, int varType, const Variant& v)>;
    FakeFields(WorldPtr w, SlotList list, Adder add)
        : w_(std::move(w)), list_(std::move(list)), add_(std::move(add)) {}

    std::int32_t Count() override {
        HIT("Fields.Count");
        return static_cast<std::int32_t>(list_().size());
    }
    Ref<Field> Item(std::int32_t i) override {
        HIT("Fields.Item");
        auto all = list_();
        if (i < 1 || i > static_cast<std::int32_t>(all.size())) raise(code::NotFound);
        return make(all[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<Enumerator<Field>> enumerate() override {
        HIT("Fields.Enumerate");
        std::vector<Ref<Field>> out;
        for (auto& s : list_()) out.push_back(make(s));
        return std::make_unique<VecEnum<Field>>(std::move(out));
    }
    Ref<Field> ItemByTag(std::int32_t t) override {
        HIT("Fields.Item");
        for (auto& s : list_())
            if (s.data.id == t) return make(s);
        raise(code::NotFound);
    }
    Ref<Field> ItemByName(const QString& name) override {
        HIT("Fields.Item");
        for (auto& s : list_())
            if (!s.data.name.isEmpty() && sameText(s.data.name, name)) return make(s);
        raise(code::NotFound);
    }
    Ref<Field> Add(const Variant& nameOrTag, std::int16_t type, const Variant& value) override {
        HIT("Fields.Add");
        if (!add_) raise(code::NoAccess);
        return make(add_(nameOrTag, type, value));
    }
    Ref<Field> Add(const Variant& nameOrTag, const Variant& value) override {
        HIT("Fields.Add");
        if (!add_) raise(code::NoAccess);
        int type = static_cast<int>(value.type());
        if (nameOrTag.type() != VarType::String || vb::isNumeric(nameOrTag.asString()))
            type = varTypeOfTag(nameOrTag.type() == VarType::String
                                    ? vb::toLong(nameOrTag.asString())
                                    : static_cast<std::int32_t>(number(nameOrTag).value_or(0)));
        return make(add_(nameOrTag, type, value));
    }

  private:
    Ref<Field> make(const Slot& s) { return makeRef<FakeField>(w_, s); }
    WorldPtr w_;
    SlotList list_;
    Adder add_;
};

// ---- filters --------------------------------------------------------------------------

struct Condition {
    Variant nameOrTag;
    int type;
    Variant value;
};

struct FilterState {
    bool forMessages = true;
    std::vector<std::pair<QString, Variant>> members;  // as set, by canonical name
    std::vector<Condition> conditions;

    Variant get(const char* member) const {
        for (auto& [k, v] : members)
            if (k == QLatin1String(member)) return v;
        return Variant();
    }
    bool has(const char* member) const {
        const Variant v = get(member);
        return !v.isEmpty() && !v.isNull();
    }
};

const QStringList kMessageMembers = {"Subject",  "Text", "Sender", "Recipients", "Importance",
                                     "Size",     "Sent", "Unread", "Type",       "TimeFirst",
                                     "TimeLast", "Not",  "Or"};
const QStringList kAddressMembers = {"Name", "Address", "Not", "Or"};

class FilterFieldsImpl : public Fields {
  public:
    FilterFieldsImpl(WorldPtr w, std::shared_ptr<FilterState> f)
        : w_(std::move(w)), f_(std::move(f)) {}
    std::int32_t Count() override {
        HIT("Fields.Count");
        return static_cast<std::int32_t>(f_->conditions.size());
    }
    Ref<Field> Item(std::int32_t i) override {
        HIT("Fields.Item");
        if (i < 1 || i > Count()) raise(code::NotFound);
        return make(f_->conditions[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<Enumerator<Field>> enumerate() override {
        HIT("Fields.Enumerate");
        std::vector<Ref<Field>> out;
        for (auto& c : f_->conditions) out.push_back(make(c));
        return std::make_unique<VecEnum<Field>>(std::move(out));
    }
    Ref<Field> ItemByTag(std::int32_t t) override {
        HIT("Fields.Item");
        for (auto& c : f_->conditions)
            if (c.nameOrTag.type() != VarType::String && number(c.nameOrTag) == double(t))
                return make(c);
        raise(code::NotFound);
    }
    Ref<Field> ItemByName(const QString& name) override {
        HIT("Fields.Item");
        for (auto& c : f_->conditions)
            if (c.nameOrTag.type() == VarType::String && sameText(c.nameOrTag.asString(), name))
                return make(c);
        raise(code::NotFound);
    }
    Ref<Field> Add(const Variant& nameOrTag, std::int16_t type, const Variant& value) override {
        HIT("Fields.Add");
        f_->conditions.push_back(Condition{nameOrTag, type, value});
        return make(f_->conditions.back());
    }
    Ref<Field> Add(const Variant& nameOrTag, const Variant& value) override {
        HIT("Fields.Add");
        int type = static_cast<int>(value.type());
        if (nameOrTag.type() != VarType::String)
            type = varTypeOfTag(static_cast<std::int32_t>(number(nameOrTag).value_or(0)));
        f_->conditions.push_back(Condition{nameOrTag, type, value});
        return make(f_->conditions.back());
    }

  private:
    Ref<Field> make(const Condition& c) {
        FieldData d;
        if (c.nameOrTag.type() == VarType::String)
            d.name = c.nameOrTag.asString();
        else
            d.id = static_cast<std::int32_t>(number(c.nameOrTag).value_or(0));
        d.value = c.value;
        d.type = c.type;
        return makeRef<FakeField>(w_, Slot{d, nullptr});
    }
    WorldPtr w_;
    std::shared_ptr<FilterState> f_;
};

class FakeFilter : public Filter {
  public:
    FakeFilter(WorldPtr w, std::shared_ptr<FilterState> f) : w_(std::move(w)), f_(std::move(f)) {}
    void Set(const QString& member, const Variant& value) override {
        HIT("Filter.Set");
        const QString name = canonical(member);
        for (auto& [k, v] : f_->members)
            if (k == name) {
                v = value;
                return;
            }
        f_->members.emplace_back(name, value);
    }
    Variant Get(const QString& member) override {
        HIT("Filter.Get");
        const QString name = canonical(member);
        for (auto& [k, v] : f_->members)
            if (k == name) return v;
        return Variant();
    }
    Ref<Fields> FieldsOf() override {
        HIT("Filter.Fields");
        return makeRef<FilterFieldsImpl>(w_, f_);
    }

  private:
    QString canonical(const QString& member) const {
        for (const QString& m : f_->forMessages ? kMessageMembers : kAddressMembers)
            if (sameText(m, member)) return m;
        raise(code::NoSupport);
    }
    WorldPtr w_;
    std::shared_ptr<FilterState> f_;
};

bool flag(const FilterState& f, const char* member) {
    const Variant v = f.get(member);
    if (v.isEmpty() || v.isNull()) return false;
    try {
        return coerce(v, 11).asBoolean();
    } catch (const Error&) {
        raise(code::InvalidParameter);
    }
}

// The field conditions, combined by Or (else And), negated by Not.
bool fieldsMatch(const FilterState& f, const std::vector<Slot>& fields,
                 const std::function<std::optional<bool>(const Condition&)>& special) {
    if (f.conditions.empty()) return true;
    const bool any = flag(f, "Or");
    bool result = !any;
    for (const Condition& c : f.conditions) {
        std::optional<bool> one = special ? special(c) : std::nullopt;
        if (!one) {
            one = false;
            Variant want;
            try {
                want = coerce(c.value, c.type);
            } catch (const Error&) {
                want = c.value;
            }
            for (const Slot& s : fields) {
                const bool hit =
                    c.nameOrTag.type() == VarType::String && !vb::isNumeric(c.nameOrTag.asString())
                        ? sameText(s.data.name, c.nameOrTag.asString())
                        : number(c.nameOrTag) == double(s.data.id);
                if (hit) {
                    one = sameValue(want, s.data.value);
                    break;
                }
            }
        }
        result = any ? (result || *one) : (result && *one);
    }
    return flag(f, "Not") ? !result : result;
}

// ---- standard properties as fields ------------------------------------------------------

std::vector<Slot> messageSlots(const std::shared_ptr<MessageData>& m) {
    std::vector<Slot> out;
    auto add = [&](const char* member, std::uint32_t t, Variant v,
                   std::function<void(const Variant&)> set) {
        if (member && m->missing.contains(QLatin1String(member))) return;
        out.push_back(
            Slot{FieldData{tag(t), QString(), std::move(v), std::nullopt}, std::move(set)});
    };
    add("Importance", 0x00170003, m->importance,
        [m](const Variant& v) { m->importance = coerce(v, 3).asLong(); });
    add("Type", 0x001A001E, m->type, [m](const Variant& v) { m->type = v.toText(); });
    add("Subject", 0x0037001E, m->subject, [m](const Variant& v) { m->subject = v.toText(); });
    add("TimeSent", 0x00390040, m->timeSent,
        [m](const Variant& v) { m->timeSent = coerce(v, 7).asDate(); });
    add("ConversationTopic", 0x0070001E, m->conversationTopic,
        [m](const Variant& v) { m->conversationTopic = v.toText(); });
    add("ConversationIndex", 0x00710102, QByteArray::fromHex(m->conversationIndex.toLatin1()),
        [m](const Variant& v) { m->conversationIndex = v.toText(); });
    if (m->hasSender)
        add(nullptr, 0x0C1A001E, m->senderName,
            [m](const Variant& v) { m->senderName = v.toText(); });
    add("TimeReceived", 0x0E060040, m->timeReceived,
        [m](const Variant& v) { m->timeReceived = coerce(v, 7).asDate(); });
    add("Unread", 0x0E070003, std::int32_t((m->unread ? 0 : 1) | (m->sent ? 0 : 8)), nullptr);
    add("Size", 0x0E080003, m->size, [m](const Variant& v) { m->size = coerce(v, 3).asLong(); });
    add("Text", 0x1000001E, m->text, [m](const Variant& v) { m->text = v.toText(); });
    for (const FieldData& f : m->fields) {
        const FieldData key = f;
        out.push_back(Slot{f, [m, key](const Variant& v) {
                               for (auto& x : m->fields)
                                   if (x.id == key.id && x.name == key.name) x.value = v;
                           }});
    }
    return out;
}

std::vector<Slot> entrySlots(const std::shared_ptr<EntryData>& e) {
    std::vector<Slot> out;
    auto add = [&](const char* member, std::uint32_t t, Variant v,
                   std::function<void(const Variant&)> set) {
        if (e->missing.contains(QLatin1String(member))) return;
        out.push_back(
            Slot{FieldData{tag(t), QString(), std::move(v), std::nullopt}, std::move(set)});
    };
    add("Name", 0x3001001E, e->name, [e](const Variant& v) { e->name = v.toText(); });
    add("Type", 0x3002001E, e->type, [e](const Variant& v) { e->type = v.toText(); });
    add("Address", 0x3003001E, e->address, [e](const Variant& v) { e->address = v.toText(); });
    add("Comment", 0x3004001E, e->comment, [e](const Variant& v) { e->comment = v.toText(); });
    add("DisplayType", 0x39000003, e->displayType,
        [e](const Variant& v) { e->displayType = coerce(v, 3).asLong(); });
    add("Alias", 0x3A00001E, e->alias, [e](const Variant& v) { e->alias = v.toText(); });
    add("SendRichInfo", 0x3A40000B, e->sendRichInfo,
        [e](const Variant& v) { e->sendRichInfo = coerce(v, 11).asBoolean(); });
    for (const FieldData& f : e->fields) {
        const FieldData key = f;
        out.push_back(Slot{f, [e, key](const Variant& v) {
                               for (auto& x : e->fields)
                                   if (x.id == key.id && x.name == key.name) x.value = v;
                           }});
    }
    return out;
}

// Fields.Add on an object: a standard tag writes the property, anything else
// adds or replaces a custom field.
template <class Data>
FakeFields::Adder objectAdder(const std::shared_ptr<Data>& d, WorldPtr w,
                              std::vector<Slot> (*slotsOf)(const std::shared_ptr<Data>&)) {
    return [d, w, slotsOf](const Variant& nameOrTag, int varType, const Variant& value) -> Slot {
        const bool byTag =
            nameOrTag.type() != VarType::String || vb::isNumeric(nameOrTag.asString());
        if (byTag) {
            const std::int32_t t = nameOrTag.type() == VarType::String
                                       ? vb::toLong(nameOrTag.asString())
                                       : static_cast<std::int32_t>(number(nameOrTag).value_or(0));
            for (Slot& s : slotsOf(d))
                if (s.data.id == t && s.set && !(t & 0x80000000)) {
                    const bool custom = std::any_of(d->fields.begin(), d->fields.end(),
                                                    [&](const FieldData& f) { return f.id == t; });
                    if (custom) break;
                    const Variant v = coerce(value, varType);
                    s.set(v);
                    s.data.value = v;
                    return s;
                }
        }
        return putCustom(d->fields, nameOrTag, varType, value, *w);
    };
}

// ---- address book ---------------------------------------------------------------------

using EntryVec = std::vector<std::shared_ptr<EntryData>>;

class FakeAddressEntries;

class FakeAddressEntry : public AddressEntry {
  public:
    // `container` holds the entry (nullptr for a message's sender); `list` is the
    // address list it belongs to, whose read-only mark Update honours.
    FakeAddressEntry(WorldPtr w, std::shared_ptr<EntryData> e, std::shared_ptr<EntryVec> container,
                     std::shared_ptr<ListData> list)
        : w_(std::move(w)),
          e_(std::move(e)),
          container_(std::move(container)),
          list_(std::move(list)) {}

    QString ID() override {
        HIT("AddressEntry.ID");
        need(e_->missing, "ID");
        return e_->id;
    }
    QString Name() override {
        HIT("AddressEntry.Name");
        need(e_->missing, "Name");
        return e_->name;
    }
    QString Address() override {
        HIT("AddressEntry.Address");
        need(e_->missing, "Address");
        return e_->address;
    }
    QString Type() override {
        HIT("AddressEntry.Type");
        need(e_->missing, "Type");
        return e_->type;
    }
    std::int32_t DisplayType() override {
        HIT("AddressEntry.DisplayType");
        need(e_->missing, "DisplayType");
        return e_->displayType;
    }
    void SetName(const QString& v) override {
        HIT("AddressEntry.Name=");
        e_->name = v;
        e_->missing.remove(QStringLiteral("Name"));
    }
    void SetAddress(const QString& v) override {
        HIT("AddressEntry.Address=");
        e_->address = v;
        e_->missing.remove(QStringLiteral("Address"));
    }
    void SetType(const QString& v) override {
        HIT("AddressEntry.Type=");
        e_->type = v;
        e_->missing.remove(QStringLiteral("Type"));
    }
    Ref<Fields> FieldsOf() override {
        HIT("AddressEntry.Fields");
        auto e = e_;
        return makeRef<FakeFields>(
            w_, [e] { return entrySlots(e); }, objectAdder<EntryData>(e, w_, &entrySlots));
    }
    Ref<AddressEntries> Members() override;
    void Details() override {
        HIT("AddressEntry.Details");
        if (w_->details)
            w_->details(*this);
        else
            store::runDetails(*this);
    }
    void Update() override {
        HIT("AddressEntry.Update");
        if (list_ && list_->readOnly) raise(code::NoAccess);
        if (e_->id.isEmpty()) e_->id = w_->newId(QLatin1Char('E'));
        if (container_ &&
            std::find(container_->begin(), container_->end(), e_) == container_->end())
            container_->push_back(e_);
        // New members of a distribution list are saved with it.
        for (auto& m : pendingMembers_)
            if (std::find(e_->members.begin(), e_->members.end(), m) == e_->members.end()) {
                if (m->id.isEmpty()) m->id = w_->newId(QLatin1Char('E'));
                e_->members.push_back(m);
            }
        pendingMembers_.clear();
    }
    void Delete() override {
        HIT("AddressEntry.Delete");
        if (list_ && list_->readOnly) raise(code::NoAccess);
        if (!container_) raise(code::NoSupport);
        auto it = std::find(container_->begin(), container_->end(), e_);
        if (it == container_->end()) raise(code::NotFound);
        container_->erase(it);
    }

    std::vector<std::shared_ptr<EntryData>> pendingMembers_;

  private:
    WorldPtr w_;
    std::shared_ptr<EntryData> e_;
    std::shared_ptr<EntryVec> container_;
    std::shared_ptr<ListData> list_;
};

bool entryMatches(const EntryData& e, const FilterState& f) {
    if (f.has("Name") && !hasText(e.name, textOrEmpty(f.get("Name")))) return false;
    if (f.has("Address") && !hasText(e.address, textOrEmpty(f.get("Address")))) return false;
    auto e2 = std::make_shared<EntryData>(e);
    return fieldsMatch(f, entrySlots(e2), [&](const Condition& c) -> std::optional<bool> {
        // The account (alias) matches exactly, ignoring case.
        if (c.nameOrTag.type() != VarType::String && number(c.nameOrTag) == double(0x3A00001E))
            return sameText(e.alias, textOrEmpty(c.value));
        return std::nullopt;
    });
}

class FakeAddressEntries : public AddressEntries {
  public:
    // `owner` is set for a distribution list's members: new members are saved by
    // its Update (or their own).
    FakeAddressEntries(WorldPtr w, std::shared_ptr<EntryVec> items, std::shared_ptr<ListData> list,
                       FakeAddressEntry* owner = nullptr, std::shared_ptr<Object> keep = nullptr)
        : w_(std::move(w)),
          items_(std::move(items)),
          list_(std::move(list)),
          owner_(owner),
          keep_(std::move(keep)) {
        filter_->forMessages = false;
    }

    std::int32_t Count() override {
        HIT("AddressEntries.Count");
        return static_cast<std::int32_t>(matching().size());
    }
    Ref<AddressEntry> Item(std::int32_t i) override {
        HIT("AddressEntries.Item");
        auto all = matching();
        if (i < 1 || i > static_cast<std::int32_t>(all.size())) raise(code::NotFound);
        return make(all[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<Enumerator<AddressEntry>> enumerate() override {
        HIT("AddressEntries.Enumerate");
        std::vector<Ref<AddressEntry>> out;
        for (auto& e : matching()) out.push_back(make(e));
        return std::make_unique<VecEnum<AddressEntry>>(std::move(out));
    }
    Ref<AddressEntry> GetFirst() override {
        HIT("AddressEntries.GetFirst");
        walk_ = matching();
        pos_ = 0;
        started_ = true;
        return step();
    }
    Ref<AddressEntry> GetNext() override {
        HIT("AddressEntries.GetNext");
        if (!started_) return Ref<AddressEntry>();
        return step();
    }
    Ref<Filter> FilterOf() override {
        HIT("AddressEntries.Filter");
        return makeRef<FakeFilter>(w_, filter_);
    }
    Ref<AddressEntry> Add(const QString& type, const QString& name) override {
        HIT("AddressEntries.Add");
        auto e = std::make_shared<EntryData>();
        e->type = type;
        e->name = name;
        if (type.compare(QLatin1String("MAPIPDL"), Qt::CaseInsensitive) == 0) e->displayType = 5;
        auto ref = std::make_shared<FakeAddressEntry>(w_, e, items_, list_);
        if (owner_) owner_->pendingMembers_.push_back(e);
        return Ref<AddressEntry>(ref);
    }

  private:
    EntryVec matching() {
        EntryVec out;
        for (auto& e : *items_)
            if (entryMatches(*e, *filter_)) out.push_back(e);
        return out;
    }
    Ref<AddressEntry> step() {
        if (pos_ >= walk_.size()) return Ref<AddressEntry>();
        return make(walk_[pos_++]);
    }
    Ref<AddressEntry> make(const std::shared_ptr<EntryData>& e) {
        return makeRef<FakeAddressEntry>(w_, e, items_, list_);
    }
    WorldPtr w_;
    std::shared_ptr<EntryVec> items_;
    std::shared_ptr<ListData> list_;
    FakeAddressEntry* owner_;
    std::shared_ptr<Object> keep_;
    std::shared_ptr<FilterState> filter_ = std::make_shared<FilterState>();
    EntryVec walk_;
    std::size_t pos_ = 0;
    bool started_ = false;
};

Ref<AddressEntries> FakeAddressEntry::Members() {
    HIT("AddressEntry.Members");
    if (e_->type.compare(QLatin1String("MAPIPDL"), Qt::CaseInsensitive) != 0)
        raise(code::NoSupport);
    auto self = std::static_pointer_cast<FakeAddressEntry>(shared_from_this());
    return makeRef<FakeAddressEntries>(w_, std::shared_ptr<EntryVec>(e_, &e_->members), list_, this,
                                       self);
}

class FakeAddressList : public AddressList {
  public:
    FakeAddressList(WorldPtr w, std::shared_ptr<ListData> l) : w_(std::move(w)), l_(std::move(l)) {}
    QString ID() override {
        HIT("AddressList.ID");
        return l_->id;
    }
    QString Name() override {
        HIT("AddressList.Name");
        return l_->name;
    }
    Ref<AddressEntries> AddressEntriesOf() override {
        HIT("AddressList.AddressEntries");
        return makeRef<FakeAddressEntries>(w_, std::shared_ptr<EntryVec>(l_, &l_->entries), l_);
    }

  private:
    WorldPtr w_;
    std::shared_ptr<ListData> l_;
};

class FakeAddressLists : public AddressLists {
  public:
    FakeAddressLists(WorldPtr w, QString profile)
        : w_(std::move(w)), profile_(std::move(profile)) {}
    std::int32_t Count() override {
        HIT("AddressLists.Count");
        return static_cast<std::int32_t>(lists().size());
    }
    Ref<AddressList> Item(std::int32_t i) override {
        HIT("AddressLists.Item");
        auto& all = lists();
        if (i < 1 || i > static_cast<std::int32_t>(all.size())) raise(code::NotFound);
        return makeRef<FakeAddressList>(w_, all[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<Enumerator<AddressList>> enumerate() override {
        HIT("AddressLists.Enumerate");
        std::vector<Ref<AddressList>> out;
        for (auto& l : lists()) out.push_back(makeRef<FakeAddressList>(w_, l));
        return std::make_unique<VecEnum<AddressList>>(std::move(out));
    }
    Ref<AddressList> ItemByName(const QString& name) override {
        HIT("AddressLists.Item");
        for (auto& l : lists())
            if (sameText(l->name, name)) return makeRef<FakeAddressList>(w_, l);
        raise(code::NotFound);
    }

  private:
    std::vector<std::shared_ptr<ListData>>& lists() {
        ProfileData* p = w_->profile(profile_);
        if (!p) raise(code::NotInitialized);
        return p->lists;
    }
    WorldPtr w_;
    QString profile_;
};

// ---- messages -------------------------------------------------------------------------

using RecipVec = std::vector<RecipientData>;

class FakeRecipient : public Recipient {
  public:
    FakeRecipient(WorldPtr w, QString profile, std::shared_ptr<RecipVec> v, std::size_t i)
        : w_(std::move(w)), profile_(std::move(profile)), v_(std::move(v)), i_(i) {}
    QString Name() override {
        HIT("Recipient.Name");
        return r().name;
    }
    std::int32_t Type() override {
        HIT("Recipient.Type");
        return r().type;
    }
    QString Address() override {
        HIT("Recipient.Address");
        return r().address;
    }
    std::int32_t DisplayType() override {
        HIT("Recipient.DisplayType");
        return r().displayType;
    }
    void SetName(const QString& v) override {
        HIT("Recipient.Name=");
        r().name = v;
    }
    void SetType(std::int32_t v) override {
        HIT("Recipient.Type=");
        r().type = v;
    }
    void SetAddress(const QString& v) override {
        HIT("Recipient.Address=");
        r().address = v;
    }
    void Resolve() override {
        HIT("Recipient.Resolve");
        ProfileData* p = w_->profile(profile_);
        std::vector<std::shared_ptr<EntryData>> found;
        if (p)
            for (auto& l : p->lists)
                for (auto& e : l->entries)
                    if ((sameText(e->name, r().name) || sameText(e->alias, r().name)) &&
                        std::find(found.begin(), found.end(), e) == found.end())
                        found.push_back(e);
        if (found.empty()) raise(code::NotFound);
        if (found.size() > 1) raise(code::AmbiguousRecip);
        RecipientData& d = r();
        d.name = found[0]->name;
        d.address = found[0]->address;
        d.addressType = found[0]->type;
        d.displayType = found[0]->displayType;
        d.entryId = found[0]->id;
    }

  private:
    RecipientData& r() {
        if (i_ >= v_->size()) raise(code::ObjectDeleted);
        return (*v_)[i_];
    }
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<RecipVec> v_;
    std::size_t i_;
};

class FakeRecipients : public Recipients {
  public:
    FakeRecipients(WorldPtr w, QString profile, std::shared_ptr<RecipVec> v)
        : w_(std::move(w)), profile_(std::move(profile)), v_(std::move(v)) {}
    std::int32_t Count() override {
        HIT("Recipients.Count");
        return static_cast<std::int32_t>(v_->size());
    }
    Ref<Recipient> Item(std::int32_t i) override {
        HIT("Recipients.Item");
        if (i < 1 || i > static_cast<std::int32_t>(v_->size())) raise(code::NotFound);
        return makeRef<FakeRecipient>(w_, profile_, v_, static_cast<std::size_t>(i - 1));
    }
    std::unique_ptr<Enumerator<Recipient>> enumerate() override {
        HIT("Recipients.Enumerate");
        std::vector<Ref<Recipient>> out;
        for (std::size_t i = 0; i < v_->size(); ++i)
            out.push_back(makeRef<FakeRecipient>(w_, profile_, v_, i));
        return std::make_unique<VecEnum<Recipient>>(std::move(out));
    }
    Ref<Recipient> Add(const QString& name, std::int32_t type) override {
        HIT("Recipients.Add");
        v_->push_back(RecipientData{name, type, QString(), 0, QString(), QString()});
        return makeRef<FakeRecipient>(w_, profile_, v_, v_->size() - 1);
    }

  private:
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<RecipVec> v_;
};

using AttachVec = std::vector<AttachmentData>;

class FakeAttachment : public Attachment {
  public:
    FakeAttachment(WorldPtr w, std::shared_ptr<AttachVec> v, std::size_t i)
        : w_(std::move(w)), v_(std::move(v)), i_(i) {}
    QString Name() override {
        HIT("Attachment.Name");
        return a().name;
    }
    std::int32_t Type() override {
        HIT("Attachment.Type");
        return a().type;
    }
    std::int32_t Position() override {
        HIT("Attachment.Position");
        return a().position;
    }
    void SetName(const QString& v) override {
        HIT("Attachment.Name=");
        a().name = v;
    }
    void SetType(std::int32_t v) override {
        HIT("Attachment.Type=");
        a().type = v;
    }
    void SetPosition(std::int32_t v) override {
        HIT("Attachment.Position=");
        a().position = v;
    }
    void ReadFromFile(const QString& path) override {
        HIT("Attachment.ReadFromFile");
        QFile f(path);
        if (!QFileInfo::exists(path)) raise(code::NotFound);
        if (!f.open(QIODevice::ReadOnly)) raise(code::NoAccess);
        a().data = f.readAll();
    }
    void WriteToFile(const QString& path) override {
        HIT("Attachment.WriteToFile");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) raise(code::NoAccess);
        if (f.write(a().data) != a().data.size()) raise(code::NoAccess);
    }

  private:
    AttachmentData& a() {
        if (i_ >= v_->size()) raise(code::ObjectDeleted);
        return (*v_)[i_];
    }
    WorldPtr w_;
    std::shared_ptr<AttachVec> v_;
    std::size_t i_;
};

class FakeAttachments : public Attachments {
  public:
    FakeAttachments(WorldPtr w, std::shared_ptr<AttachVec> v)
        : w_(std::move(w)), v_(std::move(v)) {}
    std::int32_t Count() override {
        HIT("Attachments.Count");
        return static_cast<std::int32_t>(v_->size());
    }
    Ref<Attachment> Item(std::int32_t i) override {
        HIT("Attachments.Item");
        if (i < 1 || i > static_cast<std::int32_t>(v_->size())) raise(code::NotFound);
        return makeRef<FakeAttachment>(w_, v_, static_cast<std::size_t>(i - 1));
    }
    std::unique_ptr<Enumerator<Attachment>> enumerate() override {
        HIT("Attachments.Enumerate");
        std::vector<Ref<Attachment>> out;
        for (std::size_t i = 0; i < v_->size(); ++i)
            out.push_back(makeRef<FakeAttachment>(w_, v_, i));
        return std::make_unique<VecEnum<Attachment>>(std::move(out));
    }
    Ref<Attachment> Add() override {
        HIT("Attachments.Add");
        AttachmentData d;
        d.position = static_cast<std::int32_t>(v_->size());
        v_->push_back(d);
        return makeRef<FakeAttachment>(w_, v_, v_->size() - 1);
    }

  private:
    WorldPtr w_;
    std::shared_ptr<AttachVec> v_;
};

class FakeMessage : public Message {
  public:
    FakeMessage(WorldPtr w, QString profile, std::shared_ptr<MessageData> m,
                std::shared_ptr<FolderData> folder)
        : w_(std::move(w)),
          profile_(std::move(profile)),
          m_(std::move(m)),
          folder_(std::move(folder)) {}

#define FAKE_GET(T, member, expr)   \
    T member() override {           \
        HIT("Message." #member);    \
        need(m_->missing, #member); \
        return expr;                \
    }
    FAKE_GET(QString, ID, m_->id)
    FAKE_GET(QString, Subject, m_->subject)
    FAKE_GET(QString, Text, m_->text)
    FAKE_GET(Variant, Importance, m_->importance)
    FAKE_GET(Variant, Size, m_->size)
    FAKE_GET(Variant, TimeReceived, m_->timeReceived)
    FAKE_GET(Variant, TimeSent, m_->timeSent)
    FAKE_GET(QString, Type, m_->type)
    FAKE_GET(Variant, Unread, m_->unread)
    FAKE_GET(Variant, Sent, m_->sent)
    FAKE_GET(QString, ConversationIndex, m_->conversationIndex)
    FAKE_GET(QString, ConversationTopic, m_->conversationTopic)
    FAKE_GET(Variant, DeliveryReceipt, m_->deliveryReceipt)
    FAKE_GET(Variant, ReadReceipt, m_->readReceipt)
#undef FAKE_GET

    Ref<AddressEntry> Sender() override {
        HIT("Message.Sender");
        if (!m_->hasSender) raise(code::NotFound);
        auto e = std::make_shared<EntryData>();
        e->id = QStringLiteral("SENDER:") + m_->senderAddress;
        e->name = m_->senderName;
        e->address = m_->senderAddress;
        return makeRef<FakeAddressEntry>(w_, e, nullptr, nullptr);
    }
    Ref<Attachments> AttachmentsOf() override {
        HIT("Message.Attachments");
        return makeRef<FakeAttachments>(w_, std::shared_ptr<AttachVec>(m_, &m_->attachments));
    }
    Ref<Recipients> RecipientsOf() override {
        HIT("Message.Recipients");
        return makeRef<FakeRecipients>(w_, profile_,
                                       std::shared_ptr<RecipVec>(m_, &m_->recipients));
    }
    Ref<Fields> FieldsOf() override {
        HIT("Message.Fields");
        auto m = m_;
        return makeRef<FakeFields>(
            w_, [m] { return messageSlots(m); }, objectAdder<MessageData>(m, w_, &messageSlots));
    }
    void SetSubject(const QString& v) override {
        HIT("Message.Subject=");
        m_->subject = v;
        m_->missing.remove(QStringLiteral("Subject"));
    }
    void SetText(const QString& v) override {
        HIT("Message.Text=");
        m_->text = v;
        m_->missing.remove(QStringLiteral("Text"));
    }
    void SetImportance(std::int32_t v) override {
        HIT("Message.Importance=");
        m_->importance = v;
        m_->missing.remove(QStringLiteral("Importance"));
    }
    void SetType(const QString& v) override {
        HIT("Message.Type=");
        m_->type = v;
        m_->missing.remove(QStringLiteral("Type"));
    }
    void SetDeliveryReceipt(bool v) override {
        HIT("Message.DeliveryReceipt=");
        m_->deliveryReceipt = v;
    }
    void SetReadReceipt(bool v) override {
        HIT("Message.ReadReceipt=");
        m_->readReceipt = v;
    }
    void Update() override {
        HIT("Message.Update");
        if (!m_->saved) {
            if (!folder_) raise(code::NoSupport);
            if (m_->id.isEmpty()) m_->id = w_->newId(QLatin1Char('M'));
            folder_->messages.push_back(m_);
            m_->saved = true;
        }
        ++m_->updates;
    }
    void Delete() override {
        HIT("Message.Delete");
        if (!folder_) raise(code::NotFound);
        auto& v = folder_->messages;
        auto it = std::find(v.begin(), v.end(), m_);
        if (it == v.end()) raise(code::NotFound);
        v.erase(it);
    }

  private:
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<MessageData> m_;
    std::shared_ptr<FolderData> folder_;
};

bool messageMatches(const MessageData& m, const FilterState& f) {
    auto text = [&](const char* member) { return textOrEmpty(f.get(member)); };
    auto missing = [&](const char* member) { return m.missing.contains(QLatin1String(member)); };
    try {
        if (f.has("Subject") && (missing("Subject") || !hasText(m.subject, text("Subject"))))
            return false;
        if (f.has("Text") && (missing("Text") || !hasText(m.text, text("Text")))) return false;
        if (f.has("Sender") && (!m.hasSender || (!hasText(m.senderName, text("Sender")) &&
                                                 !hasText(m.senderAddress, text("Sender")))))
            return false;
        if (f.has("Recipients")) {
            const QString want = text("Recipients");
            const bool any =
                std::any_of(m.recipients.begin(), m.recipients.end(), [&](const RecipientData& r) {
                    return hasText(r.name, want) || hasText(r.address, want);
                });
            if (!any) return false;
        }
        if (f.has("Importance") &&
            (missing("Importance") || coerce(f.get("Importance"), 3).asLong() != m.importance))
            return false;
        if (f.has("Size") && (missing("Size") || m.size < coerce(f.get("Size"), 3).asLong()))
            return false;
        if (f.has("Sent") && (missing("Sent") || flag(f, "Sent") != m.sent)) return false;
        if (f.has("Unread") && (missing("Unread") || flag(f, "Unread") != m.unread)) return false;
        if (f.has("Type") && (missing("Type") || !sameText(m.type, text("Type")))) return false;
        for (const char* bound : {"TimeFirst", "TimeLast"}) {
            if (!f.has(bound)) continue;
            const Variant v = f.get(bound);
            if (v.type() == VarType::String && !vb::isDate(v.asString()))
                raise(code::InvalidParameter);
            const double limit = coerce(v, 7).asDate().serial;
            if (missing("TimeReceived")) return false;
            const double t = m.timeReceived.serial;
            if (QLatin1String(bound) == QLatin1String("TimeFirst") ? t < limit : t > limit)
                return false;
        }
    } catch (const Error& e) {
        if (e.number() == code::InvalidParameter) throw;
        raise(code::InvalidParameter);
    }
    auto m2 = std::make_shared<MessageData>(m);
    return fieldsMatch(f, messageSlots(m2), nullptr);
}

class FakeMessages : public Messages {
  public:
    FakeMessages(WorldPtr w, QString profile, std::shared_ptr<FolderData> folder)
        : w_(std::move(w)), profile_(std::move(profile)), folder_(std::move(folder)) {}
    std::int32_t Count() override {
        HIT("Messages.Count");
        return static_cast<std::int32_t>(matching().size());
    }
    Ref<Message> Item(std::int32_t i) override {
        HIT("Messages.Item");
        auto all = matching();
        if (i < 1 || i > static_cast<std::int32_t>(all.size())) raise(code::NotFound);
        return make(all[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<Enumerator<Message>> enumerate() override {
        HIT("Messages.Enumerate");
        std::vector<Ref<Message>> out;
        for (auto& m : matching()) out.push_back(make(m));
        return std::make_unique<VecEnum<Message>>(std::move(out));
    }
    Ref<Message> GetFirst() override {
        HIT("Messages.GetFirst");
        walk_ = matching();
        pos_ = 0;
        started_ = true;
        return step();
    }
    Ref<Message> GetNext() override {
        HIT("Messages.GetNext");
        if (!started_) return Ref<Message>();
        return step();
    }
    Ref<Filter> FilterOf() override {
        HIT("Messages.Filter");
        return makeRef<FakeFilter>(w_, filter_);
    }
    Ref<Message> Add() override {
        HIT("Messages.Add");
        auto m = std::make_shared<MessageData>();
        m->saved = false;
        m->sent = false;
        m->unread = false;
        m->hasSender = false;
        return make(m);
    }

  private:
    std::vector<std::shared_ptr<MessageData>> matching() {
        std::vector<std::shared_ptr<MessageData>> out;
        for (auto& m : folder_->messages)
            if (messageMatches(*m, *filter_)) out.push_back(m);
        return out;
    }
    Ref<Message> step() {
        if (pos_ >= walk_.size()) return Ref<Message>();
        return make(walk_[pos_++]);
    }
    Ref<Message> make(const std::shared_ptr<MessageData>& m) {
        return makeRef<FakeMessage>(w_, profile_, m, folder_);
    }
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<FolderData> folder_;
    std::shared_ptr<FilterState> filter_ = std::make_shared<FilterState>();
    std::vector<std::shared_ptr<MessageData>> walk_;
    std::size_t pos_ = 0;
    bool started_ = false;
};

class FakeFolder;

class FakeFolders : public Folders {
  public:
    FakeFolders(WorldPtr w, QString profile, std::shared_ptr<FolderData> parent)
        : w_(std::move(w)), profile_(std::move(profile)), parent_(std::move(parent)) {}
    std::int32_t Count() override {
        HIT("Folders.Count");
        return static_cast<std::int32_t>(parent_->folders.size());
    }
    Ref<Folder> Item(std::int32_t i) override;
    std::unique_ptr<Enumerator<Folder>> enumerate() override;
    Ref<Folder> GetFirst() override {
        HIT("Folders.GetFirst");
        walk_ = parent_->folders;
        pos_ = 0;
        started_ = true;
        return step();
    }
    Ref<Folder> GetNext() override {
        HIT("Folders.GetNext");
        if (!started_) return Ref<Folder>();
        return step();
    }

  private:
    Ref<Folder> step();
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<FolderData> parent_;
    std::vector<std::shared_ptr<FolderData>> walk_;
    std::size_t pos_ = 0;
    bool started_ = false;
};

class FakeFolder : public Folder {
  public:
    FakeFolder(WorldPtr w, QString profile, std::shared_ptr<FolderData> f)
        : w_(std::move(w)), profile_(std::move(profile)), f_(std::move(f)) {}
    QString ID() override {
        HIT("Folder.ID");
        return f_->id;
    }
    QString Name() override {
        HIT("Folder.Name");
        return f_->name;
    }
    Ref<Folders> FoldersOf() override {
        HIT("Folder.Folders");
        return makeRef<FakeFolders>(w_, profile_, f_);
    }
    Ref<Messages> MessagesOf() override {
        HIT("Folder.Messages");
        return makeRef<FakeMessages>(w_, profile_, f_);
    }

  private:
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<FolderData> f_;
};

Ref<Folder> FakeFolders::Item(std::int32_t i) {
    HIT("Folders.Item");
    if (i < 1 || i > static_cast<std::int32_t>(parent_->folders.size())) raise(code::NotFound);
    return makeRef<FakeFolder>(w_, profile_, parent_->folders[static_cast<std::size_t>(i - 1)]);
}

std::unique_ptr<Enumerator<Folder>> FakeFolders::enumerate() {
    HIT("Folders.Enumerate");
    std::vector<Ref<Folder>> out;
    for (auto& f : parent_->folders) out.push_back(makeRef<FakeFolder>(w_, profile_, f));
    return std::make_unique<VecEnum<Folder>>(std::move(out));
}

Ref<Folder> FakeFolders::step() {
    if (pos_ >= walk_.size()) return Ref<Folder>();
    return makeRef<FakeFolder>(w_, profile_, walk_[pos_++]);
}

class FakeInfoStore : public InfoStore {
  public:
    FakeInfoStore(WorldPtr w, QString profile, std::shared_ptr<StoreData> s)
        : w_(std::move(w)), profile_(std::move(profile)), s_(std::move(s)) {}
    QString ID() override {
        HIT("InfoStore.ID");
        return s_->id;
    }
    QString Name() override {
        HIT("InfoStore.Name");
        return s_->name;
    }
    Ref<Folder> RootFolder() override {
        HIT("InfoStore.RootFolder");
        if (!s_->root) raise(code::NotFound);
        return makeRef<FakeFolder>(w_, profile_, s_->root);
    }

  private:
    WorldPtr w_;
    QString profile_;
    std::shared_ptr<StoreData> s_;
};

class FakeInfoStores : public InfoStores {
  public:
    FakeInfoStores(WorldPtr w, QString profile) : w_(std::move(w)), profile_(std::move(profile)) {}
    std::int32_t Count() override {
        HIT("InfoStores.Count");
        return static_cast<std::int32_t>(stores().size());
    }
    Ref<InfoStore> Item(std::int32_t i) override {
        HIT("InfoStores.Item");
        auto& all = stores();
        if (i < 1 || i > static_cast<std::int32_t>(all.size())) raise(code::NotFound);
        return makeRef<FakeInfoStore>(w_, profile_, all[static_cast<std::size_t>(i - 1)]);
    }
    std::unique_ptr<Enumerator<InfoStore>> enumerate() override {
        HIT("InfoStores.Enumerate");
        std::vector<Ref<InfoStore>> out;
        for (auto& s : stores()) out.push_back(makeRef<FakeInfoStore>(w_, profile_, s));
        return std::make_unique<VecEnum<InfoStore>>(std::move(out));
    }
    Ref<InfoStore> ItemByName(const QString& name) override {
        HIT("InfoStores.Item");
        for (auto& s : stores())
            if (sameText(s->name, name)) return makeRef<FakeInfoStore>(w_, profile_, s);
        raise(code::NotFound);
    }

  private:
    std::vector<std::shared_ptr<StoreData>>& stores() {
        ProfileData* p = w_->profile(profile_);
        if (!p) raise(code::NotInitialized);
        return p->stores;
    }
    WorldPtr w_;
    QString profile_;
};

// ---- session --------------------------------------------------------------------------

class FakeSession : public Session {
  public:
    explicit FakeSession(WorldPtr w) : w_(std::move(w)) {}
    ~FakeSession() override {
        if (loggedOn_) --w_->sessionsLoggedOn;
    }

    void Logon(const LogonArgs& args) override {
        HIT("Session.Logon");
        w_->assignIds();
        QString chosen;
        if (args.newSession && !*args.newSession && w_->sessionsLoggedOn > 0 &&
            w_->profile(w_->sharedProfile)) {
            chosen = w_->sharedProfile;
        } else if (args.profileInfo) {
            const QStringList parts = args.profileInfo->split(QLatin1Char('\n'));
            const QString server = parts.value(0).trimmed();
            const QString mailbox = parts.value(1).trimmed();
            for (auto& p : w_->profiles)
                if (sameText(p.server, server) && sameText(p.mailbox, mailbox)) chosen = p.name;
            if (chosen.isEmpty()) raise(code::LogonFailed);
        } else if (args.showDialog && *args.showDialog) {
            QStringList names;
            for (auto& p : w_->profiles) names << p.name;
            const QString pre = args.profileName.value_or(defaultProfile());
            chosen = w_->profileDialog ? w_->profileDialog(names, pre)
                                       : store::runProfileChooser(names, pre);
            if (!w_->profile(chosen)) raise(code::LogonFailed);
        } else if (args.profileName && !args.profileName->isEmpty()) {
            ProfileData* p = w_->profile(*args.profileName);
            if (!p) raise(code::LogonFailed);
            if (!p->password.isEmpty() && args.profilePassword.value_or(QString()) != p->password)
                raise(code::LogonFailed);
            chosen = p->name;
        } else {
            chosen = defaultProfile();
            if (chosen.isEmpty()) raise(code::LogonFailed);
        }
        if (!loggedOn_) ++w_->sessionsLoggedOn;
        loggedOn_ = true;
        profile_ = w_->profile(chosen)->name;
        w_->sharedProfile = profile_;
    }
    void Logoff() override {
        HIT("Session.Logoff");
        if (!loggedOn_) raise(code::NotInitialized);
        loggedOn_ = false;
        --w_->sessionsLoggedOn;
    }
    Ref<InfoStores> InfoStoresOf() override {
        HIT("Session.InfoStores");
        check();
        return makeRef<FakeInfoStores>(w_, profile_);
    }
    Ref<AddressLists> AddressListsOf() override {
        HIT("Session.AddressLists");
        check();
        return makeRef<FakeAddressLists>(w_, profile_);
    }
    Ref<AddressList> AddressListByName(const QString& name) override {
        HIT("Session.AddressLists");
        check();
        for (auto& l : profile().lists)
            if (sameText(l->name, name)) return makeRef<FakeAddressList>(w_, l);
        raise(code::NotFound);
    }
    Ref<Folder> Outbox() override {
        HIT("Session.Outbox");
        check();
        for (auto& s : profile().stores)
            if (!s->outboxId.isEmpty())
                if (auto f = findFolder(s->root, s->outboxId))
                    return makeRef<FakeFolder>(w_, profile_, f);
        raise(code::NotFound);
    }
    Ref<InfoStore> GetInfoStore(const QString& storeId) override {
        HIT("Session.GetInfoStore");
        check();
        for (auto& s : profile().stores)
            if (s->id == storeId) return makeRef<FakeInfoStore>(w_, profile_, s);
        raise(code::NotFound);
    }
    Ref<Folder> GetFolder(const QString& folderId, const QString& storeId) override {
        HIT("Session.GetFolder");
        check();
        for (auto& s : profile().stores)
            if (storeId.isEmpty() || s->id == storeId)
                if (auto f = findFolder(s->root, folderId))
                    return makeRef<FakeFolder>(w_, profile_, f);
        raise(code::NotFound);
    }
    Ref<Message> GetMessage(const QString& messageId, const QString& storeId) override {
        HIT("Session.GetMessage");
        check();
        for (auto& s : profile().stores)
            if (storeId.isEmpty() || s->id == storeId)
                if (auto m = findMessage(s->root, messageId))
                    return makeRef<FakeMessage>(w_, profile_, m, folderHolding(s->root, m.get()));
        raise(code::NotFound);
    }
    Ref<Recipients> AddressBook(const AddressBookArgs& args) override {
        HIT("Session.AddressBook");
        check();
        const auto chosen =
            w_->addressBook ? w_->addressBook(*this, args) : store::runAddressBook(*this, args);
        auto v = std::make_shared<RecipVec>();
        for (const auto& c : chosen)
            v->push_back(
                RecipientData{c.name, c.type, c.address, c.displayType, c.addressType, c.entryId});
        return makeRef<FakeRecipients>(w_, profile_, v);
    }

  private:
    void check() {
        if (!loggedOn_ || !w_->profile(profile_)) raise(code::NotInitialized);
    }
    ProfileData& profile() { return *w_->profile(profile_); }
    QString defaultProfile() const {
        for (auto& p : w_->profiles)
            if (p.isDefault) return p.name;
        return w_->profiles.empty() ? QString() : w_->profiles.front().name;
    }
    WorldPtr w_;
    bool loggedOn_ = false;
    QString profile_;
};

#undef HIT

}  // namespace

Ref<Session> newSession(const std::shared_ptr<World>& world) {
    return makeRef<FakeSession>(world);
}

void install(const std::shared_ptr<World>& world) {
    mapi::installSessionFactory([world] { return newSession(world); });
}

// ---- the demo world -------------------------------------------------------------------

namespace {

Date at(int y, int mo, int d, int h, int mi) {
    return Date::fromDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi)));
}

std::shared_ptr<EntryData> person(const QString& id, const QString& name, const QString& address,
                                  const QString& alias) {
    auto e = std::make_shared<EntryData>();
    e->id = id;
    e->name = name;
    e->address = address;
    e->alias = alias;
    return e;
}

std::shared_ptr<FolderData> folder(const QString& id, const QString& name) {
    auto f = std::make_shared<FolderData>();
    f->id = id;
    f->name = name;
    return f;
}

}  // namespace

std::shared_ptr<World> demoWorld() {
    auto w = std::make_shared<World>();

    auto m1 = std::make_shared<MessageData>();
    m1->id = "M1";
    m1->subject = "Quarterly report";
    m1->text = "Please find the figures attached.";
    m1->importance = 2;
    m1->size = 2048;
    m1->timeSent = at(1999, 3, 1, 9, 15);
    m1->timeReceived = at(1999, 3, 1, 9, 16);
    m1->unread = true;
    m1->conversationIndex = "01BE63D3A1";
    m1->conversationTopic = "Quarterly report";
    m1->senderName = "Ann Archer";
    m1->senderAddress = "ann@example.com";
    m1->recipients = {{"John Smith", 1, "jsmith@example.com", 0, "SMTP", "E9"},
                      {"Bob Baker", 2, "bob@example.com", 0, "SMTP", "E2"},
                      {"Cy Cole", 3, "cy@example.com", 0, "SMTP", "E3"}};
    m1->attachments = {{"figures.txt", 1, 0, QByteArray("Q1 42\r\nQ2 47\r\n")}};
    m1->fields = {{tag(0x80010003), "Priority", std::int32_t(3), std::nullopt},
                  {tag(0x8002001E), "Project", QStringLiteral("Falcon"), std::nullopt},
                  {tag(0x8003000B), "Approved", true, std::nullopt},
                  {tag(0x80040040), "Due", at(1999, 4, 1, 0, 0), std::nullopt},
                  {tag(0x80050005), "Ratio", 0.25, std::nullopt},
                  {tag(0x80060006), "Budget", Currency{125000000}, std::nullopt},
                  {tag(0x8007000A), "Broken", ErrorValue{code::NotFound}, std::nullopt}};

    auto m2 = std::make_shared<MessageData>();
    m2->id = "M2";
    m2->subject = "Lunch?";
    m2->text = "Noon at the usual place.";
    m2->importance = 1;
    m2->size = 512;
    m2->timeSent = at(1999, 3, 2, 11, 0);
    m2->timeReceived = at(1999, 3, 2, 11, 1);
    m2->senderName = "Bob Baker";
    m2->senderAddress = "bob@example.com";
    m2->recipients = {{"John Smith", 1, "jsmith@example.com", 0, "SMTP", "E9"}};

    auto m3 = std::make_shared<MessageData>();
    m3->id = "M3";
    m3->subject = "Old plans";
    m3->text = "Kept for the record.";
    m3->importance = 0;
    m3->size = 128;
    m3->timeSent = at(1998, 12, 30, 16, 45);
    m3->timeReceived = at(1998, 12, 30, 16, 50);
    m3->type = "IPM.Note.Archive";
    m3->senderName = "Cy Cole";
    m3->senderAddress = "cy@example.com";

    auto s1 = std::make_shared<StoreData>();
    s1->id = "S1";
    s1->name = "Mailbox - John Smith";
    s1->root = folder("R1", "Top of Information Store");
    auto inbox = folder("F1", "Inbox");
    inbox->messages = {m1, m2};
    auto outbox = folder("F2", "Outbox");
    auto projects = folder("F3", "Projects");
    auto archive = folder("F4", "Archive");
    archive->messages = {m3};
    projects->folders = {archive};
    s1->root->folders = {inbox, outbox, projects};
    s1->outboxId = "F2";

    auto s2 = std::make_shared<StoreData>();
    s2->id = "S2";
    s2->name = "Public Folders";
    s2->root = folder("R2", "Public Folders");
    s2->root->folders = {folder("F5", "All Public Folders")};

    auto gal = std::make_shared<ListData>();
    gal->id = "L1";
    gal->name = "Global Address List";
    auto ann = person("E1", "Ann Archer", "ann@example.com", "ann");
    auto bob = person("E2", "Bob Baker", "bob@example.com", "bbaker");
    auto cy = person("E3", "Cy Cole", "cy@example.com", "ccole");
    cy->comment = "Works nights";
    cy->fields = {{tag(0x8101001E), "Office", QStringLiteral("B12"), std::nullopt}};
    gal->entries = {ann, bob, cy};

    auto pab = std::make_shared<ListData>();
    pab->id = "L2";
    pab->name = "Personal Address Book";
    auto dee = person("E4", "Dee Dunn", "dee@example.com", "ddunn");
    auto team = person("E5", "Team", "Team", "team");
    team->type = "MAPIPDL";
    team->displayType = 5;
    team->members = {ann, bob};
    pab->entries = {dee, team};

    auto contacts = std::make_shared<ListData>();
    contacts->id = "L3";
    contacts->name = "Contacts";
    contacts->readOnly = true;

    ProfileData p;
    p.name = "Default";
    p.password = "secret";
    p.server = "mail01";
    p.mailbox = "jsmith";
    p.isDefault = true;
    p.stores = {s1, s2};
    p.lists = {gal, pab, contacts};
    w->profiles.push_back(p);
    return w;
}

}  // namespace fake
