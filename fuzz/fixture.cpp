// The fixture reader: any bytes as a fixture file, then written into a fresh
// in-memory store. Only FixtureError and the library's own errors may come out.
#include <QFile>

#include "FuzzInput.h"
#include "messaging/Error.h"
#include "store/Backend.h"
#include "store/Database.h"
#include "store/Fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::scratchFile(fuzz::bytes(data, size), ".json");
    try {
        const QJsonObject doc = store::readFixtureFile(path);
        auto db = store::Db::open(QStringLiteral(":memory:"), true);
        store::writeFixture(doc, *db, path);
    } catch (const store::FixtureError&) {
    } catch (const mapi::Error&) {
    }
    QFile::remove(path);
    return 0;
}
