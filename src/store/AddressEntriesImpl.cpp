#include "store/AddressEntriesImpl.h"

#include "store/AddressEntryImpl.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

std::vector<std::int64_t> AddressEntriesImpl::rows() const {
    std::vector<SqlValue> binds;
    QString sql;
    if (parent_) {
        if (parent_->rid() == 0) return {};
        sql = QStringLiteral("SELECT e.rid FROM entries e WHERE e.parent = ?");
        binds.emplace_back(parent_->rid());
    } else {
        sql = QStringLiteral("SELECT e.rid FROM entries e WHERE e.list = ? AND e.parent IS NULL");
        binds.emplace_back(list_);
    }
    if (filter_ && !filter_->isEmpty())
        sql += QStringLiteral(" AND (%1)").arg(filter_->whereClause(binds));
    sql += QStringLiteral(" ORDER BY e.rid");
    Stmt q = s_->db->prepare(sql);
    q.bindAll(binds);
    std::vector<std::int64_t> out;
    while (q.step()) out.push_back(q.integer(0));
    return out;
}

AddressEntriesImpl::Load AddressEntriesImpl::loader() const {
    // An entry of a list's members knows the list it belongs to.
    return [s = s_, parent = parent_](const std::vector<std::int64_t>& rows, std::size_t i) {
        auto e = AddressEntryImpl::load(s, rows[i]);
        if (e && parent) e->setParent(parent);
        return Ref<mapi::AddressEntry>(e);
    };
}

Ref<mapi::Filter> AddressEntriesImpl::FilterOf() {
    if (!filter_) filter_ = std::make_shared<FilterImpl>(FilterKind::Entries);
    return Ref<mapi::Filter>(filter_);
}

Ref<mapi::AddressEntry> AddressEntriesImpl::Add(const QString& type, const QString& name) {
    if (readOnly_) mapi::raise(mapi::code::NoAccess);
    auto e = std::make_shared<AddressEntryImpl>(s_, list_, false);
    e->setParent(parent_);
    e->setField(tag::DisplayName, QString(), Variant(name));
    e->setField(tag::AddressType, QString(), Variant(type));
    e->setField(tag::EmailAddress, QString(), Variant(QString()));
    e->setField(tag::DisplayType, QString(),
                Variant(type == QLatin1String("MAPIPDL") ? kPrivateDistList : std::int32_t{0}));
    return Ref<mapi::AddressEntry>(e);
}

}  // namespace store
