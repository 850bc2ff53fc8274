#pragma once

// The fields of an object: the slot a Fields collection sees, the owner
// behind it, and the standard and custom properties of a message or entry.

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "messaging/Objects.h"
#include "store/Database.h"
#include "store/Props.h"
#include "store/Tables.h"

namespace store {

// One field as the Fields collections see it. A Null value is a property the
// object lacks (reading it fails with MAPI_E_NOT_FOUND).
struct PropSlot {
    std::uint32_t tag = 0;
    QString name;
    mapi::VarType vt = mapi::VarType::Empty;
    mapi::Variant value;
};

class FieldOwner {
  public:
    virtual ~FieldOwner() = default;
    virtual std::vector<PropSlot> fieldList() = 0;
    // A present field, or for a settable standard property that is absent a
    // slot holding Null; nullopt otherwise.
    virtual std::optional<PropSlot> fieldByTag(std::uint32_t tag) = 0;
    virtual std::optional<PropSlot> fieldByName(const QString& name) = 0;
    // Fields.Add: `vt` unset means "as the tag's type" (or the value's own).
    virtual PropSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                              const mapi::Variant& value) = 0;
    virtual void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) = 0;
};

// A name or a numeric tag as Fields.Add and Fields(x) take them.
struct FieldKey {
    std::optional<std::uint32_t> tag;
    QString name;
};
FieldKey parseFieldKey(const mapi::Variant& nameOrTag);

// Standard properties plus custom fields of a message or an address entry.
class PropertyBag {
  public:
    struct Standard {
        std::uint32_t tag;
        mapi::VarType vt;
        bool listed;  // shown in Fields
    };
    explicit PropertyBag(const std::vector<Standard>* table) : table_(table) {}

    const Standard* standard(std::uint32_t tag) const;
    bool has(std::uint32_t tag) const { return std_.count(tag) != 0; }
    // The value; MAPI_E_NOT_FOUND when absent or unreadable.
    const mapi::Variant& get(std::uint32_t tag) const;
    mapi::Variant getOr(std::uint32_t tag, const mapi::Variant& fallback) const;
    void set(std::uint32_t tag, const mapi::Variant& v);  // converts to the property's type
    void setRaw(std::uint32_t tag, const mapi::Variant& v) { std_[tag] = v; }
    void erase(std::uint32_t tag) { std_.erase(tag); }

    std::vector<PropSlot> list(const std::vector<PropSlot>& computed) const;
    std::optional<PropSlot> byTag(std::uint32_t tag) const;
    std::optional<PropSlot> byName(const QString& name) const;
    PropSlot add(const FieldKey& key, std::optional<mapi::VarType> vt, const mapi::Variant& value);
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value);

    std::vector<PropSlot>& custom() { return custom_; }
    const std::vector<PropSlot>& custom() const { return custom_; }

    void loadCustom(Db& db, OwnerKind kind, std::int64_t owner);
    void saveCustom(Db& db, OwnerKind kind, std::int64_t owner) const;

  private:
    const std::vector<Standard>* table_;
    std::map<std::uint32_t, mapi::Variant> std_;
    std::vector<PropSlot> custom_;
};

}  // namespace store
