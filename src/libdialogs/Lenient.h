#pragma once

#include <cstdint>
#include <exception>

#include "messaging/Ref.h"

namespace libdialogs {

// The library's dialogs show what can be read: a value that fails to read
// reads as its default, and an item that cannot be fetched is passed over, so
// that one broken entry never spoils a dialog.

template <class F>
auto readOr(F&& f, decltype(f()) fallback) -> decltype(f()) {
    try {
        return f();
    } catch (const std::exception&) {
        return fallback;
    }
}

// Item(i) of the collection into `item`; false when it cannot be fetched.
template <class C, class T>
bool readItem(const C& collection, std::int32_t i, mapi::Ref<T>& item) {
    try {
        item = collection->Item(i);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace libdialogs
