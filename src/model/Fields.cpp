#include "model/Fields.h"

#include <QRegularExpression>

#include "messaging/Readings.h"
#include "model/Values.h"

namespace model {

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
    bool ok = false;
    if (decimal.match(text).hasMatch()) {
        const qlonglong n = text.toLongLong(&ok);
        if (ok && n >= -2147483648LL && n <= 4294967295LL) key.tag = static_cast<std::uint32_t>(n);
    } else if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
               text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const qulonglong n = text.mid(2).toULongLong(&ok, 16);
        if (ok && n <= 0xFFFFFFFFull) key.tag = static_cast<std::uint32_t>(n);
    }
    if (key.tag) return key;
    if (text.isEmpty()) mapi::raise(mapi::code::InvalidParameter);
    key.name = nameOrTag.asString();
    return key;
}

std::optional<FieldSlot> slotByTag(const std::vector<FieldSlot>& all, std::uint32_t tag) {
    for (const FieldSlot& s : all)
        if (s.tag == tag) return s;
    return std::nullopt;
}

std::optional<FieldSlot> slotByName(const std::vector<FieldSlot>& all, const QString& name) {
    for (const FieldSlot& s : all)
        if (!s.name.isEmpty() && s.name.compare(name, Qt::CaseInsensitive) == 0) return s;
    return std::nullopt;
}

VarType fieldTypeFor(std::optional<VarType> given, std::optional<std::uint32_t> tag,
                     const Variant& v) {
    if (given) return *given;
    if (tag) {
        if (auto t = mapi::varTypeOfTag(*tag)) return *t;
    }
    if (v.isEmpty() || v.isNull()) return VarType::String;
    return v.type();
}

Variant fieldValueFor(VarType vt, const Variant& v) {
    if (vt == VarType::Empty) return Variant();
    if (vt == VarType::Null) return Variant::null();
    return coerce(vt, v);
}

// ---- CustomFields -----------------------------------------------------------------

std::optional<FieldSlot> CustomFields::byTag(std::uint32_t tag) const {
    return slotByTag(slots_, tag);
}

std::optional<FieldSlot> CustomFields::byName(const QString& name) const {
    return slotByName(slots_, name);
}

FieldSlot CustomFields::add(const FieldKey& key, std::optional<VarType> vt, const Variant& value) {
    if (key.tag) {
        const std::uint32_t tag = normalizeTag(*key.tag);
        for (FieldSlot& c : slots_) {
            if (c.tag == tag) {
                if (vt) c.vt = *vt;
                c.value = fieldValueFor(c.vt, value);
                return c;
            }
        }
        const VarType t = fieldTypeFor(vt, tag, value);
        slots_.push_back(FieldSlot{tag, QString(), t, fieldValueFor(t, value)});
        return slots_.back();
    }
    for (FieldSlot& c : slots_) {
        if (!c.name.isEmpty() && c.name.compare(key.name, Qt::CaseInsensitive) == 0) {
            if (vt) c.vt = *vt;
            c.value = fieldValueFor(c.vt, value);
            return c;
        }
    }
    const VarType t = fieldTypeFor(vt, std::nullopt, value);
    std::uint32_t id = 0x8000;
    for (const FieldSlot& c : slots_)
        if ((c.tag >> 16) >= id && (c.tag & 0x80000000u)) id = (c.tag >> 16) + 1;
    const std::uint32_t tag = (id << 16) | propTypeOf(t);
    slots_.push_back(FieldSlot{tag, key.name, t, fieldValueFor(t, value)});
    return slots_.back();
}

bool CustomFields::set(std::uint32_t tag, const Variant& value) {
    for (FieldSlot& c : slots_) {
        if (c.tag == tag) {
            c.value = fieldValueFor(c.vt, value);
            return true;
        }
    }
    return false;
}

// ---- Field / Fields -------------------------------------------------------------

namespace {
std::optional<FieldSlot> lookUp(FieldOwner& owner, const FieldSlot& slot) {
    return slot.tag != 0 || slot.name.isEmpty() ? owner.fieldByTag(slot.tag)
                                                : owner.fieldByName(slot.name);
}
}  // namespace

Variant FieldObject::Type() {
    return Variant(static_cast<std::int32_t>(slot_.vt));
}

Variant FieldObject::Value() {
    const std::optional<FieldSlot> now = lookUp(*owner_, slot_);
    if (!now) mapi::raise(mapi::code::NotFound);
    if (now->vt == VarType::Empty) return Variant();
    if (now->vt == VarType::Null) return Variant::null();
    if (now->value.isNull()) mapi::raise(mapi::code::NotFound);
    return now->value;
}

void FieldObject::SetValue(const Variant& v) {
    owner_->setField(slot_.tag, slot_.name, v);
    if (auto now = lookUp(*owner_, slot_)) slot_ = *now;
}

std::int32_t FieldsObject::Count() {
    return static_cast<std::int32_t>(owner_->fieldList().size());
}

Ref<mapi::Field> FieldsObject::Item(std::int32_t index) {
    const std::vector<FieldSlot> all = owner_->fieldList();
    if (index < 1 || static_cast<std::size_t>(index) > all.size())
        mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<FieldObject>(owner_, all[index - 1]));
}

namespace {
// Makes each field object as the walk reaches it.
class FieldEnum : public mapi::Enumerator<mapi::Field> {
  public:
    FieldEnum(std::shared_ptr<FieldOwner> o, std::vector<FieldSlot> all)
        : o_(std::move(o)), all_(std::move(all)) {}
    Ref<mapi::Field> next() override {
        if (i_ >= all_.size()) return {};
        return Ref<mapi::Field>(std::make_shared<FieldObject>(o_, all_[i_++]));
    }

  private:
    std::shared_ptr<FieldOwner> o_;
    std::vector<FieldSlot> all_;
    std::size_t i_ = 0;
};
}  // namespace

std::unique_ptr<mapi::Enumerator<mapi::Field>> FieldsObject::enumerate() {
    return std::make_unique<FieldEnum>(owner_, owner_->fieldList());
}

Ref<mapi::Field> FieldsObject::ItemByTag(std::int32_t tag) {
    auto slot = owner_->fieldByTag(normalizeTag(static_cast<std::uint32_t>(tag)));
    if (!slot) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<FieldObject>(owner_, *slot));
}

Ref<mapi::Field> FieldsObject::ItemByName(const QString& name) {
    const FieldKey key = parseFieldKey(Variant(name));
    if (key.tag) return ItemByTag(static_cast<std::int32_t>(*key.tag));
    auto slot = owner_->fieldByName(name);
    if (!slot) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<FieldObject>(owner_, *slot));
}

Ref<mapi::Field> FieldsObject::Add(const Variant& nameOrTag, std::int16_t type,
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
    return Ref<mapi::Field>(std::make_shared<FieldObject>(
        owner_, owner_->addField(nameOrTag, static_cast<VarType>(type), value)));
}

Ref<mapi::Field> FieldsObject::Add(const Variant& nameOrTag, const Variant& value) {
    return Ref<mapi::Field>(
        std::make_shared<FieldObject>(owner_, owner_->addField(nameOrTag, std::nullopt, value)));
}

}  // namespace model
