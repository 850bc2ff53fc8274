#include "import/StoreTarget.h"

#include "store/Tables.h"

namespace import {

using store::Stmt;

void StoreTarget::ensureSchema(store::Db& db) {
    store::ensureImportTables(db);
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
    return store::insertProfile(db_, {{"name", name}, {"is_default", std::int64_t{first ? 1 : 0}}});
}

std::int64_t StoreTarget::storeRow(std::int64_t profile, const QString& name) {
    Stmt q = db_.prepare(
        "SELECT s.rid FROM stores s JOIN profile_stores p ON p.store = s.rid "
        "WHERE p.profile = ?1 AND lower(s.name) = lower(?2) ORDER BY s.rid");
    q.bind(1, profile).bind(2, name);
    if (q.step()) return q.integer(0);
    const std::int64_t rid = store::insertStore(db_, QStringLiteral("pending"), name);
    store::assignEntryId(db_, store::EntryKind::Store, rid);
    const std::int64_t root =
        store::insertFolder(db_, rid, store::SqlValue(), QStringLiteral("Top of %1").arg(name));
    store::assignEntryId(db_, store::EntryKind::Folder, root);
    store::setStoreRoot(db_, rid, root);
    store::addProfileStore(db_, profile, rid);
    return rid;
}

std::int64_t StoreTarget::childFolder(std::int64_t parent, const QString& name) {
    Stmt q = db_.prepare("SELECT rid FROM folders WHERE parent = ?1 AND name = ?2 ORDER BY rid");
    q.bind(1, parent).bind(2, name);
    if (q.step()) return q.integer(0);
    const std::int64_t rid = store::insertFolder(db_, store_, parent, name);
    store::assignEntryId(db_, store::EntryKind::Folder, rid);
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
