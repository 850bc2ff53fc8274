#pragma once

// What a message or address-entry filter means, whichever store runs it: the
// members it takes and how their values are read, its field conditions and how
// they are joined. A store only finds what passes (one SQL query on the
// embedded store; a SEARCH and a local pass on an IMAP account).

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"
#include "model/Fields.h"

namespace model {

enum class FilterKind { Messages, Entries };

// The field conditions of a filter, kept as fields: each Add is one more
// condition, its value converted to its tag's type where it can be.
class ConditionList : public FieldOwner {
  public:
    std::vector<FieldSlot> fieldList() override { return conds_; }
    std::optional<FieldSlot> fieldByTag(std::uint32_t tag) override;
    std::optional<FieldSlot> fieldByName(const QString& name) override;
    FieldSlot addField(const mapi::Variant& nameOrTag, std::optional<mapi::VarType> vt,
                       const mapi::Variant& value) override;
    void setField(std::uint32_t tag, const QString& name, const mapi::Variant& value) override;
    const std::vector<FieldSlot>& conditions() const { return conds_; }
    // Changes whenever a condition is added or set.
    std::size_t version() const { return version_; }

  private:
    std::vector<FieldSlot> conds_;
    std::size_t version_ = 0;
};

// A filter's members as a search uses them. Text members match substrings
// ignoring case, Type the whole message class ignoring case.
struct FilterCriteria {
    std::optional<QString> subject, text, sender, recipients, type;  // messages
    std::optional<QString> name, address;                            // address entries
    std::optional<std::int32_t> importance;                          // equal to
    std::optional<std::int32_t> size;                                // at least
    std::optional<bool> sent, unread;
    // Bounds of the time received, inclusive, as secondsOf() gives them. A
    // TimeLast without a time of day covers that whole day.
    std::optional<std::int64_t> timeFirst, timeLast;
    std::vector<FieldSlot> conditions;
    bool useOr = false;   // conditions joined by OR rather than AND
    bool negate = false;  // the joined conditions negated as a group
};

// The filter object both stores hand out. Set() takes the members by name as
// late binding does (MAPI_E_NO_SUPPORT for others); their values are checked
// only when a search reads them.
class FilterObject : public mapi::Filter {
  public:
    explicit FilterObject(FilterKind kind) : kind_(kind) {}
    void Set(const QString& member, const mapi::Variant& value) override;
    mapi::Variant Get(const QString& member) override;
    mapi::Ref<mapi::Fields> FieldsOf() override;

    FilterKind kind() const { return kind_; }
    // No member but Not and Or, and no field condition: everything passes.
    bool isEmpty() const;
    // Changes whenever a member or a condition is set.
    std::size_t version() const { return changes_ + conds_->version(); }
    // The members as read for a search; MAPI_E_INVALID_PARAMETER for a value
    // that cannot be used (a TimeFirst that is not a date ...).
    FilterCriteria criteria() const;

  private:
    FilterKind kind_;
    std::map<QString, mapi::Variant> members_;  // canonical member name -> value
    std::shared_ptr<ConditionList> conds_ = std::make_shared<ConditionList>();
    std::size_t changes_ = 0;
};

// Whether an object with these fields meets one condition: a field of the
// condition's tag (or name, ignoring case) whose value is looselyEqual to it.
bool conditionHolds(const FieldSlot& condition, const std::vector<FieldSlot>& fields);

// The field conditions joined by AND (by OR when the filter's Or is True), the
// group negated when its Not is True; nullopt without conditions. `term(c)`
// gives each condition's T, `join(a, b, useOr)` two of them joined and
// `negate(t)` the opposite of the group, so that a store can join booleans or
// the text of a query alike.
template <class T, class Term, class Join, class Negate>
std::optional<T> joinConditions(const FilterCriteria& c, Term&& term, Join&& join,
                                Negate&& negate) {
    std::optional<T> group;
    for (const FieldSlot& condition : c.conditions) {
        T t = term(condition);
        group = group ? join(std::move(*group), std::move(t), c.useOr) : std::move(t);
    }
    if (group && c.negate) group = negate(std::move(*group));
    return group;
}

}  // namespace model
