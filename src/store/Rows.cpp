#include "store/Rows.h"

#include "messaging/Error.h"

namespace store {

std::int32_t RowWalk::take(std::vector<std::int64_t> rows) {
    rows_ = std::move(rows);
    taken_ = true;
    return static_cast<std::int32_t>(rows_.size());
}

std::int64_t RowWalk::at(std::int32_t index, const Read& read) {
    if (!taken_) take(read());
    if (index < 1 || static_cast<std::size_t>(index) > rows_.size())
        mapi::raise(mapi::code::NotFound);
    return rows_[static_cast<std::size_t>(index) - 1];
}

void RowWalk::restart(std::vector<std::int64_t> rows) {
    take(std::move(rows));
    cursor_ = -1;
}

}  // namespace store
