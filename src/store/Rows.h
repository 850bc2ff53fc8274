#pragma once

// The rows behind the store's collections, as their Count, Item, GetFirst and
// GetNext and their for-each walk them.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "messaging/Collection.h"
#include "messaging/Error.h"

namespace store {

// The rows a collection lists, as its Count, Item and GetFirst/GetNext see
// them: Count and GetFirst read them afresh, Item and GetNext use that reading
// (Item takes one when there is none yet).
class RowWalk {
  public:
    using Read = std::function<std::vector<std::int64_t>()>;
    std::int32_t take(std::vector<std::int64_t> rows);
    // Item(index)'s row; MAPI_E_NOT_FOUND outside 1..Count.
    std::int64_t at(std::int32_t index, const Read& read);
    // GetFirst: the walk stands before the first row.
    void restart(std::vector<std::int64_t> rows);
    // GetNext: on to the next row `found(i)` accepts (a row gone since is
    // not); false past the last, or before any GetFirst.
    template <class Found>
    bool next(Found&& found) {
        if (cursor_ < -1) return false;
        while (static_cast<std::size_t>(cursor_ + 1) < rows_.size()) {
            ++cursor_;
            if (found(static_cast<std::size_t>(cursor_))) return true;
        }
        cursor_ = static_cast<std::int64_t>(rows_.size());
        return false;
    }
    const std::vector<std::int64_t>& rows() const { return rows_; }

  private:
    std::vector<std::int64_t> rows_;
    bool taken_ = false;
    std::int64_t cursor_ = -2;  // -2: GetFirst not called yet
};

// A for-each over the rows listed when it began: `load(rows, i)` makes the
// object of row i, or nothing for a row gone since, which is passed over.
template <class T>
class RowEnum : public mapi::Enumerator<T> {
  public:
    using Load = std::function<mapi::Ref<T>(const std::vector<std::int64_t>&, std::size_t)>;
    RowEnum(std::vector<std::int64_t> rows, Load load)
        : rows_(std::move(rows)), load_(std::move(load)) {}
    mapi::Ref<T> next() override {
        while (i_ < rows_.size())
            if (mapi::Ref<T> x = load_(rows_, i_++)) return x;
        return {};
    }

  private:
    std::vector<std::int64_t> rows_;
    Load load_;
    std::size_t i_ = 0;
};

// Count, Item, GetFirst/GetNext and for-each over the rows `rows()` lists.
// `loader()` makes the object of a listed row, or nothing for a row gone
// since, which the walks pass over and Item reports as MAPI_E_NOT_FOUND; each
// walk gets a loader of its own, so that one may read its rows in batches.
template <class T, class Base>
class RowCollection : public Base {
  public:
    using Load = typename RowEnum<T>::Load;
    std::int32_t Count() override { return walk_.take(rows()); }
    mapi::Ref<T> Item(std::int32_t index) override {
        const std::vector<std::int64_t> row{walk_.at(index, [this] { return rows(); })};
        mapi::Ref<T> x = loader()(row, 0);
        if (!x) mapi::raise(mapi::code::NotFound);
        return x;
    }
    std::unique_ptr<mapi::Enumerator<T>> enumerate() override {
        return std::make_unique<RowEnum<T>>(rows(), loader());
    }
    mapi::Ref<T> GetFirst() override {
        walk_.restart(rows());
        next_ = loader();
        return GetNext();
    }
    mapi::Ref<T> GetNext() override {
        mapi::Ref<T> x;
        if (next_) walk_.next([&](std::size_t i) { return bool(x = next_(walk_.rows(), i)); });
        return x;
    }

    virtual std::vector<std::int64_t> rows() const = 0;

  protected:
    virtual Load loader() const = 0;
    RowWalk walk_;

  private:
    Load next_;
};

}  // namespace store
