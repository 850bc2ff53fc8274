#pragma once

// The fields of an object: the slot a Fields collection sees, the owner
// behind it, and the standard and custom properties of a message or entry.

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "messaging/Objects.h"
#include "model/Fields.h"
#include "store/Database.h"
#include "store/Props.h"
#include "store/Tables.h"

namespace store {

// Fields and filters mean what the model says; the store keeps them in rows.
using model::FieldKey;
using model::FieldOwner;
using model::FieldSlot;
using model::parseFieldKey;

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

    std::vector<FieldSlot> list(const std::vector<FieldSlot>& computed) const;
    std::optional<FieldSlot> byTag(std::uint32_t tag) const;
    std::optional<FieldSlot> byName(const QString& name) const;
    FieldSlot add(const FieldKey& key, std::optional<mapi::VarType> vt, const mapi::Variant& value);
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value);

    void loadCustom(Db& db, OwnerKind kind, std::int64_t owner);
    void saveCustom(Db& db, OwnerKind kind, std::int64_t owner) const;

  private:
    const std::vector<Standard>* table_;
    std::map<std::uint32_t, mapi::Variant> std_;
    model::CustomFields custom_;
};

// An object whose Fields are its PropertyBag: its standard properties, the
// fields it computes from them, and its custom fields.
class BagFields : public FieldOwner {
  public:
    explicit BagFields(const std::vector<PropertyBag::Standard>* table) : bag_(table) {}
    std::vector<FieldSlot> fieldList() override;
    std::optional<FieldSlot> fieldByTag(std::uint32_t tag) override;
    std::optional<FieldSlot> fieldByName(const QString& name) override;
    FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                       const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;

  protected:
    // Reads what the bag still lacks, before any field is read or changed.
    virtual void loadFields() {}
    // Refuses a field added (or set) on an object that cannot change.
    virtual void checkFieldChange(bool /*adding*/) {}
    // Fields computed from others: listed and read, never set (MAPI_E_NO_ACCESS).
    virtual bool isComputed(std::uint32_t /*tag*/) const { return false; }
    virtual std::vector<FieldSlot> computedFields() { return {}; }

    PropertyBag bag_;
};

}  // namespace store
