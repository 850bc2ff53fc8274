// The filter compiler on arbitrary criteria rows, as the criteria editor and
// scripts can set them, run against a store holding one message and one entry.
//
// Input: the first byte picks a message (even) or address (odd) filter; then
// one row per line, "MEMBER<TAB>T<TAB>VALUE" or "+NAME-OR-TAG<TAB>TYPE<TAB>VALUE"
// (a field condition), where T picks the value's type: s String, l Long,
// b Boolean, d Double, n Null, anything else Empty.
#include <QStringList>

#include "FuzzInput.h"
#include "messaging/Error.h"
#include "store/Database.h"
#include "store/StoreObjects.h"

namespace {

mapi::Variant valueOf(const QString& kind, const QString& text) {
    const QChar k = kind.isEmpty() ? QChar() : kind.front();
    bool ok = false;
    if (k == QLatin1Char('s')) return text;
    if (k == QLatin1Char('l')) return static_cast<std::int32_t>(text.toInt(&ok));
    if (k == QLatin1Char('b')) return text == QLatin1String("1");
    if (k == QLatin1Char('d')) return text.toDouble(&ok);
    if (k == QLatin1Char('n')) return mapi::Variant::null();
    return mapi::Variant();
}

store::Db& database() {
    static std::shared_ptr<store::Db> db = [] {
        auto d = store::Db::open(QStringLiteral(":memory:"), true);
        d->exec(
            "INSERT INTO messages(rid, eid, folder, importance, type, subject, sender_name, "
            "time_received, size, body, sender_address, unread, sent) VALUES(1, 'E1', 1, 1, "
            "'IPM.Note', 'Budget 1999', 'Ann', 915148800, 1200, 'Body text', 'ann@example.com', "
            "1, 0);"
            "INSERT INTO recipients(message, name, address, type) VALUES(1, 'Bob', "
            "'bob@example.com', 1);"
            "INSERT INTO props(owner_kind, owner, tag, name, vtype, value) VALUES(1, 1, 0, "
            "'Keyword', 8, 'x');"
            "INSERT INTO entries(eid, list, name, type, address) VALUES('A1', 1, 'Bob', 'SMTP', "
            "'bob@example.com');");
        return d;
    }();
    return *db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool messages = data[0] % 2 == 0;
    store::FilterImpl filter(messages ? store::FilterKind::Messages : store::FilterKind::Entries);
    const QStringList rows = fuzz::text(data + 1, size - 1).split(QLatin1Char('\n'));
    for (const QString& row : rows) {
        const QStringList cols = row.split(QLatin1Char('\t'));
        if (cols.size() < 3) continue;
        try {
            if (cols[0].startsWith(QLatin1Char('+'))) {
                filter.FieldsOf()->Add(cols[0].mid(1), static_cast<std::int16_t>(cols[1].toInt()),
                                       valueOf(QStringLiteral("s"), cols[2]));
            } else {
                filter.Set(cols[0], valueOf(cols[1], cols[2]));
            }
        } catch (const mapi::Error&) {
        }
    }
    store::Db& db = database();
    try {
        std::vector<store::SqlValue> binds;
        const QString where = filter.whereClause(binds);
        const QString sql = messages ? QStringLiteral("SELECT count(*) FROM messages m WHERE ")
                                     : QStringLiteral("SELECT count(*) FROM entries e WHERE ");
        store::Stmt q = db.prepare(sql + where);
        q.bindAll(binds);
        if (!q.step()) abort();
    } catch (const mapi::Error& e) {
        // Unusable values are refused as such; never a broken query.
        if (e.number() != mapi::code::InvalidParameter) abort();
    }
    return 0;
}
