#pragma once

// The SQLite connection behind the embedded store: schema, prepared
// statements, transactions and the SQL functions the filters run on.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

// A value bound to or read from SQL.
using SqlValue = std::variant<std::monostate, std::int64_t, double, QString, QByteArray>;

class Db;
class StmtPool;

// One prepared statement; reset and cleared on every bind round. When it is
// done with, it goes back to its connection's pool for the next prepare of
// the same SQL (or is finalized when the connection is gone).
class Stmt {
  public:
    Stmt(Db& db, sqlite3_stmt* s);
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    Stmt(Stmt&& o) noexcept
        : db_(o.db_), s_(o.s_), pool_(std::move(o.pool_)), held_(std::move(o.held_)) {
        o.s_ = nullptr;
    }
    ~Stmt();
    void reset();

    Stmt& bind(int i, const SqlValue& v);
    Stmt& bind(int i, std::int64_t v) { return bind(i, SqlValue(v)); }
    Stmt& bind(int i, int v) { return bind(i, SqlValue(static_cast<std::int64_t>(v))); }
    Stmt& bind(int i, const QString& v) { return bind(i, SqlValue(v)); }
    Stmt& bindNull(int i) { return bind(i, SqlValue()); }
    Stmt& bindAll(const std::vector<SqlValue>& values);

    bool step();  // true while a row is available
    void run();   // steps a statement that returns no rows

    bool isNull(int col) const;
    bool isInteger(int col) const;
    bool isText(int col) const;
    std::int64_t integer(int col) const;
    double real(int col) const;
    QString text(int col) const;
    QByteArray blob(int col) const;
    SqlValue value(int col) const;

  private:
    Db* db_;
    sqlite3_stmt* s_;
    std::weak_ptr<StmtPool> pool_;
    // The bound texts and BLOBs, kept until the bindings are cleared so that
    // SQLite need not copy them: a message body or an attachment may be large.
    std::vector<QByteArray> held_;
};

class Db {
  public:
    static constexpr int kBusyTimeoutMs = 2000;

    // Opens the store file, or creates it with its schema when `create`. Fails
    // with MAPI_E_DISK_ERROR when the file cannot be opened, MAPI_E_CORRUPT_DATA
    // when it is damaged or not a store of this program (nothing is written
    // then), MAPI_E_BUSY when another process keeps it locked past
    // kBusyTimeoutMs.
    static std::shared_ptr<Db> open(const QString& path, bool create);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    Stmt prepare(const char* sql);
    Stmt prepare(const QString& sql);
    // A statement kept for the life of the connection (keyed by the literal's
    // address), reset and ready for binding. For short one-row look-ups only.
    Stmt& cached(const char* sql);
    void exec(const char* sql);
    std::int64_t lastInsertId() const;
    int changes() const;
    const QString& path() const { return path_; }

    // One BLOB cell read or written a piece at a time, so that a large
    // attachment is never held whole by the store. readBlob hands the pieces
    // to `sink` in order and stops early when it returns false (then false).
    // writeBlob and copyBlob fill a cell that already holds a zeroblob of the
    // right length (a row inserted with zeroblob(N)).
    static constexpr int kBlobPiece = 1 << 20;
    bool readBlob(const char* table, const char* column, std::int64_t rid,
                  const std::function<bool(const char* data, int size)>& sink);
    void writeBlob(const char* table, const char* column, std::int64_t rid,
                   const QByteArray& bytes);
    void copyBlob(const char* table, const char* column, std::int64_t from, std::int64_t to);

    [[noreturn]] void fail(const char* what) const;

    // Nested use joins the outer transaction; only the outermost commits.
    class Transaction {
      public:
        explicit Transaction(Db& db);
        ~Transaction();
        void commit();

      private:
        Db& db_;
        bool outer_;
        bool done_ = false;
    };

  private:
    friend class Stmt;
    explicit Db(sqlite3* h, QString path);
    void createSchema();
    void checkIsStore();
    sqlite3* h_;
    QString path_;
    int depth_ = 0;
    // Parsing the SQL costs more than running most of the statements this
    // store prepares (a fixture's inserts, a message's look-ups), so finished
    // statements are kept for the next prepare of the same text.
    std::shared_ptr<StmtPool> pool_;
    std::vector<std::pair<const char*, std::unique_ptr<Stmt>>> cache_;
};

}  // namespace store
