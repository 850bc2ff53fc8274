#pragma once

// A filter over messages or address entries and its field conditions.

#include <map>
#include <memory>
#include <vector>

#include "store/PropertyBag.h"

namespace store {

// The field conditions of a filter, kept as fields.
class ConditionList : public FieldOwner {
  public:
    std::vector<PropSlot> fieldList() override { return conds_; }
    std::optional<PropSlot> fieldByTag(std::uint32_t tag) override;
    std::optional<PropSlot> fieldByName(const QString& name) override;
    PropSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                      const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;
    const std::vector<PropSlot>& conditions() const { return conds_; }

  private:
    std::vector<PropSlot> conds_;
};

enum class FilterKind { Messages, Entries };

// The column of the messages / entries table that holds a standard property,
// or nullptr when the tag is not one of them.
const char* messageColumn(std::uint32_t tag);
const char* entryColumn(std::uint32_t tag);

class FilterImpl : public mapi::Filter {
  public:
    explicit FilterImpl(FilterKind kind);
    void Set(const QString& member, const mapi::Variant& value) override;
    mapi::Variant Get(const QString& member) override;
    mapi::Ref<mapi::Fields> FieldsOf() override;

    // The SQL condition over the alias "m" (messages) or "e" (entries), with
    // its bound values appended to `binds`. Throws MAPI_E_INVALID_PARAMETER for
    // values that cannot be used (a TimeFirst that is not a date ...).
    QString whereClause(std::vector<SqlValue>& binds) const;
    bool isEmpty() const;

  private:
    FilterKind kind_;
    std::map<QString, mapi::Variant> members_;  // canonical member name -> value
    std::shared_ptr<ConditionList> conds_ = std::make_shared<ConditionList>();
};

}  // namespace store
