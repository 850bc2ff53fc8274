// Filters run inside SQLite as one query over the folder or address list, so
// that large folders are never loaded object by object. What each member and
// condition means is the model's (model/Filter.h); this is only its SQL.

#include <QStringList>
#include <type_traits>

#include "store/StoreObjects.h"

namespace store {

using mapi::VarType;

namespace {

// One field condition: the standard column that holds the tag, the computed
// message flags, or a custom property of that tag or name.
QString conditionSql(const FieldSlot& c, bool messages, std::vector<SqlValue>& binds) {
    const QString a = messages ? QStringLiteral("m") : QStringLiteral("e");
    const int wantedType = static_cast<int>(c.value.type());
    const SqlValue wanted = encode(c.value.type(), c.value);
    const char* column = c.tag == 0 ? nullptr
                         : messages ? messageColumn(c.tag)
                                    : entryColumn(c.tag);
    if (column) {
        binds.push_back(wanted);
        return QStringLiteral("qv_eq(%1, %2.%3, %4, ?)")
            .arg(static_cast<int>(varTypeOfTag(c.tag).value_or(VarType::String)))
            .arg(a, QLatin1String(column))
            .arg(wantedType);
    }
    if (messages && c.tag == tag::MessageFlags) {
        binds.push_back(wanted);
        return QStringLiteral(
                   "qv_eq(3, (CASE WHEN m.unread = 0 THEN %1 ELSE 0 END) | "
                   "(CASE WHEN m.sent = 0 THEN %2 ELSE 0 END) | "
                   "(CASE WHEN EXISTS(SELECT 1 FROM attachments t WHERE t.message = "
                   "m.rid) THEN %3 ELSE 0 END), %4, ?)")
            .arg(kMsgFlagRead)
            .arg(kMsgFlagUnsent)
            .arg(kMsgFlagHasAttach)
            .arg(wantedType);
    }
    if (c.tag != 0)
        binds.emplace_back(static_cast<std::int64_t>(c.tag));
    else
        binds.emplace_back(c.name);
    binds.push_back(wanted);
    return QStringLiteral(
               "EXISTS(SELECT 1 FROM props p WHERE p.owner_kind = %1 AND p.owner = %2.rid AND "
               "%3 AND qv_eq(p.vtype, p.value, %4, ?))")
        .arg(static_cast<int>(messages ? OwnerKind::Message : OwnerKind::Entry))
        .arg(a, c.tag != 0 ? QStringLiteral("p.tag = ?") : QStringLiteral("qv_eq(8, p.name, 8, ?)"))
        .arg(wantedType);
}

}  // namespace

QString FilterImpl::whereClause(std::vector<SqlValue>& binds) const {
    const model::FilterCriteria c = criteria();
    const bool messages = kind() == FilterKind::Messages;
    QStringList all;
    // One member's test, its value bound for each "?" the test holds.
    auto test = [&](const auto& value, const char* sql) {
        if (!value) return;
        all << QLatin1String(sql);
        for (const char* q = sql; *q; ++q) {
            if (*q != '?') continue;
            if constexpr (std::is_same_v<std::decay_t<decltype(*value)>, QString>)
                binds.emplace_back(*value);
            else
                binds.emplace_back(static_cast<std::int64_t>(*value));
        }
    };
    test(c.subject, "qv_contains(m.subject, ?)");
    test(c.text, "qv_contains(m.body, ?)");
    test(c.sender,
         "(m.has_sender <> 0 AND (qv_contains(m.sender_name, ?) OR "
         "qv_contains(m.sender_address, ?)))");
    test(c.recipients,
         "EXISTS(SELECT 1 FROM recipients r WHERE r.message = m.rid AND "
         "(qv_contains(r.name, ?) OR qv_contains(r.address, ?)))");
    test(c.importance, "m.importance = ?");
    test(c.size, "m.size >= ?");
    test(c.sent, "m.sent = ?");
    test(c.unread, "m.unread = ?");
    test(c.type, "qv_eq(8, m.type, 8, ?)");
    test(c.timeFirst, "m.time_received >= ?");
    test(c.timeLast, "m.time_received <= ?");
    test(c.name, "qv_contains(e.name, ?)");
    test(c.address, "qv_contains(e.address, ?)");

    const std::optional<QString> group = model::joinConditions<QString>(
        c, [&](const FieldSlot& s) { return conditionSql(s, messages, binds); },
        [](QString a, const QString& b, bool useOr) {
            return a + (useOr ? QStringLiteral(" OR ") : QStringLiteral(" AND ")) + b;
        },
        [](const QString& g) { return QStringLiteral("NOT (") + g + QLatin1Char(')'); });
    if (group) all << QLatin1Char('(') + *group + QLatin1Char(')');
    if (all.isEmpty()) return QStringLiteral("1");
    return all.join(QStringLiteral(" AND "));
}

}  // namespace store
