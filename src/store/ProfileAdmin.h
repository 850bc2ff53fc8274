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

// What a change to the profiles was refused for, in words for the user.
struct AdminError {
    QString message;
};

// A new profile with nothing in it; AdminError when the name is empty or taken.
Profile createProfile(Db& db, const QString& name);
// The profile's accounts keep their passwords under the new name. AdminError
// when there is no such profile or another one has the name.
Profile renameProfile(Db& db, const QString& profileName, const QString& newName);
// The profile's stores that no other profile lists: what deleting the
// profile may delete with it.
QStringList ownStores(Db& db, const QString& profileName);
// Adds the account, or changes `before` (an account of the profile) into it;
// an empty password with `keepPassword` keeps the one the account had.
void saveAccount(Db& db, const QString& profileName, const std::optional<AccountEntry>& before,
                 AccountEntry entry, bool keepPassword);

// Each gives what it removed or changed, nothing when there is no such
// profile (or account); names, servers and users compare ignoring case.
// Removing an account forgets its password and its header cache; removing a
// profile removes its accounts so, and keeps its stores' mail, which other
// profiles may list.
std::optional<AccountEntry> removeAccount(Db& db, const QString& profileName, const QString& server,
                                          const QString& user);
// With `withOwnStores` the stores ownStores names go too, mail and all.
std::optional<ProfileListing> removeProfile(Db& db, const QString& profileName,
                                            bool withOwnStores = false);
std::optional<Profile> setDefaultProfile(Db& db, const QString& profileName);

// The profile a session of this program's store is logged on to, with the
// store file it reads; nothing for a session logged off or of another kind.
struct LoggedOnProfile {
    QString storePath;
    std::int64_t profile = 0;
};
std::optional<LoggedOnProfile> loggedOnProfile(mapi::Session& session);

}  // namespace store
