#include <algorithm>

#include "store/MessageBatch.h"
#include "store/MessageRows.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

using namespace message_rows;

std::shared_ptr<MessageImpl> MessageBatch::at(const SessionPtr& s,
                                              const std::vector<std::int64_t>& rows,
                                              std::size_t i) {
    if (i < start_ || i >= start_ + items_.size()) {
        start_ = i;
        items_ = MessageImpl::loadRun(s, rows.data() + i, std::min(kWalkBatch, rows.size() - i));
    }
    return items_[i - start_];
}

bool HeadingBatch::at(const SessionPtr& s, const std::vector<std::int64_t>& rows, std::size_t i,
                      QString& id, QString& subject) {
    if (i < start_ || i >= start_ + items_.size()) {
        start_ = i;
        const std::size_t count = std::min(kWalkBatch, rows.size() - i);
        const std::int64_t* rids = rows.data() + i;
        items_.assign(count, Heading());
        // Rows gone since the snapshot stay Gone.
        forEachListedRow(*s->db, rids, count, [this](std::size_t j, Stmt& q) {
            Heading& h = items_[j];
            if (q.isText(2)) {
                h.state = Heading::Plain;
                h.id = q.text(0);
                h.subject = q.text(2);
            } else {
                h.state = Heading::Other;
            }
        });
    }
    Heading& h = items_[i - start_];
    switch (h.state) {
        case Heading::Gone:
            return false;
        case Heading::Plain:
            id = std::move(h.id);
            subject = std::move(h.subject);
            return true;
        case Heading::Other:
            break;
    }
    // A subject that is not text (or none) converts, or fails, as the
    // message's own Subject does; read now, as a walk reads it.
    const auto m = MessageImpl::load(s, rows[i]);
    if (!m) return false;
    id = m->ID();
    subject = m->Subject();
    return true;
}

}  // namespace store
