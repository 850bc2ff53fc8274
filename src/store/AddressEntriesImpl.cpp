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
    snapshot_ = rows();
    haveSnapshot_ = true;
    return static_cast<std::int32_t>(snapshot_.size());
}

Ref<mapi::AddressEntry> AddressEntriesImpl::Item(std::int32_t index) {
    if (!haveSnapshot_) {
        snapshot_ = rows();
        haveSnapshot_ = true;
    }
    if (index < 1 || static_cast<std::size_t>(index) > snapshot_.size())
        mapi::raise(mapi::code::NotFound);
    auto e = AddressEntryImpl::load(s_, snapshot_[index - 1]);
    if (!e) mapi::raise(mapi::code::NotFound);
    if (parent_) e->setParent(parent_);
    return Ref<mapi::AddressEntry>(e);
}

namespace {
class EntryEnum : public mapi::Enumerator<mapi::AddressEntry> {
  public:
    EntryEnum(SessionPtr s, std::vector<std::int64_t> rows,
              std::shared_ptr<AddressEntryImpl> parent)
        : s_(std::move(s)), rows_(std::move(rows)), parent_(std::move(parent)) {}
    Ref<mapi::AddressEntry> next() override {
        while (i_ < rows_.size()) {
            if (auto e = AddressEntryImpl::load(s_, rows_[i_++])) {
                if (parent_) e->setParent(parent_);
                return Ref<mapi::AddressEntry>(e);
            }
        }
        return {};
    }

  private:
    SessionPtr s_;
    std::vector<std::int64_t> rows_;
    std::shared_ptr<AddressEntryImpl> parent_;
    std::size_t i_ = 0;
};
}  // namespace

std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> AddressEntriesImpl::enumerate() {
    return std::make_unique<EntryEnum>(s_, rows(), parent_);
}

Ref<mapi::AddressEntry> AddressEntriesImpl::GetFirst() {
    snapshot_ = rows();
    haveSnapshot_ = true;
    cursor_ = -1;
    return GetNext();
}

Ref<mapi::AddressEntry> AddressEntriesImpl::GetNext() {
    if (cursor_ < -1) return {};
    while (static_cast<std::size_t>(cursor_ + 1) < snapshot_.size()) {
        ++cursor_;
        if (auto e = AddressEntryImpl::load(s_, snapshot_[cursor_])) {
            if (parent_) e->setParent(parent_);
            return Ref<mapi::AddressEntry>(e);
        }
    }
    cursor_ = static_cast<std::int64_t>(snapshot_.size());
    return {};
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
