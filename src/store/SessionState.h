#pragma once

// What every object of one logged-on session shares.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "messaging/Objects.h"
#include "store/Accounts.h"
#include "store/Database.h"

namespace store {

// What every object of one logged-on session shares.
struct SessionState {
    std::shared_ptr<Db> db;
    std::int64_t profile = 0;
    QString profileName;
    QString userName;  // sender of the messages the session creates
    // The user's own mail address as the profile gives it (mailbox@server),
    // "" when the profile names no mailbox.
    QString address;
    // The profile's mail-server accounts, logged on with the session.
    std::vector<std::shared_ptr<AccountSession>> accounts;
};
using SessionPtr = std::shared_ptr<const SessionState>;

}  // namespace store
