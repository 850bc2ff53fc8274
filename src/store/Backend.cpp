#include "store/Backend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include "messaging/Error.h"
#include "privatefiles/PrivateFiles.h"
#include "store/DemoMailbox.h"
#include "store/Fixture.h"
#include "store/StoreBackend.h"
#include "store/Tables.h"

namespace store {

QString profilesDir() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/quorvane");
}

bool makeProfilesDir() {
    const QString dir = profilesDir();
    if (!privatefiles::makeFolder(dir)) return false;
    privatefiles::narrowTree(dir);
    return true;
}

namespace {

// An empty store gets the demo mailbox; stores left without any profile get
// back a default one.
void prepareDefaultStore(Db& db) {
    Stmt q = db.prepare("SELECT (SELECT COUNT(*) FROM profiles), (SELECT COUNT(*) FROM stores)");
    q.step();
    const bool noProfiles = q.integer(0) == 0;
    const bool noStores = q.integer(1) == 0;
    if (noProfiles && noStores) {
        writeFixture(demoMailbox(), db, QStringLiteral("(demo mailbox)"));
    } else if (noProfiles) {
        Db::Transaction tx(db);
        insertDefaultProfile(db);
        tx.commit();
    }
}

}  // namespace

void installDefaultBackend() {
    const QString dir = profilesDir();
    const QString path = dir + QLatin1Char('/') + QLatin1String(kStoreFileName);
    // Installed before anything touches the disk: whatever fails below, the
    // logon still meets it again and reports it on its error path.
    std::make_shared<Backend>(path, nullptr, &prepareDefaultStore)->install();
    if (!makeProfilesDir())
        mapi::raise(mapi::code::DiskError,
                    QStringLiteral("The profile folder %1 could not be created.").arg(dir));
    if (!QFile::exists(path)) buildStoreFile(demoMailbox(), path, QStringLiteral("(demo mailbox)"));
}

void installFixtureBackend(const QString& jsonPath) {
    const QJsonObject doc = readFixtureFile(jsonPath);
    auto tmp = std::make_shared<QTemporaryDir>();
    if (!tmp->isValid())
        throw FixtureError(
            QStringLiteral("%1: no temporary folder for the store").arg(jsonPath).toStdString());
    const QString path = tmp->filePath(QLatin1String(kStoreFileName));
    buildStoreFile(doc, path, jsonPath);
    std::make_shared<Backend>(path, tmp)->install();
}

void createProfileDirectory(const QString& jsonPath, const QString& dir) {
    const QJsonObject doc = readFixtureFile(jsonPath);
    const QString target = QDir(dir).filePath(QLatin1String(kStoreFileName));
    if (QFile::exists(target))
        throw FixtureError(
            QStringLiteral("%1: a profile directory already exists there").arg(dir).toStdString());
    // The folders this call creates, deepest first, to be taken back on failure.
    QStringList created;
    for (QString d = QDir::cleanPath(QFileInfo(dir).absoluteFilePath()); !QFileInfo::exists(d);
         d = QFileInfo(d).path())
        created << d;
    // Only what this call creates: DIR may be a folder the user shares on purpose.
    if (!privatefiles::makeFolder(dir))
        throw FixtureError(QStringLiteral("%1: cannot be created").arg(dir).toStdString());
    // The store appears only when complete; a refused fixture leaves nothing.
    try {
        buildStoreFile(doc, target, jsonPath);
    } catch (...) {
        for (const QString& d : created) QDir().rmdir(d);
        throw;
    }
}

}  // namespace store
