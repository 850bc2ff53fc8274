#include "import/StoreTarget.h"

#include "store/Props.h"

namespace import {

using store::Stmt;

namespace {
// The entry-identifier kinds the store uses for its objects.
constexpr int kStoreKind = 1;
constexpr int kFolderKind = 2;

// Gives the row just inserted into `table` its identifier, stepping past one
// that a fixture already chose.
void assignEid(store::Db& db, const char* table, int kind, std::int64_t rid) {
    const QString exists =
        QStringLiteral("SELECT 1 FROM %1 WHERE eid = ?1").arg(QLatin1String(table));
    QString eid = store::makeEntryId(kind, rid);
    for (std::int64_t k = 1; db.prepare(exists).bind(1, eid).step(); ++k)
        eid = store::makeEntryId(kind, rid + (k << 40));
    db.prepare(QStringLiteral("UPDATE %1 SET eid = ?1 WHERE rid = ?2").arg(QLatin1String(table)))
        .bind(1, eid)
        .bind(2, rid)
        .run();
}
}  // namespace

void StoreTarget::ensureSchema(store::Db& db) {
    // Kept beside the messages rather than in them so stores written before
    // imports existed open unchanged; deleting a message drops its source too.
    db.exec(
        "CREATE TABLE IF NOT EXISTS message_sources("
        "  message INTEGER PRIMARY KEY REFERENCES messages(rid) ON DELETE CASCADE,"
        "  message_id TEXT, hash BLOB NOT NULL, raw BLOB);"
        "CREATE INDEX IF NOT EXISTS message_sources_hash ON message_sources(hash);");
}

StoreTarget::StoreTarget(store::Db& db, const QString& profile, const QString& storeName)
    : db_(db), storeName_(storeName) {
    store_ = storeRow(profileRow(profile), storeName);
    Stmt q = db_.prepare("SELECT root FROM stores WHERE rid = ?1");
    q.bind(1, store_);
    if (q.step()) root_ = q.integer(0);
}

std::int64_t StoreTarget::profileRow(const QString& name) {
    Stmt q = db_.prepare("SELECT rid FROM profiles WHERE lower(name) = lower(?1) ORDER BY rid");
    q.bind(1, name);
    if (q.step()) return q.integer(0);
    Stmt any = db_.prepare("SELECT COUNT(*) FROM profiles");
    any.step();
    const bool first = any.integer(0) == 0;
    db_.prepare("INSERT INTO profiles(name, is_default) VALUES(?1, ?2)")
        .bind(1, name)
        .bind(2, first ? 1 : 0)
        .run();
    return db_.lastInsertId();
}

std::int64_t StoreTarget::storeRow(std::int64_t profile, const QString& name) {
    Stmt q = db_.prepare(
        "SELECT s.rid FROM stores s JOIN profile_stores p ON p.store = s.rid "
        "WHERE p.profile = ?1 AND lower(s.name) = lower(?2) ORDER BY s.rid");
    q.bind(1, profile).bind(2, name);
    if (q.step()) return q.integer(0);
    db_.prepare("INSERT INTO stores(eid, name) VALUES('pending', ?1)").bind(1, name).run();
    const std::int64_t rid = db_.lastInsertId();
    assignEid(db_, "stores", kStoreKind, rid);
    db_.prepare("INSERT INTO folders(eid, store, parent, name) VALUES('pending', ?1, NULL, ?2)")
        .bind(1, rid)
        .bind(2, QStringLiteral("Top of %1").arg(name))
        .run();
    const std::int64_t root = db_.lastInsertId();
    assignEid(db_, "folders", kFolderKind, root);
    db_.prepare("UPDATE stores SET root = ?1 WHERE rid = ?2").bind(1, root).bind(2, rid).run();
    db_.prepare("INSERT INTO profile_stores(profile, store) VALUES(?1, ?2)")
        .bind(1, profile)
        .bind(2, rid)
        .run();
    return rid;
}

std::int64_t StoreTarget::childFolder(std::int64_t parent, const QString& name) {
    Stmt q = db_.prepare("SELECT rid FROM folders WHERE parent = ?1 AND name = ?2 ORDER BY rid");
    q.bind(1, parent).bind(2, name);
    if (q.step()) return q.integer(0);
    db_.prepare("INSERT INTO folders(eid, store, parent, name) VALUES('pending', ?1, ?2, ?3)")
        .bind(1, store_)
        .bind(2, parent)
        .bind(3, name)
        .run();
    const std::int64_t rid = db_.lastInsertId();
    assignEid(db_, "folders", kFolderKind, rid);
    return rid;
}

std::int64_t StoreTarget::folder(const QStringList& path) {
    const QString key = path.join(QChar(0));
    if (auto it = folders_.constFind(key); it != folders_.constEnd()) return *it;
    std::int64_t row = root_;
    for (const QString& name : path) row = childFolder(row, name);
    folders_.insert(key, row);
    return row;
}

}  // namespace import
