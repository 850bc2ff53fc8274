#include <algorithm>

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
    sql += QStringLiteral(" ORDER BY m.rid");
    Stmt q = s_->db->prepare(sql);
    q.bindAll(binds);
    return q;
}

std::vector<std::int64_t> MessagesImpl::rows() const {
    Stmt q = select("");
    std::vector<std::int64_t> out;
    while (q.step()) out.push_back(q.integer(0));
    return out;
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

std::int32_t MessagesImpl::Count() {
    snapshot_ = rows();
    haveSnapshot_ = true;
    return static_cast<std::int32_t>(snapshot_.size());
}

Ref<mapi::Message> MessagesImpl::Item(std::int32_t index) {
    if (!haveSnapshot_) {
        snapshot_ = rows();
        haveSnapshot_ = true;
    }
    if (index < 1 || static_cast<std::size_t>(index) > snapshot_.size())
        mapi::raise(mapi::code::NotFound);
    auto m = MessageImpl::load(s_, snapshot_[index - 1]);
    if (!m) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Message>(m);
}

namespace {
class MessageEnum : public mapi::Enumerator<mapi::Message> {
  public:
    MessageEnum(SessionPtr s, std::vector<std::int64_t> rows)
        : s_(std::move(s)), rows_(std::move(rows)) {}
    Ref<mapi::Message> next() override {
        while (i_ < rows_.size()) {
            if (auto m = batch_.at(s_, rows_, i_++)) return Ref<mapi::Message>(m);
        }
        return {};
    }

  private:
    SessionPtr s_;
    std::vector<std::int64_t> rows_;
    std::size_t i_ = 0;
    MessageBatch batch_;
};
}  // namespace

bool MessagesImpl::nextHeading(bool first, QString& id, QString& subject) {
    if (first) {
        snapshot_ = rows();
        haveSnapshot_ = true;
        cursor_ = -1;
        batch_ = MessageBatch();
        headings_ = HeadingBatch();
    }
    if (cursor_ < -1) return false;
    while (static_cast<std::size_t>(cursor_ + 1) < snapshot_.size()) {
        ++cursor_;
        if (headings_.at(s_, snapshot_, static_cast<std::size_t>(cursor_), id, subject))
            return true;
    }
    cursor_ = static_cast<std::int64_t>(snapshot_.size());
    return false;
}

std::unique_ptr<mapi::Enumerator<mapi::Message>> MessagesImpl::enumerate() {
    return std::make_unique<MessageEnum>(s_, rows());
}

Ref<mapi::Message> MessagesImpl::GetFirst() {
    snapshot_ = rows();
    haveSnapshot_ = true;
    cursor_ = -1;
    batch_ = MessageBatch();
    return GetNext();
}

Ref<mapi::Message> MessagesImpl::GetNext() {
    if (cursor_ < -1) return {};
    while (static_cast<std::size_t>(cursor_ + 1) < snapshot_.size()) {
        ++cursor_;
        if (auto m = batch_.at(s_, snapshot_, static_cast<std::size_t>(cursor_)))
            return Ref<mapi::Message>(m);
    }
    cursor_ = static_cast<std::int64_t>(snapshot_.size());
    return {};
}

Ref<mapi::Filter> MessagesImpl::FilterOf() {
    if (!filter_) filter_ = std::make_shared<FilterImpl>(FilterKind::Messages);
    return Ref<mapi::Filter>(filter_);
}

Ref<mapi::Message> MessagesImpl::Add() {
    return Ref<mapi::Message>(std::make_shared<MessageImpl>(s_, folder_));
}

}  // namespace store
