#include "store/ProfileAdmin.h"

#include <QFile>

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
    deleteAccount(db, a.rid);
    const QString cache = accountCachePath(db.path(), a.rid);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(cache + QLatin1String(suffix));
}

}  // namespace

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

std::optional<ProfileListing> removeProfile(Db& db, const QString& profileName) {
    const std::optional<Profile> p = findProfile(loadProfiles(db), profileName);
    if (!p) return std::nullopt;
    ProfileListing removed{
        *p, storeNames(db, p->rid),
        hasAccountTable(db) ? profileAccounts(db, p->rid) : std::vector<AccountEntry>{}};
    Db::Transaction tx(db);
    for (const AccountEntry& a : removed.accounts) dropAccount(db, p->name, a);
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
