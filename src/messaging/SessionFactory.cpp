#include "messaging/SessionFactory.h"

#include <utility>

namespace mapi {

namespace {
SessionFactory& factory() {
    static SessionFactory f;
    return f;
}
}  // namespace

void throwObjectNotSet() {
    raise(code::ObjectNotSet);
}

Ref<Session> createSession() {
    if (!factory())
        raise(code::NotInitialized, QStringLiteral("No messaging library is installed."));
    return factory()();
}

void installSessionFactory(SessionFactory f) {
    factory() = std::move(f);
}

SessionFactory currentSessionFactory() {
    return factory();
}

}  // namespace mapi
