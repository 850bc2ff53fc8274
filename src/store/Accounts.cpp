#include "store/Accounts.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <optional>

#include "messaging/Error.h"
#include "store/Tables.h"

namespace store {

namespace {

QHash<QString, AccountOpener>& openers() {
    static QHash<QString, AccountOpener> all;
    return all;
}

// Hosts and user names compare as the store IDs of accounts do: ignoring case.
bool sameAccount(const AccountEntry& a, const AccountEntry& b) {
    return a.kind == b.kind && a.server.compare(b.server, Qt::CaseInsensitive) == 0 &&
           a.user.compare(b.user, Qt::CaseInsensitive) == 0;
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
    const auto column = [&db](const char* name, const char* missing) {
        return QLatin1String(hasColumn(db, "profile_accounts", name) ? name : missing);
    };
    Stmt q = db.prepare(
        QStringLiteral("SELECT rid, kind, server, port, security, user, password, fingerprint, "
                       "%1, %2, %3, %4, %5, %6, %7, %8 FROM profile_accounts WHERE profile = ?1 "
                       "ORDER BY rid")
            .arg(column("timeout", "0"), column("ca_file", "''"), column("auth", "'password'"),
                 column("authorize_url", "''"), column("token_url", "''"), column("scope", "''"),
                 column("client_id", "''"), column("client_secret", "''")));
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
        e.auth = q.text(10);
        e.authorizeUrl = q.text(11);
        e.tokenUrl = q.text(12);
        e.scope = q.text(13);
        e.clientId = q.text(14);
        e.clientSecret = q.text(15);
        out.push_back(e);
    }
    // An older version added the same account again as another row, and the two
    // would show as one store twice: the last one added is the one meant.
    for (auto it = out.begin(); it != out.end();) {
        const bool later = std::any_of(std::next(it), out.end(),
                                       [&](const AccountEntry& o) { return sameAccount(*it, o); });
        it = later ? out.erase(it) : std::next(it);
    }
    return out;
}

bool addAccount(Db& db, const QString& profileName, const AccountEntry& e) {
    tidyAccounts(db);
    QString storedName = profileName;
    {
        Stmt q = db.prepare("SELECT name FROM profiles WHERE name = ?1 COLLATE NOCASE");
        q.bind(1, profileName);
        if (q.step()) storedName = q.text(0);
    }
    // Kept before the row is written: a password that cannot be kept adds nothing.
    const SecretOwner owner = secretOwner(db, storedName, e);
    if (e.password.isEmpty())
        forgetSecret(owner);
    else
        keepSecret(owner, e.password);

    Db::Transaction tx(db);
    ensureAccountTable(db);
    std::int64_t profile = 0;
    {
        Stmt q = db.prepare("SELECT rid FROM profiles WHERE name = ?1 COLLATE NOCASE");
        q.bind(1, profileName);
        if (q.step()) profile = q.integer(0);
    }
    if (profile == 0) {
        profile =
            insertProfile(db, {{"name", profileName}, {"server", e.server}, {"mailbox", e.user}});
    }
    std::optional<AccountEntry> before;
    for (const AccountEntry& a : profileAccounts(db, profile))
        if (sameAccount(a, e)) before = a;
    // The password is kept as a secret, never in the row.
    const std::int64_t added = insertAccount(db, {{"profile", profile},
                                                  {"kind", e.kind},
                                                  {"server", e.server},
                                                  {"port", std::int64_t{e.port}},
                                                  {"security", e.security},
                                                  {"user", e.user},
                                                  {"password", QString()},
                                                  {"fingerprint", e.fingerprint},
                                                  {"timeout", std::int64_t{e.timeout}},
                                                  {"ca_file", e.caFile},
                                                  {"auth", e.auth},
                                                  {"authorize_url", e.authorizeUrl},
                                                  {"token_url", e.tokenUrl},
                                                  {"scope", e.scope},
                                                  {"client_id", e.clientId},
                                                  {"client_secret", e.clientSecret}});
    // The new row replaces the old one under the old one's id, which names
    // the account's header cache: the cached headers stay good.
    if (before) moveAccount(db, added, before->rid);
    tx.commit();
    // Written again with other capitals, the account's password has a new owner.
    if (before && (before->server != e.server || before->user != e.user)) {
        forgetSecret(secretOwner(db, storedName, *before));
        if (std::optional<OAuthTokens> t = keptTokens(db, storedName, *before)) {
            keepTokens(db, storedName, e, *t);
            forgetTokens(db, storedName, *before);
        }
    }
    // Tokens of another authorization server or client are worth nothing, and a
    // password account has none.
    if (before && before->usesOAuth2() &&
        (!e.usesOAuth2() || before->tokenUrl != e.tokenUrl || before->clientId != e.clientId))
        forgetTokens(db, storedName, e);
    return !before;
}

bool pinCertificate(Db& db, std::int64_t account, const QString& fingerprint) {
    Db::Transaction tx(db);
    const bool done = setAccountFingerprint(db, account, fingerprint);
    tx.commit();
    return done;
}

SecretOwner secretOwner(const Db& db, const QString& profileName, const AccountEntry& e) {
    return SecretOwner{db.path(), profileName, e.kind, e.server, e.user};
}

QString keptPassword(Db& db, const QString& profileName, const AccountEntry& e) {
    if (std::optional<QString> s = findSecret(secretOwner(db, profileName, e))) return *s;
    return e.password;
}

QString accountCachePath(const QString& storePath, std::int64_t rid) {
    return QStringLiteral("%1/account-%2.cache").arg(QFileInfo(storePath).absolutePath()).arg(rid);
}

namespace {

// SQLite overwrites what a statement deletes while this is on, rather than
// leaving it in the file's free space until the space is used again.
class SecureDelete {
  public:
    explicit SecureDelete(Db& db) : db_(db) {
        Stmt q = db_.prepare("PRAGMA secure_delete");
        was_ = q.step() ? q.integer(0) : 0;
        db_.exec("PRAGMA secure_delete = ON");
    }
    ~SecureDelete() {
        try {
            if (was_ == 0) db_.exec("PRAGMA secure_delete = OFF");
        } catch (const mapi::Error&) {
            // Only slower deletes for the rest of this connection.
        }
    }
    SecureDelete(const SecureDelete&) = delete;
    SecureDelete& operator=(const SecureDelete&) = delete;

  private:
    Db& db_;
    std::int64_t was_ = 0;
};

}  // namespace

void tidyAccounts(Db& db) {
    if (!hasAccountTable(db)) return;
    struct Row {
        std::int64_t profile = 0;
        bool orphan = false;  // its profile is gone
        QString profileName;
        AccountEntry entry;
    };
    std::vector<Row> rows;
    {
        Stmt q = db.prepare(
            "SELECT a.rid, a.profile, p.name, a.kind, a.server, a.user, a.password "
            "FROM profile_accounts a LEFT JOIN profiles p ON p.rid = a.profile ORDER BY a.rid");
        while (q.step()) {
            Row r;
            r.entry.rid = q.integer(0);
            r.profile = q.integer(1);
            r.orphan = q.isNull(2);
            r.profileName = q.text(2);
            r.entry.kind = q.text(3);
            r.entry.server = q.text(4);
            r.entry.user = q.text(5);
            r.entry.password = q.text(6);
            rows.push_back(r);
        }
    }
    std::vector<std::int64_t> superseded, cleared;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        const bool later = std::any_of(
            rows.begin() + static_cast<std::ptrdiff_t>(i) + 1, rows.end(),
            [&](const Row& o) { return o.profile == r.profile && sameAccount(o.entry, r.entry); });
        if (later) {
            superseded.push_back(r.entry.rid);
        } else if (!r.entry.password.isEmpty()) {
            // Kept before it leaves the store: a crash in between leaves two copies,
            // never none. An account of no profile cannot log on: its password goes.
            try {
                if (!r.orphan)
                    keepSecret(secretOwner(db, r.profileName, r.entry), r.entry.password);
                cleared.push_back(r.entry.rid);
            } catch (const mapi::Error&) {
                // Nowhere else to keep it now: the next open tries again.
            }
        }
    }
    if (superseded.empty() && cleared.empty()) return;
    {
        const SecureDelete secure(db);
        Db::Transaction tx(db);
        for (std::int64_t rid : superseded) deleteAccount(db, rid);
        for (std::int64_t rid : cleared) clearAccountPassword(db, rid);
        tx.commit();
    }
    // A store in write-ahead-log mode would keep the old pages in its log until
    // a checkpoint; a store with a rollback journal has nothing to do here.
    Stmt checkpoint = db.prepare("PRAGMA wal_checkpoint(TRUNCATE)");
    checkpoint.run();
    for (std::int64_t rid : superseded) {
        const QString cache = accountCachePath(db.path(), rid);
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(cache + QLatin1String(suffix));
    }
}

}  // namespace store
