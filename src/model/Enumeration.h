#pragma once

// Walks over the objects a collection holds, as both stores give them.

#include <vector>

#include "messaging/Collection.h"
#include "messaging/Error.h"

namespace model {

// A for-each over the objects a collection held when the walk began.
template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<mapi::Ref<T>> items) : items_(std::move(items)) {}
    mapi::Ref<T> next() override { return i_ < items_.size() ? items_[i_++] : mapi::Ref<T>(); }

  private:
    std::vector<mapi::Ref<T>> items_;
    std::size_t i_ = 0;
};

// Count, Item (1-based; MAPI_E_NOT_FOUND outside 1..Count) and for-each over
// the objects a collection holds in memory: `held()`, as references or as
// pointers to a store's own class.
template <class T, class Base, class Held = mapi::Ref<T>>
class ListCollection : public Base {
  public:
    std::int32_t Count() override { return static_cast<std::int32_t>(held().size()); }
    mapi::Ref<T> Item(std::int32_t index) override {
        const std::vector<Held>& all = held();
        if (index < 1 || static_cast<std::size_t>(index) > all.size())
            mapi::raise(mapi::code::NotFound);
        return mapi::Ref<T>(all[static_cast<std::size_t>(index) - 1]);
    }
    std::unique_ptr<mapi::Enumerator<T>> enumerate() override {
        const std::vector<Held>& all = held();
        return std::make_unique<VectorEnum<T>>(std::vector<mapi::Ref<T>>(all.begin(), all.end()));
    }

  protected:
    virtual const std::vector<Held>& held() = 0;
};

}  // namespace model
