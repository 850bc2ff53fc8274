#include "store/Database.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include <QStringList>

#include "messaging/Error.h"
#include "privatefiles/PrivateFiles.h"
#include "store/Props.h"
#include "store/Tables.h"

namespace store {

namespace {

SqlValue fromSqlite(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return sqlite3_value_double(v);
        case SQLITE_TEXT:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                     sqlite3_value_bytes(v));
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_value_blob(v)),
                              sqlite3_value_bytes(v));
        default:
            return SqlValue();
    }
}

bool isAscii(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// What containsText answers when both texts are plain ASCII (no other
// character folds to an ASCII one then), without two QStrings per row.
bool asciiContains(const char* hay, int hayLen, const char* needle, int needleLen) {
    for (int i = 0; i + needleLen <= hayLen; ++i) {
        int j = 0;
        while (j < needleLen && foldAscii(hay[i + j]) == foldAscii(needle[j])) ++j;
        if (j == needleLen) return true;
    }
    return false;
}

// qv_contains(haystack, needle): case-insensitive substring, NULL never matches.
void sqlContains(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto* hay = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int hayLen = sqlite3_value_bytes(argv[0]);
    const auto* needle = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int needleLen = sqlite3_value_bytes(argv[1]);
    if (isAscii(hay, hayLen) && isAscii(needle, needleLen)) {
        sqlite3_result_int(ctx, asciiContains(hay, hayLen, needle, needleLen) ? 1 : 0);
        return;
    }
    sqlite3_result_int(
        ctx,
        containsText(QString::fromUtf8(hay, hayLen), QString::fromUtf8(needle, needleLen)) ? 1 : 0);
}

// qv_eq(stored type, stored value, wanted type, wanted value): looselyEqual on
// the decoded values.
void sqlEqual(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto st = static_cast<mapi::VarType>(sqlite3_value_int(argv[0]));
    const auto wt = static_cast<mapi::VarType>(sqlite3_value_int(argv[2]));
    const mapi::Variant stored = decode(st, fromSqlite(argv[1]));
    const mapi::Variant wanted = decode(wt, fromSqlite(argv[3]));
    sqlite3_result_int(ctx, looselyEqual(stored, wanted) ? 1 : 0);
}

// Marks a file as this program's store (PRAGMA application_id).
constexpr int kApplicationId = 0x51563939;

// The tables every store has; a file lacking any of them is not one of ours.
const char* const kTables[] = {"profiles", "profile_stores", "profile_lists", "stores",
                               "folders",  "messages",       "recipients",    "attachments",
                               "props",    "address_lists",  "entries"};

}  // namespace

// ---- StmtPool ---------------------------------------------------------------

// Idle statements of one connection, reset and unbound, by their SQL text.
class StmtPool {
  public:
    // Enough for every fixed statement of a session; SQL built per call (a
    // filter's) would otherwise pile up, so a full pool starts over.
    static constexpr std::size_t kMax = 96;

    StmtPool() = default;
    StmtPool(const StmtPool&) = delete;
    StmtPool& operator=(const StmtPool&) = delete;
    ~StmtPool() { clear(); }

    sqlite3_stmt* take(std::string_view sql) {
        auto it = idle_.find(sql);
        if (it == idle_.end() || it->second.empty()) return nullptr;
        sqlite3_stmt* s = it->second.back();
        it->second.pop_back();
        --count_;
        return s;
    }

    void give(sqlite3_stmt* s) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (count_ >= kMax) clear();
        const char* sql = sqlite3_sql(s);
        auto it = idle_.find(std::string_view(sql));
        if (it == idle_.end())
            it = idle_.emplace(std::string(sql), std::vector<sqlite3_stmt*>()).first;
        it->second.push_back(s);
        ++count_;
    }

    void clear() {
        for (auto& [sql, list] : idle_)
            for (sqlite3_stmt* s : list) sqlite3_finalize(s);
        idle_.clear();
        count_ = 0;
    }

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view v) const {
            return std::hash<std::string_view>()(v);
        }
    };
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>, Hash, std::equal_to<>> idle_;
    std::size_t count_ = 0;
};

// ---- Stmt -------------------------------------------------------------------

Stmt::Stmt(Db& db, sqlite3_stmt* s) : db_(&db), s_(s), pool_(db.pool_) {}

Stmt::~Stmt() {
    if (!s_) return;
    if (auto pool = pool_.lock())
        pool->give(s_);
    else
        sqlite3_finalize(s_);
}

void Stmt::reset() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
    held_.clear();
}

Stmt& Stmt::bind(int i, const SqlValue& v) {
    int rc = SQLITE_OK;
    if (auto p = std::get_if<std::int64_t>(&v)) {
        rc = sqlite3_bind_int64(s_, i, *p);
    } else if (auto p = std::get_if<double>(&v)) {
        rc = sqlite3_bind_double(s_, i, *p);
    } else if (auto p = std::get_if<QString>(&v)) {
        held_.push_back(p->toUtf8());
        const QByteArray& u = held_.back();
        rc = sqlite3_bind_text64(s_, i, u.constData(), static_cast<sqlite3_uint64>(u.size()),
                                 SQLITE_STATIC, SQLITE_UTF8);
    } else if (auto p = std::get_if<QByteArray>(&v)) {
        held_.push_back(*p);
        const QByteArray& b = held_.back();
        rc = sqlite3_bind_blob64(s_, i, b.constData(), static_cast<sqlite3_uint64>(b.size()),
                                 SQLITE_STATIC);
    } else {
        rc = sqlite3_bind_null(s_, i);
    }
    if (rc != SQLITE_OK) db_->fail("bind");
    return *this;
}

Stmt& Stmt::bindAll(const std::vector<SqlValue>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) bind(static_cast<int>(i) + 1, values[i]);
    return *this;
}

bool Stmt::step() {
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_->fail("step");
}

void Stmt::run() {
    while (step()) {
    }
}

bool Stmt::isNull(int col) const {
    return sqlite3_column_type(s_, col) == SQLITE_NULL;
}
std::int64_t Stmt::integer(int col) const {
    return sqlite3_column_int64(s_, col);
}
double Stmt::real(int col) const {
    return sqlite3_column_double(s_, col);
}
bool Stmt::isInteger(int col) const {
    return sqlite3_column_type(s_, col) == SQLITE_INTEGER;
}
bool Stmt::isText(int col) const {
    return sqlite3_column_type(s_, col) == SQLITE_TEXT;
}
QString Stmt::text(int col) const {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(s_, col)) : QString();
}
QByteArray Stmt::blob(int col) const {
    const void* b = sqlite3_column_blob(s_, col);
    return b ? QByteArray(static_cast<const char*>(b), sqlite3_column_bytes(s_, col))
             : QByteArray();
}
SqlValue Stmt::value(int col) const {
    switch (sqlite3_column_type(s_, col)) {
        case SQLITE_INTEGER:
            return integer(col);
        case SQLITE_FLOAT:
            return real(col);
        case SQLITE_TEXT:
            return text(col);
        case SQLITE_BLOB:
            return blob(col);
        default:
            return SqlValue();
    }
}

// ---- Db ---------------------------------------------------------------------

std::shared_ptr<Db> Db::open(const QString& path, bool create) {
    sqlite3* h = nullptr;
    // A connection is only ever used by the thread that opened it, so SQLite
    // need not lock one around every call (a column read each, in a walk).
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    // Mail is for its owner's eyes only, and so are the journals SQLite keeps beside it.
    privatefiles::prepareDatabase(path, create);
    if (sqlite3_open_v2(path.toUtf8().constData(), &h, flags, nullptr) != SQLITE_OK) {
        const QString why =
            h ? QString::fromUtf8(sqlite3_errmsg(h)) : QStringLiteral("out of memory");
        if (h) sqlite3_close(h);
        mapi::raise(mapi::code::DiskError,
                    QStringLiteral("The message store %1 could not be opened: %2.").arg(path, why));
    }
    std::shared_ptr<Db> db(new Db(h, path));
    // Another process inside a write holds the store only briefly; one that
    // keeps it longer is reported rather than waited for.
    sqlite3_busy_timeout(h, kBusyTimeoutMs);
    sqlite3_create_function_v2(h, "qv_contains", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               sqlContains, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(h, "qv_eq", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlEqual,
                               nullptr, nullptr, nullptr);
    // Every write must be on disk when the call that made it returns.
    db->exec("PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;");
    if (create) {
        db->createSchema();
    } else {
        // Checked before anything is written: a damaged file or another
        // program's database in the profile folder is refused untouched.
        db->checkIsStore();
    }
    return db;
}

void Db::checkIsStore() {
    Stmt id = prepare("PRAGMA application_id");
    const std::int64_t appId = id.step() ? id.integer(0) : 0;
    Stmt q = prepare("SELECT name FROM sqlite_master WHERE type = 'table'");
    QStringList tables;
    while (q.step()) tables << q.text(0);
    bool complete = true;
    for (const char* t : kTables) complete = complete && tables.contains(QLatin1String(t));
    // Stores written before the mark was set are recognised by their tables.
    if ((appId != kApplicationId && appId != 0) || !complete)
        mapi::raise(mapi::code::Corrupt,
                    QStringLiteral("The file in the profile folder is not a message store."));
}

Db::Db(sqlite3* h, QString path)
    : h_(h), path_(std::move(path)), pool_(std::make_shared<StmtPool>()) {}

Db::~Db() {
    cache_.clear();
    pool_.reset();  // finalizes the idle statements; any still in use finalize themselves
    sqlite3_close_v2(h_);
}

void Db::createSchema() {
    createStoreTables(*this);
    exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId).toUtf8().constData());
}

void Db::fail(const char* what) const {
    const int rc = sqlite3_errcode(h_);
    const QString msg = QString::fromUtf8(sqlite3_errmsg(h_));
    switch (rc & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            mapi::raise(mapi::code::Corrupt,
                        QStringLiteral("The message store is damaged (%1).").arg(msg));
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            mapi::raise(mapi::code::Busy,
                        QStringLiteral("The message store is in use by another program."));
        default:
            break;
    }
    mapi::raise(mapi::code::DiskError, QStringLiteral("The message store could not be %1 (%2: %3).")
                                           .arg(QString::fromLatin1(what) == QLatin1String("step")
                                                    ? QStringLiteral("read or written")
                                                    : QStringLiteral("used"),
                                                QString::number(rc), msg));
}

Stmt Db::prepare(const char* sql) {
    sqlite3_stmt* s = pool_->take(sql);
    if (!s && sqlite3_prepare_v3(h_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        fail("prepare");
    return Stmt(*this, s);
}

Stmt& Db::cached(const char* sql) {
    for (auto& [key, stmt] : cache_) {
        if (key == sql) {
            stmt->reset();
            return *stmt;
        }
    }
    cache_.emplace_back(sql, std::make_unique<Stmt>(prepare(sql)));
    return *cache_.back().second;
}

Stmt Db::prepare(const QString& sql) {
    return prepare(sql.toUtf8().constData());
}

void Db::exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(h_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        fail("exec");
    }
}

std::int64_t Db::lastInsertId() const {
    return sqlite3_last_insert_rowid(h_);
}
int Db::changes() const {
    return sqlite3_changes(h_);
}

namespace {

// An open BLOB handle, closed however the scope is left.
class BlobHandle {
  public:
    BlobHandle(Db& db, sqlite3* h, const char* table, const char* column, std::int64_t rid,
               bool write) {
        if (sqlite3_blob_open(h, "main", table, column, rid, write ? 1 : 0, &b_) != SQLITE_OK) {
            sqlite3_blob_close(b_);
            b_ = nullptr;
            db.fail("step");
        }
    }
    ~BlobHandle() { sqlite3_blob_close(b_); }
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;
    sqlite3_blob* get() const { return b_; }
    int size() const { return sqlite3_blob_bytes(b_); }

  private:
    sqlite3_blob* b_ = nullptr;
};

}  // namespace

bool Db::readBlob(const char* table, const char* column, std::int64_t rid,
                  const std::function<bool(const char*, int)>& sink) {
    const BlobHandle blob(*this, h_, table, column, rid, false);
    const int total = blob.size();
    QByteArray piece(std::min(total, kBlobPiece), Qt::Uninitialized);
    for (int at = 0; at < total; at += kBlobPiece) {
        const int n = std::min(kBlobPiece, total - at);
        if (sqlite3_blob_read(blob.get(), piece.data(), n, at) != SQLITE_OK) fail("step");
        if (!sink(piece.constData(), n)) return false;
    }
    return true;
}

void Db::writeBlob(const char* table, const char* column, std::int64_t rid,
                   const QByteArray& bytes) {
    const BlobHandle blob(*this, h_, table, column, rid, true);
    if (blob.size() != bytes.size()) fail("step");
    for (int at = 0; at < blob.size(); at += kBlobPiece) {
        const int n = std::min(kBlobPiece, blob.size() - at);
        if (sqlite3_blob_write(blob.get(), bytes.constData() + at, n, at) != SQLITE_OK)
            fail("step");
    }
}

void Db::copyBlob(const char* table, const char* column, std::int64_t from, std::int64_t to) {
    const BlobHandle target(*this, h_, table, column, to, true);
    int at = 0;
    readBlob(table, column, from, [&](const char* data, int n) {
        if (at + n > target.size() || sqlite3_blob_write(target.get(), data, n, at) != SQLITE_OK)
            fail("step");
        at += n;
        return true;
    });
    if (at != target.size()) fail("step");
}

Db::Transaction::Transaction(Db& db) : db_(db), outer_(db.depth_ == 0) {
    if (outer_) db_.exec("BEGIN IMMEDIATE");
    ++db_.depth_;
}

Db::Transaction::~Transaction() {
    --db_.depth_;
    if (outer_ && !done_) sqlite3_exec(db_.h_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Db::Transaction::commit() {
    if (outer_ && !done_) db_.exec("COMMIT");
    done_ = true;
}

}  // namespace store
