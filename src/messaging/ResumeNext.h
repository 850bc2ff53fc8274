#pragma once

#include "messaging/Error.h"

namespace mapi {

// On Error Resume Next for one statement: a statement the library refuses is
// skipped and the caller goes on with the next one. Other exceptions pass.
template <class F>
void resumeNext(F&& statement) {
    try {
        statement();
    } catch (const Error&) {
    }
}

}  // namespace mapi
