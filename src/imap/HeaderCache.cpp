#include "imap/HeaderCache.h"

#include <sqlite3.h>

#include <QDataStream>
#include <QIODevice>
#include <algorithm>

#include "privatefiles/PrivateFiles.h"

namespace imap {

namespace {

// Bumped whenever the tables change: a cache of another layout is dropped and
// filled again from the server, which is all a cache is good for.
constexpr int kSchemaVersion = 3;

// The envelope is only ever read back whole, so it is stored as one blob.
QByteArray packEnvelope(const Envelope& e) {
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << e.date << e.subject << e.messageId << e.inReplyTo;
    for (const QList<Address>* list : {&e.from, &e.sender, &e.replyTo, &e.to, &e.cc, &e.bcc}) {
        out << qint32(list->size());
        for (const Address& a : *list) out << a.name << a.mailbox << a.host;
    }
    return blob;
}

Envelope unpackEnvelope(const QByteArray& blob) {
    Envelope e;
    QDataStream in(blob);
    in.setVersion(QDataStream::Qt_6_0);
    in >> e.date >> e.subject >> e.messageId >> e.inReplyTo;
    for (QList<Address>* list : {&e.from, &e.sender, &e.replyTo, &e.to, &e.cc, &e.bcc}) {
        qint32 n = 0;
        in >> n;
        for (qint32 i = 0; i < n && in.status() == QDataStream::Ok; ++i) {
            Address a;
            in >> a.name >> a.mailbox >> a.host;
            list->append(a);
        }
    }
    return e;
}

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) {
        ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    bool ok() const { return ok_; }
    Statement& bind(int i, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, qint64 v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, const QByteArray& blob) {
        sqlite3_bind_blob(stmt_, i, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(stmt_); }
    void reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    qint64 integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    bool isNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
    QByteArray blob(int col) const {
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, col)),
                          sqlite3_column_bytes(stmt_, col));
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    bool ok_ = false;
};

QList<quint32> uidsOf(const QList<FlagState>& states) {
    QList<quint32> uids;
    uids.reserve(states.size());
    for (const FlagState& s : states) uids << s.uid;
    return uids;
}

}  // namespace

HeaderCache::HeaderCache(const QString& path) : path_(path) {
    // The headers are mail: for the owner only, and so are the log and index beside them.
    privatefiles::prepareDatabase(path, true);
    if (sqlite3_open(path.toUtf8().constData(), &db_) != SQLITE_OK) fail("open");
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    if (schemaVersion() != kSchemaVersion) {
        exec("DROP TABLE IF EXISTS message");
        exec("DROP TABLE IF EXISTS envelope");
        exec("DROP TABLE IF EXISTS mailbox");
        exec(QByteArray("PRAGMA user_version = " + QByteArray::number(kSchemaVersion)).constData());
    }
    exec(
        "CREATE TABLE IF NOT EXISTS mailbox(name TEXT PRIMARY KEY, uidvalidity INTEGER NOT NULL, "
        "uidnext INTEGER NOT NULL, highestmodseq INTEGER NOT NULL, messages INTEGER NOT NULL)");
    exec(
        "CREATE TABLE IF NOT EXISTS message(mailbox TEXT NOT NULL, uidvalidity INTEGER NOT NULL, "
        "uid INTEGER NOT NULL, flags INTEGER NOT NULL, internaldate INTEGER NOT NULL, size INTEGER "
        "NOT NULL, "
        "subject BLOB NOT NULL, PRIMARY KEY(mailbox, uidvalidity, uid)) "
        "WITHOUT ROWID");
    // Apart from the listed columns, so that a listing reads only the small rows.
    exec(
        "CREATE TABLE IF NOT EXISTS envelope(mailbox TEXT NOT NULL, uidvalidity INTEGER NOT NULL, "
        "uid INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(mailbox, uidvalidity, uid)) "
        "WITHOUT ROWID");
}

HeaderCache::~HeaderCache() {
    sqlite3_finalize(envelopeQuery_);
    sqlite3_close(db_);
}

void HeaderCache::fail(const char* what) {
    throw Error(ErrorKind::Cache,
                QStringLiteral("The header cache %1 could not be used (%2: %3)")
                    .arg(path_, QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db_))));
}

int HeaderCache::schemaVersion() {
    Statement q(db_, "PRAGMA user_version");
    if (!q.ok() || q.step() != SQLITE_ROW) fail("read version");
    return int(q.integer(0));
}

void HeaderCache::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
}

std::optional<MailboxStatus> HeaderCache::status(const QString& mailbox) {
    Statement q(db_,
                "SELECT uidvalidity, uidnext, highestmodseq, messages FROM mailbox WHERE name = ?");
    if (!q.ok()) fail("read mailbox");
    q.bind(1, mailbox);
    if (q.step() != SQLITE_ROW) return std::nullopt;
    MailboxStatus s;
    s.uidValidity = quint32(q.integer(0));
    s.uidNext = quint32(q.integer(1));
    s.highestModSeq = quint64(q.integer(2));
    s.exists = quint32(q.integer(3));
    return s;
}

void HeaderCache::saveStatus(const QString& mailbox, const MailboxStatus& status) {
    Statement q(db_,
                "INSERT OR REPLACE INTO mailbox(name, uidvalidity, uidnext, highestmodseq, "
                "messages) VALUES(?, ?, ?, ?, ?)");
    if (!q.ok()) fail("write mailbox");
    q.bind(1, mailbox).bind(2, qint64(status.uidValidity)).bind(3, qint64(status.uidNext));
    q.bind(4, qint64(status.highestModSeq)).bind(5, qint64(status.exists));
    if (q.step() != SQLITE_DONE) fail("write mailbox");
}

void HeaderCache::forget(const QString& mailbox) {
    for (const char* sql :
         {"DELETE FROM message WHERE mailbox = ?", "DELETE FROM envelope WHERE mailbox = ?"}) {
        Statement q(db_, sql);
        if (!q.ok()) fail("clear mailbox");
        q.bind(1, mailbox);
        if (q.step() != SQLITE_DONE) fail("clear mailbox");
    }
}

void HeaderCache::insert(const QString& mailbox, quint32 uidValidity,
                         const QList<MessageSummary>& batch) {
    exec("BEGIN");
    Statement q(db_,
                "INSERT OR REPLACE INTO message(mailbox, uidvalidity, uid, flags, internaldate, "
                "size, subject) VALUES(?, ?, ?, ?, ?, ?, ?)");
    Statement e(db_,
                "INSERT OR REPLACE INTO envelope(mailbox, uidvalidity, uid, data) "
                "VALUES(?, ?, ?, ?)");
    if (!q.ok() || !e.ok()) fail("write messages");
    for (const MessageSummary& m : batch) {
        q.bind(1, mailbox)
            .bind(2, qint64(uidValidity))
            .bind(3, qint64(m.uid))
            .bind(4, qint64(m.flags));
        q.bind(5, m.internalDate.isValid() ? m.internalDate.toMSecsSinceEpoch() : qint64(0));
        // Never NULL, so that a listing reads every subject the same way.
        q.bind(6, qint64(m.size))
            .bind(7, m.envelope.subject.isNull() ? QByteArray("") : m.envelope.subject);
        if (q.step() != SQLITE_DONE) fail("write messages");
        q.reset();
        e.bind(1, mailbox).bind(2, qint64(uidValidity)).bind(3, qint64(m.uid));
        e.bind(4, packEnvelope(m.envelope));
        if (e.step() != SQLITE_DONE) fail("write messages");
        e.reset();
    }
    exec("COMMIT");
}

void HeaderCache::updateFlags(const QString& mailbox, quint32 uidValidity,
                              const QList<FlagState>& flags) {
    Statement q(db_,
                "UPDATE message SET flags = ? WHERE mailbox = ? AND uidvalidity = ? AND uid = ?");
    if (!q.ok()) fail("write flags");
    for (const FlagState& f : flags) {
        q.bind(1, qint64(f.flags))
            .bind(2, mailbox)
            .bind(3, qint64(uidValidity))
            .bind(4, qint64(f.uid));
        if (q.step() != SQLITE_DONE) fail("write flags");
        q.reset();
    }
}

void HeaderCache::removeUids(const QString& mailbox, quint32 uidValidity,
                             const QList<quint32>& uids) {
    for (const char* sql :
         {"DELETE FROM message WHERE mailbox = ? AND uidvalidity = ? AND uid = ?",
          "DELETE FROM envelope WHERE mailbox = ? AND uidvalidity = ? AND uid = ?"}) {
        Statement q(db_, sql);
        if (!q.ok()) fail("remove messages");
        for (const quint32 uid : uids) {
            q.bind(1, mailbox).bind(2, qint64(uidValidity)).bind(3, qint64(uid));
            if (q.step() != SQLITE_DONE) fail("remove messages");
            q.reset();
        }
    }
}

QList<FlagState> HeaderCache::cachedFlags(const QString& mailbox, quint32 uidValidity) {
    Statement q(
        db_, "SELECT uid, flags FROM message WHERE mailbox = ? AND uidvalidity = ? ORDER BY uid");
    if (!q.ok()) fail("read flags");
    q.bind(1, mailbox).bind(2, qint64(uidValidity));
    QList<FlagState> result;
    while (q.step() == SQLITE_ROW) result.append({quint32(q.integer(0)), unsigned(q.integer(1))});
    return result;
}

qsizetype HeaderCache::count(const QString& mailbox, quint32 uidValidity) {
    Statement q(db_, "SELECT count(*) FROM message WHERE mailbox = ? AND uidvalidity = ?");
    if (!q.ok()) fail("count messages");
    q.bind(1, mailbox).bind(2, qint64(uidValidity));
    if (q.step() != SQLITE_ROW) fail("count messages");
    return qsizetype(q.integer(0));
}

MessageSummary CachedSummary::with(Envelope envelope) const {
    MessageSummary m;
    m.uid = uid;
    m.flags = flags;
    if (internalDateMs) m.internalDate = QDateTime::fromMSecsSinceEpoch(internalDateMs, Qt::UTC);
    m.size = size;
    m.envelope = std::move(envelope);
    return m;
}

QList<CachedSummary> HeaderCache::listing(const QString& mailbox) {
    const auto st = status(mailbox);
    if (!st) return {};
    Statement q(db_,
                "SELECT uid, flags, internaldate, size, subject FROM message "
                "WHERE mailbox = ? AND uidvalidity = ? ORDER BY uid");
    if (!q.ok()) fail("read messages");
    q.bind(1, mailbox).bind(2, qint64(st->uidValidity));
    QList<CachedSummary> result;
    result.reserve(qsizetype(st->exists));
    while (q.step() == SQLITE_ROW) {
        CachedSummary& m = result.emplace_back();
        m.uid = quint32(q.integer(0));
        m.flags = unsigned(q.integer(1));
        m.internalDateMs = q.integer(2);
        m.size = quint32(q.integer(3));
        m.subject = q.blob(4);
    }
    return result;
}

std::optional<Envelope> HeaderCache::envelope(const QString& mailbox, quint32 uidValidity,
                                              quint32 uid) {
    if (!envelopeQuery_ &&
        sqlite3_prepare_v2(db_,
                           "SELECT data FROM envelope WHERE mailbox = ? AND uidvalidity = ? AND "
                           "uid = ?",
                           -1, &envelopeQuery_, nullptr) != SQLITE_OK)
        fail("read envelope");
    const QByteArray name = mailbox.toUtf8();
    sqlite3_bind_text(envelopeQuery_, 1, name.constData(), int(name.size()), SQLITE_STATIC);
    sqlite3_bind_int64(envelopeQuery_, 2, qint64(uidValidity));
    sqlite3_bind_int64(envelopeQuery_, 3, qint64(uid));
    std::optional<Envelope> result;
    const int rc = sqlite3_step(envelopeQuery_);
    if (rc == SQLITE_ROW)
        result = unpackEnvelope(QByteArray::fromRawData(
            static_cast<const char*>(sqlite3_column_blob(envelopeQuery_, 0)),
            sqlite3_column_bytes(envelopeQuery_, 0)));
    sqlite3_reset(envelopeQuery_);
    sqlite3_clear_bindings(envelopeQuery_);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail("read envelope");
    return result;
}

QList<MessageSummary> HeaderCache::messages(const QString& mailbox) {
    const std::optional<MailboxStatus> st = status(mailbox);
    if (!st) return {};
    const QList<CachedSummary> rows = listing(mailbox);
    QList<MessageSummary> result;
    result.reserve(rows.size());
    for (const CachedSummary& row : rows)
        result << row.with(envelope(mailbox, st->uidValidity, row.uid).value_or(Envelope()));
    return result;
}

SyncReport HeaderCache::sync(Client& client, const QString& mailbox, const Progress& progress) {
    SyncReport report;
    const MailboxStatus server = client.select(mailbox);
    const std::optional<MailboxStatus> cached = status(mailbox);
    const bool valid = cached && cached->uidValidity == server.uidValidity;
    // The mod-sequence is written only when a sync completes: until then the next
    // one must still look at every flag.
    MailboxStatus pending = server;
    pending.highestModSeq = valid ? cached->highestModSeq : 0;
    pending.exists = valid ? cached->exists : 0;
    if (!valid) {
        report.rebuilt = true;
        exec("BEGIN");
        forget(mailbox);
        saveStatus(mailbox, pending);
        exec("COMMIT");
    }
    // CONDSTORE says nothing changed at all: no appends, expunges or flag changes.
    if (valid && client.capabilities().condStore && cached->highestModSeq != 0 &&
        cached->highestModSeq == server.highestModSeq && cached->uidNext == server.uidNext &&
        server.exists == cached->exists)
        return report;
    const QList<FlagState> known =
        valid ? cachedFlags(mailbox, server.uidValidity) : QList<FlagState>();
    const QList<quint32> knownUids = uidsOf(known);
    const QList<quint32> serverUids = client.allUids();

    QList<quint32> gone, fresh;
    std::set_difference(knownUids.begin(), knownUids.end(), serverUids.begin(), serverUids.end(),
                        std::back_inserter(gone));
    std::set_difference(serverUids.begin(), serverUids.end(), knownUids.begin(), knownUids.end(),
                        std::back_inserter(fresh));
    QList<quint32> kept;
    std::set_intersection(knownUids.begin(), knownUids.end(), serverUids.begin(), serverUids.end(),
                          std::back_inserter(kept));

    exec("BEGIN");
    removeUids(mailbox, server.uidValidity, gone);
    report.removed = gone.size();
    if (!kept.isEmpty() &&
        !(client.capabilities().condStore && cached && valid && cached->highestModSeq != 0 &&
          cached->highestModSeq == server.highestModSeq)) {
        const quint64 since = client.capabilities().condStore && valid ? cached->highestModSeq : 0;
        QList<FlagState> changed;
        for (const FlagState& f : client.fetchFlags(kept, since)) {
            const auto it =
                std::lower_bound(known.begin(), known.end(), f.uid,
                                 [](const FlagState& s, quint32 uid) { return s.uid < uid; });
            if (it != known.end() && it->uid == f.uid && it->flags != f.flags) changed << f;
        }
        updateFlags(mailbox, server.uidValidity, changed);
        report.flagsChanged = changed.size();
    }
    exec("COMMIT");

    client.fetchSummaries(fresh, progress, [&](const QList<MessageSummary>& batch) {
        insert(mailbox, server.uidValidity, batch);
        report.fetched += batch.size();
    });
    // The number of messages cached is what the next sync compares with the
    // server's, so that an unchanged mailbox is known without reading its rows.
    MailboxStatus done = server;
    done.exists = quint32(count(mailbox, server.uidValidity));
    saveStatus(mailbox, done);
    return report;
}

}  // namespace imap
