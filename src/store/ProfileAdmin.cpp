#include "store/ProfileAdmin.h"

#include <QFile>

#include "store/SessionImpl.h"
#include "store/Tables.h"

namespace store {

namespace {

QStringList storeNames(Db& db, std::int64_t profile) {
    QStringList names;
    Stmt q = db.prepare(
        "SELECT s.name FROM profile_stores p JOIN stores s ON s.rid = p.store "
        "WHERE p.profile = ?1 ORDER BY p.rowid");
    q.bind(1, profile);
    while (q.step()) names << q.text(0);
    return names;
}

// The account's password, header cache and row: nothing of it is left.
void dropAccount(Db& db, const QString& profileName, const AccountEntry& a) {
    forgetSecret(secretOwner(db, profileName, a));
    forgetTokens(db, profileName, a);
    deleteAccount(db, a.rid);
    const QString cache = accountCachePath(db.path(), a.rid);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(cache + QLatin1String(suffix));
}

std::optional<Profile> profileNamed(Db& db, const QString& name) {
    return findProfile(loadProfiles(db), name);
}

std::vector<std::int64_t> ownStoreRows(Db& db, std::int64_t profile) {
    std::vector<std::int64_t> rows;
    Stmt q = db.prepare(
        "SELECT p.store FROM profile_stores p WHERE p.profile = ?1 AND NOT EXISTS "
        "(SELECT 1 FROM profile_stores o WHERE o.store = p.store AND o.profile <> ?1) "
        "ORDER BY p.rowid");
    q.bind(1, profile);
    while (q.step()) rows.push_back(q.integer(0));
    return rows;
}

}  // namespace

Profile createProfile(Db& db, const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) throw AdminError{QStringLiteral("A profile needs a name.")};
    if (profileNamed(db, trimmed))
        throw AdminError{QStringLiteral("There is already a profile named \"%1\".").arg(trimmed)};
    Db::Transaction tx(db);
    Profile p;
    p.rid = insertProfile(db, {{"name", trimmed}});
    p.name = trimmed;
    tx.commit();
    return p;
}

Profile renameProfile(Db& db, const QString& profileName, const QString& newName) {
    const QString trimmed = newName.trimmed();
    std::optional<Profile> p = profileNamed(db, profileName);
    if (!p) throw AdminError{QStringLiteral("There is no profile named \"%1\".").arg(profileName)};
    if (trimmed.isEmpty()) throw AdminError{QStringLiteral("A profile needs a name.")};
    if (std::optional<Profile> other = profileNamed(db, trimmed); other && other->rid != p->rid)
        throw AdminError{QStringLiteral("There is already a profile named \"%1\".").arg(trimmed)};
    // Passwords are kept under the profile's name: each moves before the rename
    // lands, so a failure leaves every one findable under the name in the file.
    const std::vector<AccountEntry> accounts =
        hasAccountTable(db) ? profileAccounts(db, p->rid) : std::vector<AccountEntry>{};
    std::vector<AccountEntry> moved;
    for (const AccountEntry& a : accounts) {
        if (std::optional<QString> kept = findSecret(secretOwner(db, p->name, a))) {
            keepSecret(secretOwner(db, trimmed, a), *kept);
            moved.push_back(a);
        }
        if (std::optional<OAuthTokens> t = keptTokens(db, p->name, a)) {
            keepTokens(db, trimmed, a, *t);
            moved.push_back(a);
        }
    }
    Db::Transaction tx(db);
    renameProfileRow(db, p->rid, trimmed);
    tx.commit();
    for (const AccountEntry& a : moved)
        if (p->name != trimmed) {
            forgetSecret(secretOwner(db, p->name, a));
            forgetTokens(db, p->name, a);
        }
    p->name = trimmed;
    return *p;
}

QStringList ownStores(Db& db, const QString& profileName) {
    QStringList names;
    const std::optional<Profile> p = profileNamed(db, profileName);
    if (!p) return names;
    for (std::int64_t rid : ownStoreRows(db, p->rid)) {
        Stmt q = db.prepare("SELECT name FROM stores WHERE rid = ?1");
        q.bind(1, rid);
        if (q.step()) names << q.text(0);
    }
    return names;
}

void saveAccount(Db& db, const QString& profileName, const std::optional<AccountEntry>& before,
                 AccountEntry entry, bool keepPassword) {
    if (keepPassword && entry.password.isEmpty() && before)
        entry.password = keptPassword(db, profileName, *before);
    const auto same = [&](const AccountEntry& a) {
        return a.server.compare(entry.server, Qt::CaseInsensitive) == 0 &&
               a.user.compare(entry.user, Qt::CaseInsensitive) == 0;
    };
    // An account given another server or user is another account: the new one is
    // written first, so a failure leaves the old one as it was.
    addAccount(db, profileName, entry);
    if (before && !same(*before)) removeAccount(db, profileName, before->server, before->user);
}

std::optional<LoggedOnProfile> loggedOnProfile(mapi::Session& session) {
    auto* s = dynamic_cast<SessionImpl*>(&session);
    if (!s || !s->loggedOn()) return std::nullopt;
    return LoggedOnProfile{s->storePath(), s->profile()};
}

std::vector<ProfileListing> listProfiles(Db& db) {
    std::vector<ProfileListing> out;
    for (const Profile& p : loadProfiles(db))
        out.push_back(ProfileListing{
            p, storeNames(db, p.rid),
            hasAccountTable(db) ? profileAccounts(db, p.rid) : std::vector<AccountEntry>{}});
    return out;
}

std::optional<AccountEntry> removeAccount(Db& db, const QString& profileName, const QString& server,
                                          const QString& user) {
    const std::optional<Profile> p = findProfile(loadProfiles(db), profileName);
    if (!p || !hasAccountTable(db)) return std::nullopt;
    for (const AccountEntry& a : profileAccounts(db, p->rid)) {
        if (a.server.compare(server, Qt::CaseInsensitive) != 0 ||
            a.user.compare(user, Qt::CaseInsensitive) != 0)
            continue;
        Db::Transaction tx(db);
        dropAccount(db, p->name, a);
        tx.commit();
        return a;
    }
    return std::nullopt;
}

std::optional<ProfileListing> removeProfile(Db& db, const QString& profileName,
                                            bool withOwnStores) {
    const std::optional<Profile> p = findProfile(loadProfiles(db), profileName);
    if (!p) return std::nullopt;
    ProfileListing removed{
        *p, storeNames(db, p->rid),
        hasAccountTable(db) ? profileAccounts(db, p->rid) : std::vector<AccountEntry>{}};
    Db::Transaction tx(db);
    for (const AccountEntry& a : removed.accounts) dropAccount(db, p->name, a);
    if (withOwnStores)
        for (std::int64_t store : ownStoreRows(db, p->rid)) deleteStore(db, store);
    deleteProfile(db, p->rid);
    tx.commit();
    return removed;
}

std::optional<Profile> setDefaultProfile(Db& db, const QString& profileName) {
    const std::optional<Profile> p = findProfile(loadProfiles(db), profileName);
    if (!p) return std::nullopt;
    Db::Transaction tx(db);
    markDefaultProfile(db, p->rid);
    tx.commit();
    return p;
}

}  // namespace store
