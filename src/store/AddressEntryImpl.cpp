#include "store/AddressEntryImpl.h"
#include "messaging/ReadOnly.h"

#include "model/Fields.h"
#include "store/AddressEntriesImpl.h"
#include "store/LibraryDialogs.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

namespace {

struct Column {
    const char* name;
    std::uint32_t tag;
    VarType vt;
};
const Column kColumns[] = {
    {"name", tag::DisplayName, VarType::String},
    {"type", tag::AddressType, VarType::String},
    {"address", tag::EmailAddress, VarType::String},
    {"comment", tag::Comment, VarType::String},
    {"display_type", tag::DisplayType, VarType::Long},
    {"alias", tag::Account, VarType::String},
    {"send_rich_info", tag::SendRichInfo, VarType::Boolean},
};

}  // namespace

const char* entryColumn(std::uint32_t t) {
    for (const Column& c : kColumns)
        if (c.tag == t) return c.name;
    return nullptr;
}

const std::vector<PropertyBag::Standard>& AddressEntryImpl::standardTable() {
    static const std::vector<PropertyBag::Standard> table = [] {
        std::vector<PropertyBag::Standard> t;
        for (const Column& c : kColumns) t.push_back({c.tag, c.vt, true});
        return t;
    }();
    return table;
}

AddressEntryImpl::AddressEntryImpl(SessionPtr s, std::int64_t list, bool readOnly)
    : BagFields(&standardTable()), s_(std::move(s)), list_(list), readOnly_(readOnly) {}

std::shared_ptr<AddressEntryImpl> AddressEntryImpl::load(const SessionPtr& s, std::int64_t rid) {
    Stmt& q = s->db->cached(
        "SELECT e.eid, e.list, l.read_only, e.name, e.type, e.address, e.comment, e.display_type, "
        "e.alias, e.send_rich_info FROM entries e JOIN address_lists l ON l.rid = e.list "
        "WHERE e.rid = ?1");
    q.bind(1, rid);
    if (!q.step()) {
        q.reset();
        return nullptr;
    }
    auto e = std::make_shared<AddressEntryImpl>(s, q.integer(1), q.integer(2) != 0);
    e->rid_ = rid;
    e->eid_ = q.text(0);
    int col = 3;
    for (const Column& c : kColumns) e->bag_.setRaw(c.tag, decode(c.vt, q.value(col++)));
    q.reset();
    e->bag_.loadCustom(*s->db, OwnerKind::Entry, rid);
    return e;
}

std::shared_ptr<AddressEntryImpl> AddressEntryImpl::transient(const SessionPtr& s,
                                                              const QString& name,
                                                              const QString& address) {
    auto e = std::make_shared<AddressEntryImpl>(s, 0, true);
    e->transient_ = true;
    e->bag_.setRaw(tag::DisplayName, Variant(name));
    e->bag_.setRaw(tag::AddressType, Variant(QStringLiteral("SMTP")));
    e->bag_.setRaw(tag::EmailAddress, Variant(address));
    e->bag_.setRaw(tag::DisplayType, Variant(std::int32_t{0}));
    return e;
}

void AddressEntryImpl::checkWritable() const {
    if (deleted_) mapi::raise(mapi::code::NotFound);
    if (readOnly_ || transient_) mapi::raise(mapi::code::NoAccess);
}

QString AddressEntryImpl::ID() {
    if (rid_ == 0) mapi::raise(mapi::code::NotFound);
    return eid_;
}
QString AddressEntryImpl::Name() {
    return bag_.get(tag::DisplayName).asString();
}
QString AddressEntryImpl::Address() {
    return bag_.get(tag::EmailAddress).asString();
}
QString AddressEntryImpl::Type() {
    return bag_.get(tag::AddressType).asString();
}
std::int32_t AddressEntryImpl::DisplayType() {
    return bag_.get(tag::DisplayType).asLong();
}
QString AddressEntryImpl::alias() const {
    return bag_.getOr(tag::Account, Variant(QString())).asString();
}

void AddressEntryImpl::SetName(const QString& v) {
    checkWritable();
    bag_.set(tag::DisplayName, v);
}
void AddressEntryImpl::SetAddress(const QString& v) {
    checkWritable();
    bag_.set(tag::EmailAddress, v);
}
void AddressEntryImpl::SetType(const QString& v) {
    checkWritable();
    bag_.set(tag::AddressType, v);
}

Ref<mapi::Fields> AddressEntryImpl::FieldsOf() {
    return Ref<mapi::Fields>(std::make_shared<model::FieldsObject>(
        std::shared_ptr<FieldOwner>(shared_from_this(), static_cast<FieldOwner*>(this))));
}

Ref<mapi::AddressEntries> AddressEntryImpl::Members() {
    const Variant dt = bag_.getOr(tag::DisplayType, Variant(std::int32_t{0}));
    const bool isList =
        bag_.getOr(tag::AddressType, Variant(QString())).asString() == QLatin1String("MAPIPDL") ||
        dt.asLong() == kDistList || dt.asLong() == kPrivateDistList;
    if (!isList || transient_) mapi::raise(mapi::code::NoSupport);
    auto self = std::shared_ptr<AddressEntryImpl>(shared_from_this(), this);
    return Ref<mapi::AddressEntries>(
        std::make_shared<AddressEntriesImpl>(s_, list_, readOnly_, self));
}

void AddressEntryImpl::Details() {
    runDetails(*this);
}

void AddressEntryImpl::checkFieldChange(bool adding) {
    // The sender of a message takes changed values but no new fields.
    if (adding || !transient_) checkWritable();
}

void AddressEntryImpl::save() {
    Db& db = *s_->db;
    const bool isNew = rid_ == 0;
    Columns row;
    if (isNew) {
        row.emplace_back("eid", QStringLiteral("pending"));
        row.emplace_back("list", list_);
        row.emplace_back("parent", parent_ ? SqlValue(parent_->rid_) : SqlValue());
    }
    for (const Column& c : kColumns)
        row.emplace_back(c.name, encode(c.vt, bag_.getOr(c.tag, Variant::null())));
    std::int64_t rid = rid_;
    QString eid = eid_;
    if (isNew) {
        rid = insertEntry(db, row);
        eid = assignEntryId(db, EntryKind::Entry, rid);
    } else if (!updateEntry(db, rid_, row)) {
        mapi::raise(mapi::code::NotFound);
    }
    bag_.saveCustom(db, OwnerKind::Entry, rid);
    rid_ = rid;
    eid_ = eid;
}

void AddressEntryImpl::Update() {
    mapi::checkSessionWritable();
    checkWritable();
    Db::Transaction tx(*s_->db);
    // A member added to a list that was never saved saves the list with it.
    const std::int64_t parentBefore = parent_ ? parent_->rid_ : 0;
    const std::int64_t ridBefore = rid_;
    try {
        if (parent_ && parent_->rid_ == 0) parent_->save();
        save();
        tx.commit();
    } catch (...) {
        if (parent_ && parentBefore == 0) parent_->rid_ = 0;
        rid_ = ridBefore;
        throw;
    }
}

void AddressEntryImpl::Delete() {
    mapi::checkSessionWritable();
    checkWritable();
    if (rid_ == 0) mapi::raise(mapi::code::NotFound);
    Db& db = *s_->db;
    Db::Transaction tx(db);
    if (!deleteEntry(db, rid_)) mapi::raise(mapi::code::NotFound);
    tx.commit();
    deleted_ = true;
}

std::vector<std::shared_ptr<AddressEntryImpl>> findEntries(const SessionPtr& s,
                                                           const QString& name) {
    std::vector<std::int64_t> rows;
    {
        Stmt& q = s->db->cached(
            "SELECT e.rid FROM profile_lists p JOIN entries e ON e.list = p.list "
            "WHERE p.profile = ?1 AND e.parent IS NULL AND "
            "(qv_eq(8, e.name, 8, ?2) OR qv_eq(8, e.alias, 8, ?2)) ORDER BY p.rowid, e.rid");
        q.bind(1, s->profile).bind(2, name);
        while (q.step()) rows.push_back(q.integer(0));
        q.reset();
    }
    std::vector<std::shared_ptr<AddressEntryImpl>> out;
    for (std::int64_t rid : rows) {
        auto e = AddressEntryImpl::load(s, rid);
        if (!e) continue;
        const QString address =
            e->fieldByTag(tag::EmailAddress)->value.isNull() ? QString() : e->Address();
        bool seen = false;
        for (const auto& o : out) {
            const auto oa = o->fieldByTag(tag::EmailAddress);
            if (!oa->value.isNull() &&
                oa->value.asString().compare(address, Qt::CaseInsensitive) == 0)
                seen = true;
        }
        if (!seen) out.push_back(e);
    }
    return out;
}

}  // namespace store
