#pragma once

// Fields as the object model gives them, whichever store holds the object: a
// field's key (a name or a property tag), the custom fields added at run time,
// and the Field and Fields objects over what a store lists.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"

namespace model {

// One field as the Fields collections see it. A Null value is a property the
// object lacks (reading it fails with MAPI_E_NOT_FOUND).
struct FieldSlot {
    std::uint32_t tag = 0;
    QString name;
    mapi::VarType vt = mapi::VarType::Empty;
    mapi::Variant value;
};

// A name or a numeric tag as Fields.Add and Fields(x) take them: a number, or
// a text holding a decimal or hexadecimal ("&H", "0x") tag; any other text is
// a name.
struct FieldKey {
    std::optional<std::uint32_t> tag;
    QString name;
};
FieldKey parseFieldKey(const mapi::Variant& nameOrTag);

// The first of `all` with this tag, or with this name ignoring case.
std::optional<FieldSlot> slotByTag(const std::vector<FieldSlot>& all, std::uint32_t tag);
std::optional<FieldSlot> slotByName(const std::vector<FieldSlot>& all, const QString& name);

// The type a new field gets: the one asked for, else its tag's, else its
// value's (String for no value).
mapi::VarType fieldTypeFor(std::optional<mapi::VarType> given, std::optional<std::uint32_t> tag,
                           const mapi::Variant& v);
// The value a field of type `vt` holds when given `v`; "Type mismatch" when it
// cannot hold it.
mapi::Variant fieldValueFor(mapi::VarType vt, const mapi::Variant& v);

// What a Fields collection reads and writes.
class FieldOwner {
  public:
    virtual ~FieldOwner() = default;
    virtual std::vector<FieldSlot> fieldList() = 0;
    // A present field, or for a settable standard property that is absent a
    // slot holding Null; nullopt otherwise.
    virtual std::optional<FieldSlot> fieldByTag(std::uint32_t tag) = 0;
    virtual std::optional<FieldSlot> fieldByName(const QString& name) = 0;
    // Fields.Add: `vt` unset means "as the tag's type" (or the value's own).
    virtual FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                               const mapi::Variant& value) = 0;
    virtual void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) = 0;
};

// The custom fields of an object: added by tag or by name, each holding its
// value in its own type. A named field gets a tag of its own above 0x8000.
class CustomFields {
  public:
    const std::vector<FieldSlot>& all() const { return slots_; }
    std::vector<FieldSlot>& all() { return slots_; }
    std::optional<FieldSlot> byTag(std::uint32_t tag) const;
    std::optional<FieldSlot> byName(const QString& name) const;
    // Adds the field `key` names, or gives the one there is the new value (and
    // the type, when one is given).
    FieldSlot add(const FieldKey& key, std::optional<mapi::VarType> vt, const mapi::Variant& value);
    // The field with this tag takes the value; false when there is none.
    bool set(std::uint32_t tag, const mapi::Variant& value);

  private:
    std::vector<FieldSlot> slots_;
};

class FieldObject : public mapi::Field {
  public:
    FieldObject(std::shared_ptr<FieldOwner> owner, FieldSlot slot)
        : owner_(std::move(owner)), slot_(std::move(slot)) {}
    QString Name() override { return slot_.name; }
    std::int32_t ID() override { return static_cast<std::int32_t>(slot_.tag); }
    mapi::Variant Type() override;
    mapi::Variant Value() override;
    void SetValue(const mapi::Variant& v) override;

  private:
    std::shared_ptr<FieldOwner> owner_;
    FieldSlot slot_;
};

class FieldsObject : public mapi::Fields {
  public:
    explicit FieldsObject(std::shared_ptr<FieldOwner> owner) : owner_(std::move(owner)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Field> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override;
    mapi::Ref<mapi::Field> ItemByTag(std::int32_t tag) override;
    mapi::Ref<mapi::Field> ItemByName(const QString& name) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, std::int16_t type,
                               const mapi::Variant& value) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, const mapi::Variant& value) override;

  private:
    std::shared_ptr<FieldOwner> owner_;
};

}  // namespace model
