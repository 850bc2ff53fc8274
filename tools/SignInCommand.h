#pragma once

#include <QStringList>

// quorvane-store sign-in: an OAuth 2.0 account's sign-in on a machine without a
// desktop (the URL printed, the browser anywhere that reaches 127.0.0.1).
int signInCommand(const QStringList& args);
