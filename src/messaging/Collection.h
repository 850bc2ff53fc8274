#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "messaging/Ref.h"

namespace mapi {

// Base of every object the messaging layer hands out.
class Object : public std::enable_shared_from_this<Object> {
  public:
    virtual ~Object() = default;
};

// One pass over a collection, as for-each walks it; next() gives an empty
// reference at the end. Independent of the collection's GetFirst/GetNext cursor.
template <class T>
class Enumerator {
  public:
    virtual ~Enumerator() = default;
    virtual Ref<T> next() = 0;
};

// Count then Item(1..Count), or for-each. Counts are full 32-bit.
template <class T>
class Collection : public Object {
  public:
    virtual std::int32_t Count() = 0;
    // 1-based; outside 1..Count throws MAPI_E_NOT_FOUND.
    virtual Ref<T> Item(std::int32_t index) = 0;
    virtual std::unique_ptr<Enumerator<T>> enumerate() = 0;

    // for (Ref<T> x : *collection) ...
    class iterator {
      public:
        iterator() = default;
        iterator(std::unique_ptr<Enumerator<T>> e, std::shared_ptr<Object> owner)
            : owner_(std::move(owner)), e_(std::move(e)) {
            ++*this;
        }
        const Ref<T>& operator*() const { return cur_; }
        iterator& operator++() {
            cur_ = e_ ? e_->next() : Ref<T>();
            return *this;
        }
        bool operator!=(const iterator& other) const { return cur_.get() != other.cur_.get(); }

      private:
        // Keeps the collection alive for the whole loop even when the caller
        // releases its own reference inside it. (A range over `*obj->Items()`
        // still dangles: the temporary dies before begin(); hold it in a variable.)
        std::shared_ptr<Object> owner_;
        std::shared_ptr<Enumerator<T>> e_;
        Ref<T> cur_;
    };
    iterator begin() { return iterator(enumerate(), this->weak_from_this().lock()); }
    iterator end() { return iterator(); }
};

// Collections that are also walked with GetFirst/GetNext (Folders, Messages,
// AddressEntries). GetNext after the last item, or before GetFirst, gives an
// empty reference.
template <class T>
class WalkableCollection : public Collection<T> {
  public:
    virtual Ref<T> GetFirst() = 0;
    virtual Ref<T> GetNext() = 0;
};

}  // namespace mapi
