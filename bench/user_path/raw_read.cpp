// The floor the user-path figures are compared with: the same rows read
// straight from the store file with SQLite, nothing else. Prints the median
// seconds of five runs.
//   raw_read DB list                 eid and subject of folder 1001, in stored order
//   raw_read DB subject TEXT         ... whose subject contains TEXT
//   raw_read DB received FROM TO     ... received between two stored second counts
//   raw_read DB sender TEXT          ... whose sender name or address contains TEXT
//   raw_read DB stores               open the file and read the profile's stores

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kFolder = "(SELECT rid FROM folders WHERE eid = '1001')";

std::string sqlFor(int argc, char** argv) {
    const std::string mode = argv[2];
    const std::string rows =
        std::string("SELECT eid, subject FROM messages WHERE folder = ") + kFolder;
    if (mode == "list") return rows + " ORDER BY rid";
    if (mode == "subject" && argc > 3)
        return rows + " AND subject LIKE '%" + argv[3] + "%' ORDER BY rid";
    if (mode == "received" && argc > 4)
        return rows + " AND time_received BETWEEN " + argv[3] + " AND " + argv[4] + " ORDER BY rid";
    if (mode == "sender" && argc > 3)
        return rows + " AND (sender_name LIKE '%" + argv[3] + "%' OR sender_address LIKE '%" +
               argv[3] + "%') ORDER BY rid";
    if (mode == "stores")
        return "SELECT s.eid, s.name FROM stores s JOIN profile_stores p ON p.store = s.rid "
               "ORDER BY p.rowid";
    return {};
}

double once(const char* path, const std::string& sql, long* rows) {
    const auto t0 = std::chrono::steady_clock::now();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::exit(1);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    long n = 0;
    std::size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        bytes +=
            static_cast<std::size_t>(sqlite3_column_bytes(st, 0) + sqlite3_column_bytes(st, 1));
        ++n;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    *rows = n + static_cast<long>(bytes & 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string sql = sqlFor(argc, argv);
    if (sql.empty()) return 2;
    std::vector<double> times;
    long rows = 0;
    for (int i = 0; i < 5; ++i) times.push_back(once(argv[1], sql, &rows));
    std::sort(times.begin(), times.end());
    std::printf("%.6f %ld\n", times[2], rows);
    return 0;
}
