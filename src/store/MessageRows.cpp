#include <algorithm>
#include <limits>

#include "store/MessageImpl.h"
#include "store/MessageRows.h"

// A message's row access: reading its row, its recipients and attachments
// when first asked for, and writing them back.

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;
using namespace message_rows;

const char* messageColumn(std::uint32_t t) {
    for (const Column& c : kColumns)
        if (c.tag == t) return c.name;
    return nullptr;
}

const std::vector<PropertyBag::Standard>& MessageImpl::standardTable() {
    static const std::vector<PropertyBag::Standard> table = [] {
        std::vector<PropertyBag::Standard> t;
        for (const Column& c : kColumns)
            t.push_back({c.tag, c.vt,
                         (c.tag & 0x7FF00000u) != 0x7FF00000u && c.tag != kSenderAddress &&
                             c.tag != kDeliveryReceipt && c.tag != kReadReceipt});
        return t;
    }();
    return table;
}

std::shared_ptr<MessageImpl> MessageImpl::load(const SessionPtr& s, std::int64_t rid) {
    Stmt& q = s->db->cached(kLoadSql);
    q.bind(1, rid);
    if (!q.step()) {
        q.reset();
        return nullptr;
    }
    auto m = fromRow(s, q, rid);
    q.reset();
    return m;
}

std::vector<std::shared_ptr<MessageImpl>> MessageImpl::loadRun(const SessionPtr& s,
                                                               const std::int64_t* rids,
                                                               std::size_t count) {
    std::vector<std::shared_ptr<MessageImpl>> out(count);
    if (count == 0) return out;
    auto run = std::make_shared<ListedRun>();
    run->first = rids[0];
    run->last = rids[count - 1];
    // Rows gone since the snapshot stay empty.
    forEachListedRow(*s->db, rids, count, [&](std::size_t j, Stmt& q) {
        auto m = std::make_shared<MessageImpl>(s, q.integer(1), StoredTag{});
        m->rid_ = rids[j];
        m->eid_ = q.text(0);
        m->bag_.setRaw(tag::Subject, decode(VarType::String, q.value(2)));
        m->bodyLoaded_ = false;
        m->rowLoaded_ = false;
        m->run_ = run;
        run->members.push_back(m);
        out[j] = std::move(m);
    });
    return out;
}

void MessageImpl::ListedRun::load(Db& db) {
    // Every message of the run still in use gets its row from one statement:
    // a read per message would take and drop the file lock each time.
    Stmt& q = db.cached(kLoadRangeSql);
    q.bind(1, first).bind(2, last);
    std::size_t j = 0;
    while (j < members.size() && q.step()) {
        const std::int64_t rid = q.integer(kRangeRidColumn);
        for (; j < members.size(); ++j) {
            const std::shared_ptr<MessageImpl> m = members[j].lock();
            if (!m || m->rowLoaded_) continue;
            if (m->rid_ > rid) break;
            if (m->rid_ == rid) {
                m->applyRow(q);
                m->rowLoaded_ = true;
                m->run_.reset();
                ++j;
                break;
            }
        }
    }
    q.reset();
    members.clear();
}

std::shared_ptr<MessageImpl> MessageImpl::fromRow(const SessionPtr& s, Stmt& q, std::int64_t rid) {
    auto m = std::make_shared<MessageImpl>(s, q.integer(1), StoredTag{});
    m->rid_ = rid;
    m->eid_ = q.text(0);
    m->applyRow(q);
    m->bodyLoaded_ = false;
    return m;
}

void MessageImpl::applyRow(Stmt& q) {
    const bool hasSender = q.integer(2) != 0;
    int col = 3;
    for (const Column& c : kColumns) {
        const SqlValue v = q.value(col++);
        bag_.setRaw(c.tag, decode(c.vt, v));
    }
    if (!hasSender) {
        bag_.erase(tag::SenderName);
        bag_.erase(kSenderAddress);
    }
    bag_.erase(tag::Body);
}

void MessageImpl::loadRow() {
    if (rowLoaded_) return;
    if (auto run = std::move(run_)) {
        run->load(*s_->db);
        if (rowLoaded_) return;
    }
    Stmt& q = s_->db->cached(kLoadSql);
    q.bind(1, rid_);
    if (!q.step()) {
        q.reset();
        mapi::raise(mapi::code::NotFound);
    }
    applyRow(q);
    q.reset();
    rowLoaded_ = true;
}

void MessageImpl::loadRecipients() {
    if (recips_) return;
    recips_ = std::make_shared<RecipientsImpl>(s_);
    Stmt& q = s_->db->cached(
        "SELECT name, address, type, display_type, address_type FROM recipients "
        "WHERE message = ?1 ORDER BY rid");
    q.bind(1, rid_);
    while (q.step()) {
        auto r = std::make_shared<RecipientImpl>(s_);
        if (!q.isNull(0)) r->name = q.text(0);
        if (!q.isNull(1)) r->address = q.text(1);
        if (!q.isNull(2)) r->type = static_cast<std::int32_t>(q.integer(2));
        if (!q.isNull(3)) r->displayType = static_cast<std::int32_t>(q.integer(3));
        if (!q.isNull(4)) r->addressType = q.text(4);
        recips_->items.push_back(r);
    }
    q.reset();
}

void MessageImpl::loadAttachments() {
    if (atts_) return;
    atts_ = std::make_shared<AttachmentsImpl>();
    // length() of a BLOB reads none of it.
    Stmt& q = s_->db->cached(
        "SELECT rid, name, type, position, length(data) FROM attachments WHERE message = ?1 "
        "ORDER BY rid");
    q.bind(1, rid_);
    while (q.step()) {
        auto a =
            std::make_shared<AttachmentImpl>(s_, q.integer(0), q.isNull(4) ? -1 : q.integer(4));
        if (!q.isNull(1)) a->name = q.text(1);
        if (!q.isNull(2)) a->type = static_cast<std::int32_t>(q.integer(2));
        if (!q.isNull(3)) a->position = static_cast<std::int32_t>(q.integer(3));
        atts_->items.push_back(a);
    }
    q.reset();
}

void MessageImpl::loadBody() {
    if (bodyLoaded_) return;
    Stmt& q = s_->db->cached("SELECT body FROM messages WHERE rid = ?1");
    q.bind(1, rid_);
    if (q.step()) bag_.setRaw(tag::Body, decode(VarType::String, q.value(0)));
    q.reset();
    bodyLoaded_ = true;
}

int MessageImpl::attachmentCount() {
    if (atts_) return static_cast<int>(atts_->items.size());
    Stmt& q = s_->db->cached("SELECT COUNT(*) FROM attachments WHERE message = ?1");
    q.bind(1, rid_);
    q.step();
    const int n = static_cast<int>(q.integer(0));
    q.reset();
    return n;
}

std::pair<std::int64_t, QString> MessageImpl::saveRow(Db& db) {
    Columns row;
    const bool isNew = rid_ == 0;
    if (isNew) {
        row.emplace_back("eid", QStringLiteral("pending"));
        row.emplace_back("folder", folder_);
    }
    row.emplace_back("has_sender",
                     std::int64_t{(bag_.has(tag::SenderName) || bag_.has(kSenderAddress)) ? 1 : 0});
    for (const Column& c : kColumns)
        row.emplace_back(c.name, encode(c.vt, bag_.getOr(c.tag, Variant::null())));
    std::int64_t rid = rid_;
    QString eid = eid_;
    if (isNew) {
        rid = insertMessage(db, row);
        eid = assignEntryId(db, EntryKind::Message, rid);
    } else if (!updateMessage(db, rid_, row)) {
        mapi::raise(mapi::code::NotFound);
    }
    return {rid, eid};
}

void MessageImpl::saveRecipients(Db& db, std::int64_t rid) {
    deleteRecipients(db, rid);
    for (const auto& r : recips_->items)
        insertRecipient(db, rid, r->name ? SqlValue(*r->name) : SqlValue(),
                        r->address ? SqlValue(*r->address) : SqlValue(),
                        r->type ? SqlValue(std::int64_t{*r->type}) : SqlValue(),
                        r->displayType ? SqlValue(std::int64_t{*r->displayType}) : SqlValue(),
                        r->addressType ? SqlValue(*r->addressType) : SqlValue());
}

std::vector<std::int64_t> MessageImpl::saveAttachments(Db& db, std::int64_t rid) {
    std::vector<std::int64_t> attRids;
    // The new rows first, the old ones dropped after: data still in the
    // store is copied from its old row a piece at a time, never read whole.
    // New rows get higher row ids than every row there is.
    for (const auto& a : atts_->items) {
        const std::int64_t attRid = insertAttachmentSpace(
            db, rid, a->name ? SqlValue(*a->name) : SqlValue(),
            a->type ? SqlValue(std::int64_t{*a->type}) : SqlValue(),
            a->position ? SqlValue(std::int64_t{*a->position}) : SqlValue(), a->dataSize());
        attRids.push_back(attRid);
        if (a->data())
            db.writeBlob("attachments", "data", attRid, *a->data());
        else if (a->storedRid() != 0)
            db.copyBlob("attachments", "data", a->storedRid(), attRid);
    }
    deleteAttachmentsBefore(
        db, rid, attRids.empty() ? std::numeric_limits<std::int64_t>::max() : attRids.front());
    return attRids;
}

}  // namespace store
