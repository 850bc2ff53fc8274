#include "model/Filter.h"

#include "messaging/VbConvert.h"
#include "model/Values.h"

namespace model {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

namespace {

const char* const kMessageMembers[] = {"Subject",  "Text", "Sender", "Recipients", "Importance",
                                       "Size",     "Sent", "Unread", "Type",       "TimeFirst",
                                       "TimeLast", "Not",  "Or"};
const char* const kEntryMembers[] = {"Name", "Address", "Not", "Or"};

QString canonicalMember(FilterKind kind, const QString& member) {
    if (kind == FilterKind::Messages) {
        for (const char* m : kMessageMembers)
            if (member.compare(QLatin1String(m), Qt::CaseInsensitive) == 0) return QLatin1String(m);
    } else {
        for (const char* m : kEntryMembers)
            if (member.compare(QLatin1String(m), Qt::CaseInsensitive) == 0) return QLatin1String(m);
    }
    mapi::raise(mapi::code::NoSupport);
}

[[noreturn]] void badValue() {
    mapi::raise(mapi::code::InvalidParameter);
}

// A member's value in the type the member wants, as a property assignment
// converts it.
Variant as(VarType vt, const Variant& v) {
    try {
        if (v.isNull() || v.isEmpty()) badValue();
        return coerce(vt, v);
    } catch (const mapi::Error&) {
        badValue();
    }
}

std::int64_t dateSeconds(const Variant& v, bool endOfDay) {
    mapi::Date d;
    if (v.type() == VarType::Date) {
        d = v.asDate();
    } else if (v.type() == VarType::String) {
        if (!vb::isDate(v.asString())) badValue();
        try {
            d = vb::toDate(v.asString());
        } catch (const mapi::Error&) {
            badValue();
        }
    } else {
        badValue();
    }
    std::int64_t s = secondsOf(d);
    // "On or before" a day without a time covers that whole day.
    if (endOfDay && s % 86400 == 0) s += 86399;
    return s;
}

}  // namespace

// ---- ConditionList ----------------------------------------------------------------

std::optional<FieldSlot> ConditionList::fieldByTag(std::uint32_t tag) {
    return slotByTag(conds_, tag);
}

std::optional<FieldSlot> ConditionList::fieldByName(const QString& name) {
    return slotByName(conds_, name);
}

FieldSlot ConditionList::addField(const Variant& nameOrTag, std::optional<VarType> vt,
                                  const Variant& value) {
    const FieldKey key = parseFieldKey(nameOrTag);
    FieldSlot slot;
    if (key.tag) slot.tag = normalizeTag(*key.tag);
    slot.name = key.name;
    slot.vt = fieldTypeFor(vt, key.tag, value);
    try {
        slot.value = fieldValueFor(slot.vt, value);
    } catch (const mapi::Error&) {
        slot.value = value;  // compared as given
    }
    conds_.push_back(slot);
    ++version_;
    return slot;
}

void ConditionList::setField(std::uint32_t tag, const QString& name, const Variant& value) {
    for (FieldSlot& c : conds_) {
        if ((tag != 0 && c.tag == tag) ||
            (tag == 0 && c.name.compare(name, Qt::CaseInsensitive) == 0)) {
            c.value = value;
            ++version_;
            return;
        }
    }
}

// ---- FilterObject -----------------------------------------------------------------

void FilterObject::Set(const QString& member, const Variant& value) {
    members_[canonicalMember(kind_, member)] = value;
    ++changes_;
}

Variant FilterObject::Get(const QString& member) {
    auto it = members_.find(canonicalMember(kind_, member));
    return it == members_.end() ? Variant() : it->second;
}

Ref<mapi::Fields> FilterObject::FieldsOf() {
    return Ref<mapi::Fields>(std::make_shared<FieldsObject>(conds_));
}

bool FilterObject::isEmpty() const {
    for (const auto& [name, value] : members_)
        if (name != QLatin1String("Not") && name != QLatin1String("Or")) return false;
    return conds_->conditions().empty();
}

FilterCriteria FilterObject::criteria() const {
    FilterCriteria c;
    auto member = [&](const char* name) -> const Variant* {
        auto it = members_.find(QLatin1String(name));
        return it == members_.end() ? nullptr : &it->second;
    };
    auto text = [&](const char* name, std::optional<QString>& into) {
        if (const Variant* v = member(name)) into = as(VarType::String, *v).asString();
    };
    auto number = [&](const char* name, std::optional<std::int32_t>& into) {
        if (const Variant* v = member(name)) into = as(VarType::Long, *v).asLong();
    };
    auto flag = [&](const char* name, std::optional<bool>& into) {
        if (const Variant* v = member(name)) into = as(VarType::Boolean, *v).asBoolean();
    };
    if (kind_ == FilterKind::Messages) {
        text("Subject", c.subject);
        text("Text", c.text);
        text("Sender", c.sender);
        text("Recipients", c.recipients);
        number("Importance", c.importance);
        number("Size", c.size);
        flag("Sent", c.sent);
        flag("Unread", c.unread);
        text("Type", c.type);
        if (const Variant* v = member("TimeFirst")) c.timeFirst = dateSeconds(*v, false);
        if (const Variant* v = member("TimeLast")) c.timeLast = dateSeconds(*v, true);
    } else {
        text("Name", c.name);
        text("Address", c.address);
    }
    c.conditions = conds_->conditions();
    // Not and Or only say how conditions are joined: without any they are not read.
    if (!c.conditions.empty()) {
        std::optional<bool> useOr, negate;
        flag("Or", useOr);
        flag("Not", negate);
        c.useOr = useOr.value_or(false);
        c.negate = negate.value_or(false);
    }
    return c;
}

bool conditionHolds(const FieldSlot& condition, const std::vector<FieldSlot>& fields) {
    for (const FieldSlot& f : fields) {
        const bool same = condition.tag != 0
                              ? f.tag == condition.tag
                              : f.name.compare(condition.name, Qt::CaseInsensitive) == 0;
        if (same && looselyEqual(f.value, condition.value)) return true;
    }
    return false;
}

}  // namespace model
