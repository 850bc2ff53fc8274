#include "store/Tables.h"

#include <map>

#include "store/Props.h"

namespace store {

namespace {

const char* tableOf(EntryKind kind) {
    switch (kind) {
        case EntryKind::Store:
            return "stores";
        case EntryKind::Folder:
            return "folders";
        case EntryKind::Message:
            return "messages";
        case EntryKind::List:
            return "address_lists";
        case EntryKind::Entry:
            break;
    }
    return "entries";
}

// Kept per literal by the connection, hence one literal per table.
const char* takenSql(EntryKind kind) {
    switch (kind) {
        case EntryKind::Store:
            return "SELECT 1 FROM stores WHERE eid = ?1";
        case EntryKind::Folder:
            return "SELECT 1 FROM folders WHERE eid = ?1";
        case EntryKind::Message:
            return "SELECT 1 FROM messages WHERE eid = ?1";
        case EntryKind::List:
            return "SELECT 1 FROM address_lists WHERE eid = ?1";
        case EntryKind::Entry:
            break;
    }
    return "SELECT 1 FROM entries WHERE eid = ?1";
}

// The statement's text for a table and column list, built once per list:
// an import inserts thousands of rows with the same columns.
const QString& insertSql(const char* table, const Columns& columns) {
    thread_local std::map<std::vector<const char*>, QString> built;
    std::vector<const char*> key{table};
    for (const auto& [name, value] : columns) key.push_back(name);
    QString& sql = built[key];
    if (sql.isEmpty()) {
        QString names, marks;
        for (const auto& [name, value] : columns) {
            if (!names.isEmpty()) {
                names += QStringLiteral(", ");
                marks += QStringLiteral(", ");
            }
            names += QLatin1String(name);
            marks += QLatin1Char('?');
        }
        sql =
            QStringLiteral("INSERT INTO %1(%2) VALUES(%3)").arg(QLatin1String(table), names, marks);
    }
    return sql;
}

std::int64_t insertRow(Db& db, const char* table, const Columns& columns) {
    Stmt st = db.prepare(insertSql(table, columns));
    int i = 1;
    for (const auto& [name, value] : columns) st.bind(i++, value);
    st.run();
    return db.lastInsertId();
}

bool updateRow(Db& db, const char* table, std::int64_t rid, const Columns& columns) {
    QString sets;
    for (const auto& [name, value] : columns) {
        if (!sets.isEmpty()) sets += QStringLiteral(", ");
        sets += QStringLiteral("%1 = ?").arg(QLatin1String(name));
    }
    Stmt st = db.prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE rid = ?").arg(QLatin1String(table), sets));
    int i = 1;
    for (const auto& [name, value] : columns) st.bind(i++, value);
    st.bind(i, rid);
    st.run();
    return db.changes() != 0;
}

}  // namespace

// ---- entry identifiers ------------------------------------------------------

QString freeEntryId(EntryKind kind, std::int64_t rid,
                    const std::function<bool(const QString&)>& taken) {
    const int k = static_cast<int>(kind);
    QString eid = makeEntryId(k, rid);
    for (std::int64_t n = 1; taken(eid); ++n) eid = makeEntryId(k, rid + (n << 40));
    return eid;
}

bool entryIdTaken(Db& db, EntryKind kind, const QString& eid) {
    Stmt& q = db.cached(takenSql(kind));
    q.bind(1, eid);
    const bool taken = q.step();
    q.reset();
    return taken;
}

void setEntryId(Db& db, EntryKind kind, std::int64_t rid, const QString& eid) {
    db.prepare(
          QStringLiteral("UPDATE %1 SET eid = ?1 WHERE rid = ?2").arg(QLatin1String(tableOf(kind))))
        .bind(1, eid)
        .bind(2, rid)
        .run();
}

QString assignEntryId(Db& db, EntryKind kind, std::int64_t rid) {
    const QString eid =
        freeEntryId(kind, rid, [&](const QString& id) { return entryIdTaken(db, kind, id); });
    setEntryId(db, kind, rid, eid);
    return eid;
}

// ---- tables -----------------------------------------------------------------

namespace {

const char* const kSchema = R"SQL(
CREATE TABLE IF NOT EXISTS profiles(
    rid INTEGER PRIMARY KEY, name TEXT NOT NULL, password TEXT NOT NULL DEFAULT '',
    is_default INTEGER NOT NULL DEFAULT 0, server TEXT NOT NULL DEFAULT '',
    mailbox TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS profile_stores(profile INTEGER NOT NULL, store INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS profile_lists(profile INTEGER NOT NULL, list INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS stores(
    rid INTEGER PRIMARY KEY, eid TEXT NOT NULL UNIQUE, name TEXT, root INTEGER, outbox INTEGER);
CREATE TABLE IF NOT EXISTS folders(
    rid INTEGER PRIMARY KEY, eid TEXT NOT NULL UNIQUE, store INTEGER NOT NULL,
    parent INTEGER, name TEXT);
CREATE INDEX IF NOT EXISTS folders_parent ON folders(parent, rid);
CREATE TABLE IF NOT EXISTS messages(
    rid INTEGER PRIMARY KEY, eid TEXT NOT NULL UNIQUE, folder INTEGER NOT NULL,
    importance, type, subject, time_sent, conv_topic, conv_index, sender_name, time_received,
    size, body, has_sender INTEGER NOT NULL DEFAULT 1, sender_address, unread, sent,
    delivery_receipt, read_receipt);
CREATE INDEX IF NOT EXISTS messages_folder ON messages(folder, rid);
CREATE TABLE IF NOT EXISTS recipients(
    rid INTEGER PRIMARY KEY, message INTEGER NOT NULL REFERENCES messages(rid) ON DELETE CASCADE,
    name, address, type, display_type, address_type);
CREATE INDEX IF NOT EXISTS recipients_message ON recipients(message, rid);
CREATE TABLE IF NOT EXISTS attachments(
    rid INTEGER PRIMARY KEY, message INTEGER NOT NULL REFERENCES messages(rid) ON DELETE CASCADE,
    name, type, position, data BLOB);
CREATE INDEX IF NOT EXISTS attachments_message ON attachments(message, rid);
CREATE TABLE IF NOT EXISTS props(
    rid INTEGER PRIMARY KEY, owner_kind INTEGER NOT NULL, owner INTEGER NOT NULL,
    tag INTEGER NOT NULL, name TEXT NOT NULL DEFAULT '', vtype INTEGER NOT NULL, value);
CREATE INDEX IF NOT EXISTS props_owner ON props(owner_kind, owner, rid);
CREATE TABLE IF NOT EXISTS address_lists(
    rid INTEGER PRIMARY KEY, eid TEXT NOT NULL UNIQUE, name TEXT NOT NULL,
    read_only INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS entries(
    rid INTEGER PRIMARY KEY, eid TEXT NOT NULL UNIQUE, list INTEGER NOT NULL,
    parent INTEGER REFERENCES entries(rid) ON DELETE CASCADE,
    name, type, address, comment, display_type, alias, send_rich_info);
CREATE INDEX IF NOT EXISTS entries_list ON entries(list, parent, rid);
CREATE INDEX IF NOT EXISTS entries_parent ON entries(parent, rid);
)SQL";

}  // namespace

bool hasColumn(Db& db, const char* table, const char* name) {
    Stmt q = db.prepare(QStringLiteral("SELECT 1 FROM pragma_table_info('%1') WHERE name = ?1")
                            .arg(QLatin1String(table)));
    q.bind(1, QString::fromLatin1(name));
    return q.step();
}

void createStoreTables(Db& db) {
    db.exec(kSchema);
}

bool hasAccountTable(Db& db) {
    return hasTable(db, "profile_accounts");
}

bool hasTable(Db& db, const char* table) {
    Stmt q = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    q.bind(1, QString::fromLatin1(table));
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
        "ca_file TEXT NOT NULL DEFAULT '', auth TEXT NOT NULL DEFAULT 'password', "
        "authorize_url TEXT NOT NULL DEFAULT '', token_url TEXT NOT NULL DEFAULT '', "
        "scope TEXT NOT NULL DEFAULT '', client_id TEXT NOT NULL DEFAULT '', "
        "client_secret TEXT NOT NULL DEFAULT '')");
    // Tables made before a setting existed keep its default for their accounts.
    if (!hasColumn(db, "profile_accounts", "timeout"))
        db.exec("ALTER TABLE profile_accounts ADD COLUMN timeout INTEGER NOT NULL DEFAULT 0");
    if (!hasColumn(db, "profile_accounts", "ca_file"))
        db.exec("ALTER TABLE profile_accounts ADD COLUMN ca_file TEXT NOT NULL DEFAULT ''");
    if (!hasColumn(db, "profile_accounts", "auth"))
        db.exec("ALTER TABLE profile_accounts ADD COLUMN auth TEXT NOT NULL DEFAULT 'password'");
    for (const char* column : {"authorize_url", "token_url", "scope", "client_id", "client_secret"})
        if (!hasColumn(db, "profile_accounts", column))
            db.exec(QByteArray("ALTER TABLE profile_accounts ADD COLUMN ") + column +
                    " TEXT NOT NULL DEFAULT ''");
}

void ensureImportTables(Db& db) {
    db.exec(
        "CREATE TABLE IF NOT EXISTS message_sources("
        "  message INTEGER PRIMARY KEY REFERENCES messages(rid) ON DELETE CASCADE,"
        "  message_id TEXT, hash BLOB NOT NULL, raw BLOB);"
        "CREATE INDEX IF NOT EXISTS message_sources_hash ON message_sources(hash);");
}

// ---- profiles ---------------------------------------------------------------

std::int64_t insertProfile(Db& db, const Columns& columns) {
    return insertRow(db, "profiles", columns);
}

void addProfileStore(Db& db, std::int64_t profile, std::int64_t store) {
    db.prepare("INSERT INTO profile_stores(profile, store) VALUES(?1, ?2)")
        .bind(1, profile)
        .bind(2, store)
        .run();
}

void addProfileList(Db& db, std::int64_t profile, std::int64_t list) {
    db.prepare("INSERT INTO profile_lists(profile, list) VALUES(?1, ?2)")
        .bind(1, profile)
        .bind(2, list)
        .run();
}

void insertDefaultProfile(Db& db) {
    db.exec(
        "INSERT INTO profiles(name, is_default) VALUES('Default', 1);"
        "INSERT INTO profile_stores(profile, store) "
        "  SELECT last_insert_rowid(), rid FROM stores ORDER BY rid;"
        "INSERT INTO profile_lists(profile, list) "
        "  SELECT (SELECT MAX(rid) FROM profiles), rid FROM address_lists ORDER BY rid;");
}

void deleteProfile(Db& db, std::int64_t rid) {
    for (const char* sql :
         {"DELETE FROM profile_stores WHERE profile = ?1",
          "DELETE FROM profile_lists WHERE profile = ?1", "DELETE FROM profiles WHERE rid = ?1"})
        db.prepare(sql).bind(1, rid).run();
}

void markDefaultProfile(Db& db, std::int64_t rid) {
    db.prepare("UPDATE profiles SET is_default = (rid = ?1)").bind(1, rid).run();
}

void renameProfileRow(Db& db, std::int64_t rid, const QString& name) {
    db.prepare("UPDATE profiles SET name = ?2 WHERE rid = ?1").bind(1, rid).bind(2, name).run();
}

// ---- accounts ---------------------------------------------------------------

std::int64_t insertAccount(Db& db, const Columns& columns) {
    return insertRow(db, "profile_accounts", columns);
}

void moveAccount(Db& db, std::int64_t from, std::int64_t to) {
    deleteAccount(db, to);
    db.prepare("UPDATE profile_accounts SET rid = ?1 WHERE rid = ?2")
        .bind(1, to)
        .bind(2, from)
        .run();
}

void deleteAccount(Db& db, std::int64_t rid) {
    db.prepare("DELETE FROM profile_accounts WHERE rid = ?1").bind(1, rid).run();
}

void clearAccountPassword(Db& db, std::int64_t rid) {
    db.prepare("UPDATE profile_accounts SET password = '' WHERE rid = ?1").bind(1, rid).run();
}

bool setAccountFingerprint(Db& db, std::int64_t rid, const QString& fingerprint) {
    db.prepare("UPDATE profile_accounts SET fingerprint = ?2 WHERE rid = ?1")
        .bind(1, rid)
        .bind(2, fingerprint)
        .run();
    return db.changes() != 0;
}

// ---- stores and folders -----------------------------------------------------

std::int64_t insertStore(Db& db, const QString& eid, const SqlValue& name) {
    db.prepare("INSERT INTO stores(eid, name) VALUES(?1, ?2)").bind(1, eid).bind(2, name).run();
    return db.lastInsertId();
}

void setStoreRoot(Db& db, std::int64_t store, std::int64_t root) {
    db.prepare("UPDATE stores SET root = ?1 WHERE rid = ?2").bind(1, root).bind(2, store).run();
}

void setStoreOutbox(Db& db, std::int64_t store, std::int64_t outbox) {
    db.prepare("UPDATE stores SET outbox = ?1 WHERE rid = ?2").bind(1, outbox).bind(2, store).run();
}

std::int64_t insertFolder(Db& db, std::int64_t store, const SqlValue& parent,
                          const SqlValue& name) {
    db.prepare("INSERT INTO folders(eid, store, parent, name) VALUES('pending', ?1, ?2, ?3)")
        .bind(1, store)
        .bind(2, parent)
        .bind(3, name)
        .run();
    return db.lastInsertId();
}

void deleteFolderTree(Db& db, std::int64_t folder) {
    std::vector<std::int64_t> below;
    {
        Stmt q = db.prepare("SELECT rid FROM folders WHERE parent = ?1");
        q.bind(1, folder);
        while (q.step()) below.push_back(q.integer(0));
    }
    for (std::int64_t f : below) deleteFolderTree(db, f);
    // Recipients, attachments and sources go with their messages (foreign keys).
    db.prepare(
          "DELETE FROM props WHERE owner_kind = ?1 AND owner IN "
          "(SELECT rid FROM messages WHERE folder = ?2)")
        .bind(1, static_cast<int>(OwnerKind::Message))
        .bind(2, folder)
        .run();
    db.prepare("DELETE FROM messages WHERE folder = ?1").bind(1, folder).run();
    db.prepare("DELETE FROM folders WHERE rid = ?1").bind(1, folder).run();
}

void deleteStore(Db& db, std::int64_t store) {
    // Recipients, attachments and import records go with their messages (foreign
    // keys); custom properties have none, so they go first.
    for (const char* sql :
         {"DELETE FROM props WHERE owner_kind = 1 AND owner IN (SELECT m.rid FROM messages m "
          "JOIN folders f ON f.rid = m.folder WHERE f.store = ?1)",
          "DELETE FROM messages WHERE folder IN (SELECT rid FROM folders WHERE store = ?1)",
          "DELETE FROM folders WHERE store = ?1", "DELETE FROM profile_stores WHERE store = ?1",
          "DELETE FROM stores WHERE rid = ?1"})
        db.prepare(sql).bind(1, store).run();
}

// ---- messages ---------------------------------------------------------------

std::int64_t copyMessage(Db& db, std::int64_t rid, std::int64_t folder) {
    static const char* const kCopied =
        "importance, type, subject, time_sent, conv_topic, conv_index, sender_name, "
        "time_received, size, body, has_sender, sender_address, unread, sent, delivery_receipt, "
        "read_receipt";
    db.prepare(QStringLiteral("INSERT INTO messages(eid, folder, %1) SELECT 'pending', ?2, %1 "
                              "FROM messages WHERE rid = ?1")
                   .arg(QLatin1String(kCopied)))
        .bind(1, rid)
        .bind(2, folder)
        .run();
    const std::int64_t copy = db.lastInsertId();
    assignEntryId(db, EntryKind::Message, copy);
    db.prepare(
          "INSERT INTO recipients(message, name, address, type, display_type, address_type) "
          "SELECT ?2, name, address, type, display_type, address_type FROM recipients "
          "WHERE message = ?1 ORDER BY rid")
        .bind(1, rid)
        .bind(2, copy)
        .run();
    db.prepare(
          "INSERT INTO attachments(message, name, type, position, data) "
          "SELECT ?2, name, type, position, data FROM attachments WHERE message = ?1 ORDER BY rid")
        .bind(1, rid)
        .bind(2, copy)
        .run();
    db.prepare(
          "INSERT INTO props(owner_kind, owner, tag, name, vtype, value) "
          "SELECT owner_kind, ?2, tag, name, vtype, value FROM props "
          "WHERE owner_kind = ?3 AND owner = ?1 ORDER BY rid")
        .bind(1, rid)
        .bind(2, copy)
        .bind(3, static_cast<int>(OwnerKind::Message))
        .run();
    if (hasTable(db, "message_sources"))
        db.prepare(
              "INSERT INTO message_sources(message, message_id, hash, raw) "
              "SELECT ?2, message_id, hash, raw FROM message_sources WHERE message = ?1")
            .bind(1, rid)
            .bind(2, copy)
            .run();
    return copy;
}

std::int64_t insertMessage(Db& db, const Columns& columns) {
    return insertRow(db, "messages", columns);
}

bool updateMessage(Db& db, std::int64_t rid, const Columns& columns) {
    return updateRow(db, "messages", rid, columns);
}

bool deleteMessage(Db& db, std::int64_t rid) {
    db.prepare("DELETE FROM messages WHERE rid = ?1").bind(1, rid).run();
    return db.changes() != 0;
}

void insertRecipient(Db& db, std::int64_t message, const SqlValue& name, const SqlValue& address,
                     const SqlValue& type, const SqlValue& displayType,
                     const SqlValue& addressType) {
    db.prepare(
          "INSERT INTO recipients(message, name, address, type, display_type, address_type) "
          "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, message)
        .bind(2, name)
        .bind(3, address)
        .bind(4, type)
        .bind(5, displayType)
        .bind(6, addressType)
        .run();
}

void deleteRecipients(Db& db, std::int64_t message) {
    db.prepare("DELETE FROM recipients WHERE message = ?1").bind(1, message).run();
}

std::int64_t insertAttachment(Db& db, std::int64_t message, const SqlValue& name,
                              const SqlValue& type, const SqlValue& position,
                              const SqlValue& data) {
    db.prepare(
          "INSERT INTO attachments(message, name, type, position, data) "
          "VALUES(?1, ?2, ?3, ?4, ?5)")
        .bind(1, message)
        .bind(2, name)
        .bind(3, type)
        .bind(4, position)
        .bind(5, data)
        .run();
    return db.lastInsertId();
}

std::int64_t insertAttachmentSpace(Db& db, std::int64_t message, const SqlValue& name,
                                   const SqlValue& type, const SqlValue& position,
                                   std::int64_t size) {
    db.prepare(
          "INSERT INTO attachments(message, name, type, position, data) VALUES(?1, ?2, ?3, ?4, "
          "CASE WHEN ?5 < 0 THEN NULL ELSE zeroblob(?5) END)")
        .bind(1, message)
        .bind(2, name)
        .bind(3, type)
        .bind(4, position)
        .bind(5, size)
        .run();
    return db.lastInsertId();
}

void deleteAttachmentsBefore(Db& db, std::int64_t message, std::int64_t before) {
    db.prepare("DELETE FROM attachments WHERE message = ?1 AND rid < ?2")
        .bind(1, message)
        .bind(2, before)
        .run();
}

bool importedInFolder(Db& db, const QByteArray& hash, std::int64_t folder,
                      const SqlValue& messageId) {
    // By the hash first: left to itself the planner may walk the whole folder.
    Stmt& q = db.cached(
        "SELECT 1 FROM message_sources s INDEXED BY message_sources_hash "
        "JOIN messages m ON m.rid = s.message "
        "WHERE s.hash = ?1 AND +m.folder = ?2 AND s.message_id IS ?3 LIMIT 1");
    q.bind(1, SqlValue(hash)).bind(2, folder).bind(3, messageId);
    const bool found = q.step();
    q.reset();
    return found;
}

void insertMessageSource(Db& db, std::int64_t message, const SqlValue& messageId,
                         const QByteArray& hash, const QByteArray& raw) {
    db.prepare("INSERT INTO message_sources(message, message_id, hash, raw) VALUES(?1, ?2, ?3, ?4)")
        .bind(1, message)
        .bind(2, messageId)
        .bind(3, SqlValue(hash))
        .bind(4, SqlValue(raw))
        .run();
}

// ---- custom properties ------------------------------------------------------

void insertProp(Db& db, OwnerKind kind, std::int64_t owner, std::int64_t tag, const QString& name,
                int vtype, const SqlValue& value) {
    db.prepare(
          "INSERT INTO props(owner_kind, owner, tag, name, vtype, value) "
          "VALUES(?1,?2,?3,?4,?5,?6)")
        .bind(1, static_cast<int>(kind))
        .bind(2, owner)
        .bind(3, tag)
        .bind(4, name)
        .bind(5, vtype)
        .bind(6, value)
        .run();
}

void deleteProps(Db& db, OwnerKind kind, std::int64_t owner) {
    db.prepare("DELETE FROM props WHERE owner_kind = ?1 AND owner = ?2")
        .bind(1, static_cast<int>(kind))
        .bind(2, owner)
        .run();
}

// ---- address book -----------------------------------------------------------

std::int64_t insertAddressList(Db& db, const QString& name, const SqlValue& readOnly) {
    db.prepare("INSERT INTO address_lists(eid, name, read_only) VALUES('pending', ?1, ?2)")
        .bind(1, name)
        .bind(2, readOnly)
        .run();
    return db.lastInsertId();
}

std::int64_t insertEntry(Db& db, const Columns& columns) {
    return insertRow(db, "entries", columns);
}

bool updateEntry(Db& db, std::int64_t rid, const Columns& columns) {
    return updateRow(db, "entries", rid, columns);
}

bool deleteEntry(Db& db, std::int64_t rid) {
    db.prepare(
          "DELETE FROM props WHERE owner_kind = ?1 AND owner IN "
          "(SELECT rid FROM entries WHERE rid = ?2 OR parent = ?2)")
        .bind(1, static_cast<int>(OwnerKind::Entry))
        .bind(2, rid)
        .run();
    db.prepare("DELETE FROM entries WHERE rid = ?1").bind(1, rid).run();
    return db.changes() != 0;
}

}  // namespace store
