// Filters run inside SQLite as one query over the folder or address list, so
// that large folders are never loaded object by object.

#include <QStringList>

#include "messaging/VbConvert.h"
#include "store/StoreObjects.h"

namespace store {

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

Variant as(VarType vt, const Variant& v) {
    try {
        if (v.isNull() || v.isEmpty()) badValue();
        return coerce(vt, v);
    } catch (const mapi::Error&) {
        badValue();
    }
}

QString textOf(const Variant& v) {
    return as(VarType::String, v).asString();
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

FilterImpl::FilterImpl(FilterKind kind) : kind_(kind) {}

void FilterImpl::Set(const QString& member, const Variant& value) {
    members_[canonicalMember(kind_, member)] = value;
}

Variant FilterImpl::Get(const QString& member) {
    auto it = members_.find(canonicalMember(kind_, member));
    return it == members_.end() ? Variant() : it->second;
}

Ref<mapi::Fields> FilterImpl::FieldsOf() {
    return Ref<mapi::Fields>(std::make_shared<FieldsImpl>(conds_));
}

bool FilterImpl::isEmpty() const {
    for (const auto& [name, value] : members_)
        if (name != QLatin1String("Not") && name != QLatin1String("Or")) return false;
    return conds_->conditions().empty();
}

QString FilterImpl::whereClause(std::vector<SqlValue>& binds) const {
    QStringList all;
    const bool messages = kind_ == FilterKind::Messages;
    const QString a = messages ? QStringLiteral("m") : QStringLiteral("e");
    auto member = [&](const char* name) -> const Variant* {
        auto it = members_.find(QLatin1String(name));
        return it == members_.end() ? nullptr : &it->second;
    };
    auto contains = [&](const char* name, const QString& column) {
        if (const Variant* v = member(name)) {
            all << QStringLiteral("qv_contains(%1.%2, ?)").arg(a, column);
            binds.emplace_back(textOf(*v));
        }
    };

    if (messages) {
        contains("Subject", QStringLiteral("subject"));
        contains("Text", QStringLiteral("body"));
        if (const Variant* v = member("Sender")) {
            const QString t = textOf(*v);
            all << QStringLiteral(
                "(m.has_sender <> 0 AND (qv_contains(m.sender_name, ?) OR "
                "qv_contains(m.sender_address, ?)))");
            binds.emplace_back(t);
            binds.emplace_back(t);
        }
        if (const Variant* v = member("Recipients")) {
            const QString t = textOf(*v);
            all << QStringLiteral(
                "EXISTS(SELECT 1 FROM recipients r WHERE r.message = m.rid AND "
                "(qv_contains(r.name, ?) OR qv_contains(r.address, ?)))");
            binds.emplace_back(t);
            binds.emplace_back(t);
        }
        if (const Variant* v = member("Importance")) {
            all << QStringLiteral("m.importance = ?");
            binds.emplace_back(std::int64_t{as(VarType::Long, *v).asLong()});
        }
        if (const Variant* v = member("Size")) {
            all << QStringLiteral("m.size >= ?");
            binds.emplace_back(std::int64_t{as(VarType::Long, *v).asLong()});
        }
        if (const Variant* v = member("Sent")) {
            all << QStringLiteral("m.sent = ?");
            binds.emplace_back(std::int64_t{as(VarType::Boolean, *v).asBoolean() ? 1 : 0});
        }
        if (const Variant* v = member("Unread")) {
            all << QStringLiteral("m.unread = ?");
            binds.emplace_back(std::int64_t{as(VarType::Boolean, *v).asBoolean() ? 1 : 0});
        }
        if (const Variant* v = member("Type")) {
            all << QStringLiteral("qv_eq(8, m.type, 8, ?)");
            binds.emplace_back(textOf(*v));
        }
        if (const Variant* v = member("TimeFirst")) {
            all << QStringLiteral("m.time_received >= ?");
            binds.emplace_back(dateSeconds(*v, false));
        }
        if (const Variant* v = member("TimeLast")) {
            all << QStringLiteral("m.time_received <= ?");
            binds.emplace_back(dateSeconds(*v, true));
        }
    } else {
        contains("Name", QStringLiteral("name"));
        contains("Address", QStringLiteral("address"));
    }

    // Field conditions: joined by AND (or OR), then negated as a group by Not.
    QStringList fields;
    const int ownerKind = static_cast<int>(messages ? OwnerKind::Message : OwnerKind::Entry);
    for (const PropSlot& c : conds_->conditions()) {
        const VarType wantedType = c.value.type();
        const SqlValue wanted = encode(wantedType, c.value);
        if (c.tag != 0) {
            const char* column = messages ? messageColumn(c.tag) : entryColumn(c.tag);
            if (column) {
                const VarType vt = varTypeOfTag(c.tag).value_or(VarType::String);
                fields << QStringLiteral("qv_eq(%1, %2.%3, %4, ?)")
                              .arg(static_cast<int>(vt))
                              .arg(a, QLatin1String(column))
                              .arg(static_cast<int>(wantedType));
                binds.push_back(wanted);
                continue;
            }
            if (messages && c.tag == tag::MessageFlags) {
                fields << QStringLiteral(
                              "qv_eq(3, (CASE WHEN m.unread = 0 THEN %1 ELSE 0 END) | "
                              "(CASE WHEN m.sent = 0 THEN %2 ELSE 0 END) | "
                              "(CASE WHEN EXISTS(SELECT 1 FROM attachments t WHERE t.message = "
                              "m.rid) THEN %3 ELSE 0 END), %4, ?)")
                              .arg(kMsgFlagRead)
                              .arg(kMsgFlagUnsent)
                              .arg(kMsgFlagHasAttach)
                              .arg(static_cast<int>(wantedType));
                binds.push_back(wanted);
                continue;
            }
            fields << QStringLiteral(
                          "EXISTS(SELECT 1 FROM props p WHERE p.owner_kind = %1 AND p.owner = "
                          "%2.rid AND p.tag = ? AND qv_eq(p.vtype, p.value, %3, ?))")
                          .arg(ownerKind)
                          .arg(a)
                          .arg(static_cast<int>(wantedType));
            binds.emplace_back(static_cast<std::int64_t>(c.tag));
            binds.push_back(wanted);
        } else {
            fields << QStringLiteral(
                          "EXISTS(SELECT 1 FROM props p WHERE p.owner_kind = %1 AND p.owner = "
                          "%2.rid AND qv_eq(8, p.name, 8, ?) AND qv_eq(p.vtype, p.value, %3, ?))")
                          .arg(ownerKind)
                          .arg(a)
                          .arg(static_cast<int>(wantedType));
            binds.emplace_back(c.name);
            binds.push_back(wanted);
        }
    }
    if (!fields.isEmpty()) {
        bool useOr = false, negate = false;
        if (const Variant* v = member("Or")) useOr = as(VarType::Boolean, *v).asBoolean();
        if (const Variant* v = member("Not")) negate = as(VarType::Boolean, *v).asBoolean();
        QString group = QLatin1Char('(') +
                        fields.join(useOr ? QStringLiteral(" OR ") : QStringLiteral(" AND ")) +
                        QLatin1Char(')');
        if (negate) group = QStringLiteral("NOT ") + group;
        all << group;
    }
    if (all.isEmpty()) return QStringLiteral("1");
    return all.join(QStringLiteral(" AND "));
}

}  // namespace store
