#include "store/Accounts.h"

#include <QHash>

namespace store {

namespace {

QHash<QString, AccountOpener>& openers() {
    static QHash<QString, AccountOpener> all;
    return all;
}

bool hasColumn(Db& db, const char* name) {
    Stmt q = db.prepare("SELECT 1 FROM pragma_table_info('profile_accounts') WHERE name = ?1");
    q.bind(1, QString::fromLatin1(name));
    return q.step();
}

bool hasAccountTable(Db& db) {
    Stmt q = db.prepare(
        "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'profile_accounts'");
    return q.step();
}

// Store files written before accounts existed get the table with their first account.
void ensureAccountTable(Db& db) {
    db.exec(
        "CREATE TABLE IF NOT EXISTS profile_accounts("
        "rid INTEGER PRIMARY KEY, profile INTEGER NOT NULL, kind TEXT NOT NULL, "
        "server TEXT NOT NULL, port INTEGER NOT NULL, security TEXT NOT NULL, "
        "user TEXT NOT NULL, password TEXT NOT NULL DEFAULT '', "
        "fingerprint TEXT NOT NULL DEFAULT '', timeout INTEGER NOT NULL DEFAULT 0, "
        "ca_file TEXT NOT NULL DEFAULT '')");
    // Tables made before a setting existed keep its default for their accounts.
    if (!hasColumn(db, "timeout"))
        db.exec("ALTER TABLE profile_accounts ADD COLUMN timeout INTEGER NOT NULL DEFAULT 0");
    if (!hasColumn(db, "ca_file"))
        db.exec("ALTER TABLE profile_accounts ADD COLUMN ca_file TEXT NOT NULL DEFAULT ''");
}

}  // namespace

void installAccountOpener(const QString& kind, AccountOpener opener) {
    openers()[kind] = std::move(opener);
}

std::shared_ptr<AccountSession> openAccount(const AccountLogon& logon) {
    const auto it = openers().constFind(logon.entry.kind);
    if (it == openers().constEnd() || !*it)
        mapi::raise(mapi::code::NoSupport,
                    QStringLiteral("This program cannot open %1 accounts.").arg(logon.entry.kind));
    return (*it)(logon);
}

std::vector<AccountEntry> profileAccounts(Db& db, std::int64_t profile) {
    std::vector<AccountEntry> out;
    if (!hasAccountTable(db)) return out;
    // A store written before a setting existed has no column for it.
    Stmt q = db.prepare(
        QStringLiteral("SELECT rid, kind, server, port, security, user, password, fingerprint, "
                       "%1, %2 FROM profile_accounts WHERE profile = ?1 ORDER BY rid")
            .arg(QLatin1String(hasColumn(db, "timeout") ? "timeout" : "0"),
                 QLatin1String(hasColumn(db, "ca_file") ? "ca_file" : "''")));
    q.bind(1, profile);
    while (q.step()) {
        AccountEntry e;
        e.rid = q.integer(0);
        e.kind = q.text(1);
        e.server = q.text(2);
        e.port = static_cast<int>(q.integer(3));
        e.security = q.text(4);
        e.user = q.text(5);
        e.password = q.text(6);
        e.fingerprint = q.text(7);
        e.timeout = static_cast<int>(q.integer(8));
        e.caFile = q.text(9);
        out.push_back(e);
    }
    return out;
}

void addAccount(Db& db, const QString& profileName, const AccountEntry& e) {
    Db::Transaction tx(db);
    ensureAccountTable(db);
    std::int64_t profile = 0;
    {
        Stmt q = db.prepare("SELECT rid FROM profiles WHERE name = ?1 COLLATE NOCASE");
        q.bind(1, profileName);
        if (q.step()) profile = q.integer(0);
    }
    if (profile == 0) {
        Stmt ins = db.prepare("INSERT INTO profiles(name, server, mailbox) VALUES(?1, ?2, ?3)");
        ins.bind(1, profileName).bind(2, e.server).bind(3, e.user).run();
        profile = db.lastInsertId();
    }
    Stmt ins = db.prepare(
        "INSERT INTO profile_accounts(profile, kind, server, port, security, user, password, "
        "fingerprint, timeout, ca_file) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    ins.bind(1, profile)
        .bind(2, e.kind)
        .bind(3, e.server)
        .bind(4, e.port)
        .bind(5, e.security)
        .bind(6, e.user)
        .bind(7, e.password)
        .bind(8, e.fingerprint)
        .bind(9, e.timeout)
        .bind(10, e.caFile)
        .run();
    tx.commit();
}

}  // namespace store
