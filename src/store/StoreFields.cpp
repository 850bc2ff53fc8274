#include <QRegularExpression>
#include <algorithm>

#include "messaging/VbConvert.h"
#include "store/StoreObjects.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

FieldKey parseFieldKey(const Variant& nameOrTag) {
    FieldKey key;
    switch (nameOrTag.type()) {
        case VarType::Integer:
            key.tag = static_cast<std::uint16_t>(nameOrTag.asInteger());
            return key;
        case VarType::Long:
            key.tag = static_cast<std::uint32_t>(nameOrTag.asLong());
            return key;
        case VarType::Double:
            key.tag = static_cast<std::uint32_t>(static_cast<std::int64_t>(nameOrTag.asDouble()));
            return key;
        case VarType::String:
            break;
        default:
            mapi::raise(mapi::code::InvalidParameter);
    }
    const QString text = nameOrTag.asString().trimmed();
    static const QRegularExpression decimal(QStringLiteral("^[-+]?[0-9]+$"));
    if (decimal.match(text).hasMatch()) {
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (ok && n >= -2147483648LL && n <= 4294967295LL) {
            key.tag = static_cast<std::uint32_t>(n);
            return key;
        }
    } else if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
               text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        bool ok = false;
        const qulonglong n = text.mid(2).toULongLong(&ok, 16);
        if (ok && n <= 0xFFFFFFFFull) {
            key.tag = static_cast<std::uint32_t>(n);
            return key;
        }
    }
    if (text.isEmpty()) mapi::raise(mapi::code::InvalidParameter);
    key.name = nameOrTag.asString();
    return key;
}

// ---- PropertyBag --------------------------------------------------------------

const PropertyBag::Standard* PropertyBag::standard(std::uint32_t tag) const {
    for (const Standard& s : *table_)
        if (s.tag == tag) return &s;
    return nullptr;
}

const Variant& PropertyBag::get(std::uint32_t tag) const {
    auto it = std_.find(tag);
    if (it == std_.end() || it->second.isNull()) mapi::raise(mapi::code::NotFound);
    return it->second;
}

Variant PropertyBag::getOr(std::uint32_t tag, const Variant& fallback) const {
    auto it = std_.find(tag);
    return it == std_.end() || it->second.isNull() ? fallback : it->second;
}

void PropertyBag::set(std::uint32_t tag, const Variant& v) {
    const Standard* s = standard(tag);
    std_[tag] = s ? coerce(s->vt, v) : v;
}

std::vector<PropSlot> PropertyBag::list(const std::vector<PropSlot>& computed) const {
    std::vector<PropSlot> out;
    for (const Standard& s : *table_) {
        if (!s.listed) continue;
        auto it = std_.find(s.tag);
        if (it == std_.end() || it->second.isNull()) continue;
        out.push_back(PropSlot{s.tag, QString(), s.vt, it->second});
    }
    for (const PropSlot& c : computed) out.push_back(c);
    std::stable_sort(out.begin(), out.end(),
                     [](const PropSlot& a, const PropSlot& b) { return a.tag < b.tag; });
    out.insert(out.end(), custom_.begin(), custom_.end());
    return out;
}

std::optional<PropSlot> PropertyBag::byTag(std::uint32_t tag) const {
    if (const Standard* s = standard(tag)) {
        auto it = std_.find(tag);
        return PropSlot{tag, QString(), s->vt, it == std_.end() ? Variant::null() : it->second};
    }
    for (const PropSlot& c : custom_)
        if (c.tag == tag) return c;
    return std::nullopt;
}

std::optional<PropSlot> PropertyBag::byName(const QString& name) const {
    for (const PropSlot& c : custom_)
        if (!c.name.isEmpty() && c.name.compare(name, Qt::CaseInsensitive) == 0) return c;
    return std::nullopt;
}

namespace {

VarType typeFor(std::optional<VarType> given, std::optional<std::uint32_t> tag, const Variant& v) {
    if (given) return *given;
    if (tag) {
        if (auto t = varTypeOfTag(*tag)) return *t;
    }
    if (v.isEmpty() || v.isNull()) return VarType::String;
    return v.type();
}

Variant valueFor(VarType vt, const Variant& v) {
    if (vt == VarType::Empty) return Variant();
    if (vt == VarType::Null) return Variant::null();
    return coerce(vt, v);
}

}  // namespace

PropSlot PropertyBag::add(const FieldKey& key, std::optional<VarType> vt, const Variant& value) {
    if (key.tag) {
        const std::uint32_t tag = normalizeTag(*key.tag);
        if (const Standard* s = standard(tag)) {
            set(tag, value);
            return PropSlot{tag, QString(), s->vt, std_[tag]};
        }
        for (PropSlot& c : custom_) {
            if (c.tag == tag) {
                if (vt) c.vt = *vt;
                c.value = valueFor(c.vt, value);
                return c;
            }
        }
        const VarType t = typeFor(vt, tag, value);
        custom_.push_back(PropSlot{tag, QString(), t, valueFor(t, value)});
        return custom_.back();
    }
    for (PropSlot& c : custom_) {
        if (!c.name.isEmpty() && c.name.compare(key.name, Qt::CaseInsensitive) == 0) {
            if (vt) c.vt = *vt;
            c.value = valueFor(c.vt, value);
            return c;
        }
    }
    const VarType t = typeFor(vt, std::nullopt, value);
    std::uint32_t id = 0x8000;
    for (const PropSlot& c : custom_)
        if ((c.tag >> 16) >= id && (c.tag & 0x80000000u)) id = (c.tag >> 16) + 1;
    const std::uint32_t tag = (id << 16) | propTypeOf(t);
    custom_.push_back(PropSlot{tag, key.name, t, valueFor(t, value)});
    return custom_.back();
}

void PropertyBag::setField(std::uint32_t tag, const QString& name, const Variant& value) {
    if (standard(tag)) {
        set(tag, value);
        return;
    }
    for (PropSlot& c : custom_) {
        if (c.tag == tag) {
            c.value = valueFor(c.vt, value);
            return;
        }
    }
    FieldKey key;
    if (name.isEmpty())
        key.tag = tag;
    else
        key.name = name;
    add(key, std::nullopt, value);
}

void PropertyBag::loadCustom(Db& db, OwnerKind kind, std::int64_t owner) {
    custom_.clear();
    Stmt& q = db.cached(
        "SELECT tag, name, vtype, value FROM props WHERE owner_kind = ?1 AND owner = ?2 "
        "ORDER BY rid");
    q.bind(1, static_cast<int>(kind)).bind(2, owner);
    while (q.step()) {
        const auto vt = static_cast<VarType>(q.integer(2));
        custom_.push_back(PropSlot{static_cast<std::uint32_t>(q.integer(0)), q.text(1), vt,
                                   decode(vt, q.value(3))});
    }
    q.reset();
}

void PropertyBag::saveCustom(Db& db, OwnerKind kind, std::int64_t owner) const {
    deleteProps(db, kind, owner);
    for (const PropSlot& c : custom_)
        insertProp(db, kind, owner, static_cast<std::int64_t>(c.tag), c.name,
                   static_cast<int>(c.vt), encode(c.vt, c.value));
}

// ---- Field / Fields -------------------------------------------------------------

namespace {
std::optional<PropSlot> lookUp(FieldOwner& owner, const PropSlot& slot) {
    return slot.tag != 0 || slot.name.isEmpty() ? owner.fieldByTag(slot.tag)
                                                : owner.fieldByName(slot.name);
}
}  // namespace

Variant FieldImpl::Type() {
    return Variant(static_cast<std::int32_t>(slot_.vt));
}

Variant FieldImpl::Value() {
    const std::optional<PropSlot> now = lookUp(*owner_, slot_);
    if (!now) mapi::raise(mapi::code::NotFound);
    if (now->vt == VarType::Empty) return Variant();
    if (now->vt == VarType::Null) return Variant::null();
    if (now->value.isNull()) mapi::raise(mapi::code::NotFound);
    return now->value;
}

void FieldImpl::SetValue(const Variant& v) {
    owner_->setField(slot_.tag, slot_.name, v);
    if (auto now = lookUp(*owner_, slot_)) slot_ = *now;
}

std::int32_t FieldsImpl::Count() {
    return static_cast<std::int32_t>(owner_->fieldList().size());
}

Ref<mapi::Field> FieldsImpl::Item(std::int32_t index) {
    const std::vector<PropSlot> all = owner_->fieldList();
    if (index < 1 || static_cast<std::size_t>(index) > all.size())
        mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<FieldImpl>(owner_, all[index - 1]));
}

namespace {
class FieldEnum : public mapi::Enumerator<mapi::Field> {
  public:
    FieldEnum(std::shared_ptr<FieldOwner> o, std::vector<PropSlot> all)
        : o_(std::move(o)), all_(std::move(all)) {}
    Ref<mapi::Field> next() override {
        if (i_ >= all_.size()) return {};
        return Ref<mapi::Field>(std::make_shared<FieldImpl>(o_, all_[i_++]));
    }

  private:
    std::shared_ptr<FieldOwner> o_;
    std::vector<PropSlot> all_;
    std::size_t i_ = 0;
};
}  // namespace

std::unique_ptr<mapi::Enumerator<mapi::Field>> FieldsImpl::enumerate() {
    return std::make_unique<FieldEnum>(owner_, owner_->fieldList());
}

Ref<mapi::Field> FieldsImpl::ItemByTag(std::int32_t tag) {
    auto slot = owner_->fieldByTag(normalizeTag(static_cast<std::uint32_t>(tag)));
    if (!slot) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<FieldImpl>(owner_, *slot));
}

Ref<mapi::Field> FieldsImpl::ItemByName(const QString& name) {
    const FieldKey key = parseFieldKey(Variant(name));
    if (key.tag) return ItemByTag(static_cast<std::int32_t>(*key.tag));
    auto slot = owner_->fieldByName(name);
    if (!slot) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<FieldImpl>(owner_, *slot));
}

Ref<mapi::Field> FieldsImpl::Add(const Variant& nameOrTag, std::int16_t type,
                                 const Variant& value) {
    switch (static_cast<VarType>(type)) {
        case VarType::Empty:
        case VarType::Null:
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Date:
        case VarType::String:
        case VarType::Error:
        case VarType::Boolean:
        case VarType::Binary:
            break;
        default:
            mapi::raise(mapi::code::InvalidParameter);
    }
    return Ref<mapi::Field>(std::make_shared<FieldImpl>(
        owner_, owner_->addField(nameOrTag, static_cast<VarType>(type), value)));
}

Ref<mapi::Field> FieldsImpl::Add(const Variant& nameOrTag, const Variant& value) {
    return Ref<mapi::Field>(
        std::make_shared<FieldImpl>(owner_, owner_->addField(nameOrTag, std::nullopt, value)));
}

// ---- ConditionList ----------------------------------------------------------------

std::optional<PropSlot> ConditionList::fieldByTag(std::uint32_t tag) {
    for (const PropSlot& c : conds_)
        if (c.tag == tag) return c;
    return std::nullopt;
}

std::optional<PropSlot> ConditionList::fieldByName(const QString& name) {
    for (const PropSlot& c : conds_)
        if (!c.name.isEmpty() && c.name.compare(name, Qt::CaseInsensitive) == 0) return c;
    return std::nullopt;
}

PropSlot ConditionList::addField(const Variant& nameOrTag, std::optional<VarType> vt,
                                 const Variant& value) {
    const FieldKey key = parseFieldKey(nameOrTag);
    PropSlot slot;
    if (key.tag) slot.tag = normalizeTag(*key.tag);
    slot.name = key.name;
    slot.vt = typeFor(vt, key.tag, value);
    try {
        slot.value = valueFor(slot.vt, value);
    } catch (const mapi::Error&) {
        slot.value = value;  // compared as given
    }
    conds_.push_back(slot);
    return slot;
}

void ConditionList::setField(std::uint32_t tag, const QString& name, const Variant& value) {
    for (PropSlot& c : conds_) {
        if ((tag != 0 && c.tag == tag) ||
            (tag == 0 && c.name.compare(name, Qt::CaseInsensitive) == 0)) {
            c.value = value;
            return;
        }
    }
}

}  // namespace store
