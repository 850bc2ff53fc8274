#include <algorithm>

#include "store/StoreObjects.h"

namespace store {

using mapi::Variant;
using mapi::VarType;

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

std::vector<FieldSlot> PropertyBag::list(const std::vector<FieldSlot>& computed) const {
    std::vector<FieldSlot> out;
    for (const Standard& s : *table_) {
        if (!s.listed) continue;
        auto it = std_.find(s.tag);
        if (it == std_.end() || it->second.isNull()) continue;
        out.push_back(FieldSlot{s.tag, QString(), s.vt, it->second});
    }
    for (const FieldSlot& c : computed) out.push_back(c);
    std::stable_sort(out.begin(), out.end(),
                     [](const FieldSlot& a, const FieldSlot& b) { return a.tag < b.tag; });
    out.insert(out.end(), custom_.all().begin(), custom_.all().end());
    return out;
}

std::optional<FieldSlot> PropertyBag::byTag(std::uint32_t tag) const {
    if (const Standard* s = standard(tag)) {
        auto it = std_.find(tag);
        return FieldSlot{tag, QString(), s->vt, it == std_.end() ? Variant::null() : it->second};
    }
    return custom_.byTag(tag);
}

std::optional<FieldSlot> PropertyBag::byName(const QString& name) const {
    return custom_.byName(name);
}

FieldSlot PropertyBag::add(const FieldKey& key, std::optional<VarType> vt, const Variant& value) {
    if (key.tag) {
        const std::uint32_t tag = normalizeTag(*key.tag);
        if (const Standard* s = standard(tag)) {
            set(tag, value);
            return FieldSlot{tag, QString(), s->vt, std_[tag]};
        }
    }
    return custom_.add(key, vt, value);
}

void PropertyBag::setField(std::uint32_t tag, const QString& name, const Variant& value) {
    if (standard(tag)) {
        set(tag, value);
        return;
    }
    if (custom_.set(tag, value)) return;
    FieldKey key;
    if (name.isEmpty())
        key.tag = tag;
    else
        key.name = name;
    add(key, std::nullopt, value);
}

void PropertyBag::loadCustom(Db& db, OwnerKind kind, std::int64_t owner) {
    std::vector<FieldSlot>& custom = custom_.all();
    custom.clear();
    Stmt& q = db.cached(
        "SELECT tag, name, vtype, value FROM props WHERE owner_kind = ?1 AND owner = ?2 "
        "ORDER BY rid");
    q.bind(1, static_cast<int>(kind)).bind(2, owner);
    while (q.step()) {
        const auto vt = static_cast<VarType>(q.integer(2));
        custom.push_back(FieldSlot{static_cast<std::uint32_t>(q.integer(0)), q.text(1), vt,
                                   decode(vt, q.value(3))});
    }
    q.reset();
}

void PropertyBag::saveCustom(Db& db, OwnerKind kind, std::int64_t owner) const {
    deleteProps(db, kind, owner);
    for (const FieldSlot& c : custom_.all())
        insertProp(db, kind, owner, static_cast<std::int64_t>(c.tag), c.name,
                   static_cast<int>(c.vt), encode(c.vt, c.value));
}

// ---- BagFields --------------------------------------------------------------------

std::vector<FieldSlot> BagFields::fieldList() {
    loadFields();
    return bag_.list(computedFields());
}

std::optional<FieldSlot> BagFields::fieldByTag(std::uint32_t t) {
    loadFields();
    if (isComputed(t)) return model::slotByTag(computedFields(), t);
    return bag_.byTag(t);
}

std::optional<FieldSlot> BagFields::fieldByName(const QString& name) {
    loadFields();
    return bag_.byName(name);
}

FieldSlot BagFields::addField(const Variant& nameOrTag, std::optional<VarType> vt,
                              const Variant& value) {
    loadFields();
    checkFieldChange(true);
    const FieldKey key = parseFieldKey(nameOrTag);
    if (key.tag && isComputed(normalizeTag(*key.tag))) mapi::raise(mapi::code::NoAccess);
    return bag_.add(key, vt, value);
}

void BagFields::setField(std::uint32_t t, const QString& name, const Variant& value) {
    loadFields();
    checkFieldChange(false);
    if (isComputed(t)) mapi::raise(mapi::code::NoAccess);
    bag_.setField(t, name, value);
}

}  // namespace store
