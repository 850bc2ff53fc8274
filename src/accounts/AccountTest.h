#pragma once

#include <QString>

#include "store/Accounts.h"

namespace accounts {

// Logs on to the account and lists its mailboxes, with the library's progress
// window and its Cancel, and tells the user how it went. A certificate that does
// not verify is put to the user, and pinned on the account when trusted, as at
// a logon.
void testAccount(store::Db& db, const QString& profile, const store::AccountEntry& account);

}  // namespace accounts
