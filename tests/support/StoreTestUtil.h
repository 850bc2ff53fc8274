#pragma once

// Shared set-up for the embedded store's tests: a small fixture written to a
// file, installed as the back-end, and helpers to log on and to answer the
// library's modal dialogs.

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

#include "messaging/Objects.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"
#include "support/Drive.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace storetest {

// Two stores (the second with the Outbox), three address lists (one read-only),
// two profiles plus one without Outbox and PAB.
// Read from the file beside this header, once.
inline const QByteArray& fixtureJson() {
    static const QByteArray json = [] {
        QFile f(QStringLiteral(STORE_FIXTURE_JSON));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    return json;
}

// Writes `json` into a file in `dir` and returns its path.
inline QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& json) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(json);
    return path;
}

// Installs the standard fixture (fresh for each call).
inline void installFixture() {
    QTemporaryDir dir;
    store::installFixtureBackend(writeFile(dir, QStringLiteral("fixture.json"), fixtureJson()));
}

inline mapi::Ref<mapi::Session> logon(const QString& profile = QString(),
                                      const QString& password = QString()) {
    mapi::Ref<mapi::Session> s = mapi::createSession();
    mapi::LogonArgs a;
    if (!profile.isEmpty()) {
        a.profileName = profile;
        a.profilePassword = password;
    }
    a.showDialog = false;
    a.newSession = true;
    s->Logon(a);
    return s;
}

using drive::whenModal;

// Expects `fn` to throw mapi::Error with `number`.
template <class Fn>
std::int32_t errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const mapi::Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace storetest
