#pragma once

// The value of a property a recipient or attachment may lack: reading one it
// lacks fails with MAPI_E_NOT_FOUND.

#include <optional>

#include "messaging/Error.h"

namespace store {

template <class T>
const T& required(const std::optional<T>& v) {
    if (!v) mapi::raise(mapi::code::NotFound);
    return *v;
}

}  // namespace store
