#pragma once

#include <QString>

namespace app {

// Lets profiles hold IMAP accounts: installs the opener the store's logon uses
// for them. With a log path every command and response of every connection is
// appended there (passwords masked); an unwritable path is reported and ignored.
void installImapAccounts(const QString& protocolLogPath);

}  // namespace app
