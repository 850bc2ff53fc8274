#pragma once

// The one test double of the messaging object model: a wrapper around whatever
// back-end is installed (the real store, built from a fixture) that logs every
// member call as "Class.Member" ("Messages.GetNext", "Recipient.Resolve";
// for-each is "X.Enumerate") and fails a chosen call with a chosen code:
//
//     faulty::Install wrap;  // wraps the current session factory until destroyed
//     faulty::faults().failOn("Messages.GetNext", 3, mapi::code::DiskError);

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "messaging/SessionFactory.h"

namespace faulty {

class Faults {
  public:
    // The `nth` call of `member` counted from now (1 = the next one) and the
    // `times - 1` after it fail with `error`; times < 0 fails every call from
    // the nth on. A `member` ending in "*" matches every member with that prefix.
    void failOn(const QString& member, int nth, std::int32_t error, int times = 1);
    void reset();  // forgets rules, counts and the log

    int calls(const QString& member) const;
    const QStringList& log() const { return log_; }
    void hit(const QString& member);

  private:
    struct Rule {
        QString pattern;
        int nth;
        int times;
        std::int32_t error;
        int seen = 0;
    };
    std::vector<Rule> rules_;
    QStringList log_;
};

Faults& faults();

// Wraps a session (and everything reached from it).
mapi::Ref<mapi::Session> wrap(const mapi::Ref<mapi::Session>& inner);

// Installs a factory that wraps the current one's sessions, with fresh faults;
// the destructor puts the previous factory back.
class Install {
  public:
    Install();
    ~Install();
    Install(const Install&) = delete;
    Install& operator=(const Install&) = delete;

  private:
    mapi::SessionFactory previous_;
};

}  // namespace faulty
