#include "messaging/ReadOnly.h"

#include <atomic>

#include "messaging/Error.h"

namespace mapi {

namespace {
std::atomic<bool> readOnly{false};
}

void setSessionsReadOnly(bool on) {
    readOnly.store(on);
}

bool sessionsReadOnly() {
    return readOnly.load();
}

void checkSessionWritable() {
    if (readOnly.load()) raise(code::NoAccess, QStringLiteral("The session is read-only."));
}

}  // namespace mapi
