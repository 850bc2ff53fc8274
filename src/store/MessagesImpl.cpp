#include <algorithm>

#include "model/StoreRules.h"
#include "model/Values.h"
#include "store/MessageImpl.h"
#include "store/MessageRows.h"
#include "store/MessagesImpl.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

using namespace message_rows;

Stmt MessagesImpl::select(const char* columns) const {
    std::vector<SqlValue> binds{SqlValue(folder_)};
    QString sql = QStringLiteral("SELECT m.rid%1 FROM messages m WHERE m.folder = ?")
                      .arg(QLatin1String(columns));
    if (filter_ && !filter_->isEmpty())
        sql += QStringLiteral(" AND (%1)").arg(filter_->whereClause(binds));
    sql += orderBy_.isEmpty() ? QStringLiteral(" ORDER BY m.rid")
                              : QStringLiteral(" ORDER BY %1, m.rid").arg(orderBy_);
    Stmt q = s_->db->prepare(sql);
    q.bindAll(binds);
    return q;
}

std::vector<std::int64_t> MessagesImpl::rows() const {
    Stmt q = select("");
    std::vector<std::int64_t> out;
    while (q.step()) out.push_back(q.integer(0));
    if (sortTag_ != 0 && orderBy_.isEmpty()) {
        // A property no column holds: its values are read message by message.
        std::vector<std::pair<Variant, std::int64_t>> keyed;
        for (std::int64_t rid : out)
            if (auto m = MessageImpl::load(s_, rid))
                keyed.emplace_back(model::sortValue(*m, sortTag_), rid);
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            return descending_ ? model::sortsBefore(b.first, a.first)
                               : model::sortsBefore(a.first, b.first);
        });
        out.clear();
        for (const auto& k : keyed) out.push_back(k.second);
    }
    return out;
}

void MessagesImpl::Sort(std::int32_t order, std::uint32_t tag) {
    model::checkSortOrder(order);
    // Item and GetNext read the rows afresh in the new order.
    walk_ = RowWalk();
    descending_ = order == 2;
    const std::uint32_t wanted = model::normalizeTag(tag == 0 ? tag::DeliveryTime : tag);
    orderBy_.clear();
    sortTag_ = wanted;
    for (const Column& c : kColumns) {
        if (c.tag != wanted) continue;
        // Texts compare without regard to case, a missing value first, as on
        // any store (model::sortsBefore).
        const QString column = QStringLiteral("m.") + QLatin1String(c.name);
        const QString collate =
            c.vt == VarType::String ? QStringLiteral(" COLLATE NOCASE") : QString();
        orderBy_ = descending_
                       ? QStringLiteral("%1 IS NOT NULL DESC, %1%2 DESC").arg(column, collate)
                       : QStringLiteral("%1 IS NOT NULL, %1%2").arg(column, collate);
    }
}

void MessagesImpl::listLines(const std::function<void(const mapi::MessageLine&)>& each) {
    // A filter's result can be most of a big folder: its lines come straight
    // from one statement instead of a message object each. A row whose parts
    // are not plain values (no time, no sender name, a value of another type)
    // is read through its message, so that it lists exactly as a walk does.
    Stmt q = select(", m.time_received, m.has_sender, m.sender_name, m.subject");
    mapi::MessageLine line;
    while (q.step()) {
        const bool hasSender = q.integer(2) != 0;
        if (q.isInteger(1) && (!hasSender || q.isText(3)) && q.isText(4)) {
            line.received = Variant(dateOfSeconds(q.integer(1))).toText();
            line.sender = hasSender ? q.text(3) : QString();
            line.subject = q.text(4);
            each(line);
        } else if (auto m = MessageImpl::load(s_, q.integer(0))) {
            each(lineOf(*m));
        }
    }
}

bool MessagesImpl::nextHeading(bool first, QString& id, QString& subject) {
    // The batches read rows in ascending order only.
    if (sortTag_ != 0) return mapi::Messages::nextHeading(first, id, subject);
    if (first) {
        walk_.restart(rows());
        headings_ = HeadingBatch();
    }
    return walk_.next(
        [&](std::size_t i) { return headings_.at(s_, walk_.rows(), i, id, subject); });
}

MessagesImpl::Load MessagesImpl::loader() const {
    // A sorted walk takes its rows one at a time: the batches read them in ascending order.
    if (sortTag_ != 0)
        return [s = s_](const std::vector<std::int64_t>& rows, std::size_t i) {
            return Ref<mapi::Message>(MessageImpl::load(s, rows[i]));
        };
    return [s = s_, batch = MessageBatch()](const std::vector<std::int64_t>& rows,
                                            std::size_t i) mutable {
        return Ref<mapi::Message>(batch.at(s, rows, i));
    };
}

Ref<mapi::Filter> MessagesImpl::FilterOf() {
    if (!filter_) filter_ = std::make_shared<FilterImpl>(FilterKind::Messages);
    return Ref<mapi::Filter>(filter_);
}

Ref<mapi::Message> MessagesImpl::Add() {
    return Ref<mapi::Message>(std::make_shared<MessageImpl>(s_, folder_));
}

}  // namespace store
