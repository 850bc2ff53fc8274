#pragma once

// What a user sees of the profiles and changes in them outside a logon: every
// profile with its stores and accounts, and removing accounts and profiles or
// choosing the default one.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "store/Accounts.h"
#include "store/Database.h"
#include "store/Profiles.h"

namespace store {

struct ProfileListing {
    Profile profile;
    QStringList stores;  // the names of its embedded stores, in the order it lists them
    std::vector<AccountEntry> accounts;
};

std::vector<ProfileListing> listProfiles(Db& db);

// Each gives what it removed or changed, nothing when there is no such
// profile (or account); names, servers and users compare ignoring case.
// Removing an account forgets its password and its header cache; removing a
// profile removes its accounts so, and keeps its stores' mail, which other
// profiles may list.
std::optional<AccountEntry> removeAccount(Db& db, const QString& profileName, const QString& server,
                                          const QString& user);
std::optional<ProfileListing> removeProfile(Db& db, const QString& profileName);
std::optional<Profile> setDefaultProfile(Db& db, const QString& profileName);

}  // namespace store
