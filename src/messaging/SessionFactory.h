#pragma once

#include <QString>
#include <functional>

#include "messaging/Objects.h"

namespace mapi {

// CreateObject("MAPI.Session"): a new, not yet logged-on session from the
// back-end installed at start-up (the embedded store in the program, a fake in
// some tests). Throws error 429-style MAPI_E_NOT_INITIALIZED when none is installed.
Ref<Session> createSession();

using SessionFactory = std::function<Ref<Session>()>;
void installSessionFactory(SessionFactory factory);

// The current factory (empty when none is installed), for tests that wrap it.
SessionFactory currentSessionFactory();

}  // namespace mapi
