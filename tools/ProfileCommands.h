#pragma once

#include <QStringList>

// quorvane-store list, remove-account, remove-profile and set-default: the
// profiles of $XDG_DATA_HOME/quorvane as a user sees and changes them. Each
// takes the tool's arguments and gives its exit status.
int listProfilesCommand(const QStringList& args);
int removeAccountCommand(const QStringList& args);
int removeProfileCommand(const QStringList& args);
int setDefaultCommand(const QStringList& args);
