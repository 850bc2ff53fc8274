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

std::int32_t AddressEntriesImpl::Count() {
    return walk_.take(rows());
}

namespace {
// An entry of a list's members knows the list it belongs to.
Ref<mapi::AddressEntry> entryOf(const SessionPtr& s, std::int64_t rid,
                                const std::shared_ptr<AddressEntryImpl>& parent) {
    auto e = AddressEntryImpl::load(s, rid);
    if (e && parent) e->setParent(parent);
    return Ref<mapi::AddressEntry>(e);
}
}  // namespace

Ref<mapi::AddressEntry> AddressEntriesImpl::Item(std::int32_t index) {
    Ref<mapi::AddressEntry> e = entryOf(s_, walk_.at(index, [this] { return rows(); }), parent_);
    if (!e) mapi::raise(mapi::code::NotFound);
    return e;
}

std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> AddressEntriesImpl::enumerate() {
    return std::make_unique<RowEnum<mapi::AddressEntry>>(
        rows(), [s = s_, parent = parent_](const std::vector<std::int64_t>& rows, std::size_t i) {
            return entryOf(s, rows[i], parent);
        });
}

Ref<mapi::AddressEntry> AddressEntriesImpl::GetFirst() {
    walk_.restart(rows());
    return GetNext();
}

Ref<mapi::AddressEntry> AddressEntriesImpl::GetNext() {
    Ref<mapi::AddressEntry> e;
    walk_.next([&](std::size_t i) { return bool(e = entryOf(s_, walk_.rows()[i], parent_)); });
    return e;
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
