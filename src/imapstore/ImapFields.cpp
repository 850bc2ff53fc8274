#include <QRegularExpression>

#include "imapstore/ImapObjects.h"
#include "messaging/Readings.h"
#include "messaging/VbConvert.h"

namespace imapstore {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

namespace {

struct Key {
    std::optional<std::uint32_t> tag;
    QString name;
};

// A name, or a tag given as a number or as its decimal or hexadecimal text.
Key parseKey(const Variant& nameOrTag) {
    Key key;
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

std::optional<FieldSlot> find(FieldSource& owner, const Key& key) {
    for (const FieldSlot& s : owner.fieldList()) {
        if (key.tag ? s.tag == *key.tag
                    : (!s.name.isEmpty() && s.name.compare(key.name, Qt::CaseInsensitive) == 0))
            return s;
    }
    return std::nullopt;
}

}  // namespace

Variant ImapField::Value() {
    const std::optional<FieldSlot> now =
        find(*owner_, slot_.name.isEmpty() ? Key{slot_.tag, {}} : Key{std::nullopt, slot_.name});
    if (!now || now->value.isNull()) mapi::raise(mapi::code::NotFound);
    return now->value;
}

void ImapField::SetValue(const Variant& v) {
    owner_->setField(slot_, v);
    slot_.value = v;
}

std::int32_t ImapFields::Count() {
    return static_cast<std::int32_t>(owner_->fieldList().size());
}

Ref<mapi::Field> ImapFields::Item(std::int32_t index) {
    const std::vector<FieldSlot> all = owner_->fieldList();
    if (index < 1 || static_cast<std::size_t>(index) > all.size())
        mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<ImapField>(owner_, all[index - 1]));
}

std::unique_ptr<mapi::Enumerator<mapi::Field>> ImapFields::enumerate() {
    std::vector<Ref<mapi::Field>> items;
    for (const FieldSlot& s : owner_->fieldList())
        items.push_back(Ref<mapi::Field>(std::make_shared<ImapField>(owner_, s)));
    return std::make_unique<VectorEnum<mapi::Field>>(std::move(items));
}

Ref<mapi::Field> ImapFields::ItemByTag(std::int32_t tag) {
    const auto s = find(*owner_, Key{static_cast<std::uint32_t>(tag), {}});
    if (!s) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<ImapField>(owner_, *s));
}

Ref<mapi::Field> ImapFields::ItemByName(const QString& name) {
    const auto s = find(*owner_, Key{std::nullopt, name});
    if (!s) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Field>(std::make_shared<ImapField>(owner_, *s));
}

Ref<mapi::Field> ImapFields::Add(const Variant& nameOrTag, std::int16_t type,
                                 const Variant& value) {
    const FieldSlot s = owner_->addField(nameOrTag, static_cast<VarType>(type), value);
    return Ref<mapi::Field>(std::make_shared<ImapField>(owner_, s));
}

Ref<mapi::Field> ImapFields::Add(const Variant& nameOrTag, const Variant& value) {
    const FieldSlot s = owner_->addField(nameOrTag, std::nullopt, value);
    return Ref<mapi::Field>(std::make_shared<ImapField>(owner_, s));
}

FieldSlot CustomFields::addField(const Variant& nameOrTag, std::optional<VarType> vt,
                                 const Variant& value) {
    const Key key = parseKey(nameOrTag);
    const VarType fallback = value.isEmpty() || value.isNull() ? VarType::String : value.type();
    FieldSlot slot;
    if (key.tag) {
        slot.tag = (*key.tag & 0xFFFF) == 0x001F ? (*key.tag & 0xFFFF0000u) | 0x001E : *key.tag;
        slot.vt = vt.value_or(mapi::varTypeOfTag(slot.tag).value_or(fallback));
    } else {
        slot.name = key.name;
        slot.vt = vt.value_or(fallback);
        slot.tag = (0x8000u + static_cast<std::uint32_t>(slots_.size())) << 16;
    }
    slot.value = value;
    for (FieldSlot& s : slots_) {
        if ((key.tag && s.tag == slot.tag) ||
            (!key.tag && s.name.compare(slot.name, Qt::CaseInsensitive) == 0)) {
            s.vt = slot.vt;
            s.value = value;
            return s;
        }
    }
    slots_.push_back(slot);
    return slot;
}

void CustomFields::setField(const FieldSlot& slot, const Variant& value) {
    for (FieldSlot& s : slots_)
        if (s.tag == slot.tag && s.name == slot.name) s.value = value;
}

}  // namespace imapstore
