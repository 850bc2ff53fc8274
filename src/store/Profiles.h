#pragma once

// Profiles: named sets of stores and address lists with an optional password
// and the server/mailbox pair that the dynamic logon matches.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "store/Database.h"

namespace store {

struct Profile {
    std::int64_t rid = 0;
    QString name;
    QString passwordHash;  // "" for no password
    bool isDefault = false;
    QString server;
    QString mailbox;
};

QString hashPassword(const QString& password);
// True for the profile's password, or for any text when it has none.
bool passwordMatches(const Profile& p, const QString& password);

std::vector<Profile> loadProfiles(Db& db);
QStringList profileNames(const std::vector<Profile>& all);
// By name, ignoring case.
std::optional<Profile> findProfile(const std::vector<Profile>& all, const QString& name);
// The one marked default, else the first.
std::optional<Profile> defaultProfile(const std::vector<Profile>& all);
// The dynamic form: "server" LF "mailbox", both compared ignoring case.
std::optional<Profile> profileForServerMailbox(const std::vector<Profile>& all,
                                               const QString& profileInfo);

}  // namespace store
