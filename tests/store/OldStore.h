#pragma once

// Stores as an older version wrote them, with the account passwords in the
// store file, and a look at the file's raw bytes.

#include <QFile>
#include <QString>
#include <vector>

#include "store/Database.h"

namespace secretstest {

// The store file and whatever journal or log SQLite keeps beside it, byte for byte.
inline QByteArray rawBytes(const QString& storePath) {
    QByteArray all;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        QFile f(storePath + QLatin1String(suffix));
        if (f.open(QIODevice::ReadOnly)) all += f.readAll();
    }
    return all;
}

inline std::int64_t profileId(store::Db& db, const QString& name) {
    store::Stmt q = db.prepare("SELECT rid FROM profiles WHERE name = ?1");
    q.bind(1, name);
    return q.step() ? q.integer(0) : 0;
}

// An account as an older version kept it: a row of its own, password and all.
struct OldRow {
    QString profile, server, user;
    int port;
    QString password;
    QString kind = QStringLiteral("imap");
};

// Writes the profiles and the account table as that version did; the row ids
// are 1, 2, ... in the order given.
inline void writeOldAccounts(store::Db& db, const std::vector<OldRow>& rows) {
    db.exec(
        "CREATE TABLE profile_accounts(rid INTEGER PRIMARY KEY, profile INTEGER NOT NULL, "
        "kind TEXT NOT NULL, server TEXT NOT NULL, port INTEGER NOT NULL, security TEXT NOT "
        "NULL, user TEXT NOT NULL, password TEXT NOT NULL DEFAULT '', fingerprint TEXT NOT NULL "
        "DEFAULT '', timeout INTEGER NOT NULL DEFAULT 0)");
    for (const OldRow& r : rows) {
        if (profileId(db, r.profile) == 0)
            db.prepare("INSERT INTO profiles(name) VALUES(?1)").bind(1, r.profile).run();
        db.prepare(
              "INSERT INTO profile_accounts(profile, kind, server, port, security, user, password) "
              "VALUES(?1, ?2, ?3, ?4, 'none', ?5, ?6)")
            .bind(1, profileId(db, r.profile))
            .bind(2, r.kind)
            .bind(3, r.server)
            .bind(4, r.port)
            .bind(5, r.user)
            .bind(6, r.password)
            .run();
    }
}

}  // namespace secretstest
