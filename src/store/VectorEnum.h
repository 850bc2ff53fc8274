#pragma once

// An enumerator over a collection held in memory, and the value of a
// property a collection member may lack (MAPI_E_NOT_FOUND when it does).

#include <optional>
#include <vector>

#include "messaging/Error.h"
#include "messaging/Objects.h"

namespace store {

template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<mapi::Ref<T>> items) : items_(std::move(items)) {}
    mapi::Ref<T> next() override { return i_ < items_.size() ? items_[i_++] : mapi::Ref<T>(); }

  private:
    std::vector<mapi::Ref<T>> items_;
    std::size_t i_ = 0;
};

template <class T>
const T& required(const std::optional<T>& v) {
    if (!v) mapi::raise(mapi::code::NotFound);
    return *v;
}

}  // namespace store
