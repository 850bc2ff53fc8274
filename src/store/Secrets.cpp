#include "store/Secrets.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "messaging/Error.h"
#include "privatefiles/PrivateFiles.h"

namespace store {

namespace {

// ---- The desktop's secret service ------------------------------------------------

enum class Service { Untried, Answers, Absent };

Service& service() {
    static Service state = Service::Untried;
    return state;
}

// Without a session bus there is no service to ask, and no reason to start the
// keychain's machinery at all.
bool serviceMayAnswer() {
    if (service() == Service::Untried &&
        (!QCoreApplication::instance() || !QDBusConnection::sessionBus().isConnected()))
        service() = Service::Absent;
    return service() != Service::Absent;
}

struct Answer {
    bool ok = false;     // the service answered: found, stored or deleted
    bool found = false;  // a read found the entry
    QString text;
};

// Runs one keychain job to its end, or gives up after kSecretServiceWaitMs (a
// service that was started but never answers, a prompt nobody can see). The
// job deletes itself when it finishes, even after the wait was given up: the
// service may still call back into it.
Answer run(QKeychain::Job* job) {
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    job->setAutoDelete(true);
    QObject::connect(job, &QKeychain::Job::finished, &loop, [answer, &loop](QKeychain::Job* j) {
        answer->ok = j->error() == QKeychain::NoError || j->error() == QKeychain::EntryNotFound;
        answer->found = j->error() == QKeychain::NoError;
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(j); read && answer->found)
            answer->text = read->textData();
        loop.quit();
    });
    QTimer::singleShot(kSecretServiceWaitMs, &loop, &QEventLoop::quit);
    job->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // Once it failed, the rest of the run keeps to the file rather than wait again.
    service() = answer->ok ? Service::Answers : Service::Absent;
    return *answer;
}

Answer serviceRead(const SecretOwner& owner) {
    auto* job = new QKeychain::ReadPasswordJob(secretServiceName());
    job->setKey(secretServiceKey(owner));
    return run(job);
}

bool serviceWrite(const SecretOwner& owner, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(secretServiceName());
    job->setKey(secretServiceKey(owner));
    job->setTextData(password);
    return run(job).ok;
}

void serviceDelete(const SecretOwner& owner) {
    auto* job = new QKeychain::DeletePasswordJob(secretServiceName());
    job->setKey(secretServiceKey(owner));
    run(job);
}

// ---- The owner-only file ---------------------------------------------------------

// {"about": ..., "accounts": [{"store", "profile", "kind", "server", "user",
// "password"}, ...]}: one entry per account of the stores in the folder.
const char* const kAbout =
    "Passwords of the mail accounts of the profile stores in this folder, kept here "
    "because no secret service answered. Readable by its owner only.";

QJsonObject entryOf(const SecretOwner& owner) {
    return QJsonObject{{QStringLiteral("store"), QFileInfo(owner.storePath).fileName()},
                       {QStringLiteral("profile"), owner.profile},
                       {QStringLiteral("kind"), owner.kind},
                       {QStringLiteral("server"), owner.server},
                       {QStringLiteral("user"), owner.user}};
}

bool sameOwner(const QJsonObject& entry, const QJsonObject& wanted) {
    for (auto it = wanted.begin(); it != wanted.end(); ++it)
        if (entry.value(it.key()) != it.value()) return false;
    return true;
}

[[noreturn]] void fileFailed(const SecretOwner& owner, const QString& why) {
    mapi::raise(mapi::code::DiskError,
                QStringLiteral("The password of %1@%2 could not be kept in %3: %4.")
                    .arg(owner.user, owner.server, secretsFilePath(owner.storePath), why));
}

// The file's accounts; an empty list when there is no file. False, with the
// reason, when there is one that cannot be read.
bool readFile(const QString& path, QJsonArray& accounts, QString& why) {
    accounts = QJsonArray();
    QFile f(path);
    if (!f.exists()) return true;
    if (!f.open(QIODevice::ReadOnly)) {
        why = f.errorString();
        return false;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (!doc.isObject()) {
        why = QStringLiteral("it is not a password file (%1)").arg(error.errorString());
        return false;
    }
    accounts = doc.object().value(QLatin1String("accounts")).toArray();
    return true;
}

// Replaces the owner's entry by `password`, or drops it when there is none; the
// file goes when its last entry does.
void updateFile(const SecretOwner& owner, const std::optional<QString>& password) {
    const QString path = secretsFilePath(owner.storePath);
    QJsonArray accounts;
    QString why;
    if (!readFile(path, accounts, why)) {
        // Nothing can be found in it either; only a password to add is refused,
        // rather than written over whatever the file holds.
        if (!password) return;
        fileFailed(owner, why);
    }
    const QJsonObject wanted = entryOf(owner);
    QJsonArray kept;
    bool changed = false;
    for (const QJsonValue& v : accounts) {
        if (sameOwner(v.toObject(), wanted))
            changed = true;
        else
            kept.append(v);
    }
    if (password) {
        QJsonObject entry = wanted;
        entry.insert(QStringLiteral("password"), *password);
        kept.append(entry);
        changed = true;
    }
    if (!changed) return;
    if (kept.isEmpty()) {
        if (!QFile::remove(path)) fileFailed(owner, QStringLiteral("it cannot be removed"));
        return;
    }
    const QJsonObject doc{{QStringLiteral("about"), QLatin1String(kAbout)},
                          {QStringLiteral("accounts"), kept}};
    why = privatefiles::replaceFile(path, QJsonDocument(doc).toJson(QJsonDocument::Indented));
    if (!why.isEmpty()) fileFailed(owner, why);
}

std::optional<QString> fromFile(const SecretOwner& owner) {
    QJsonArray accounts;
    QString why;
    if (!readFile(secretsFilePath(owner.storePath), accounts, why)) return std::nullopt;
    const QJsonObject wanted = entryOf(owner);
    for (const QJsonValue& v : accounts)
        if (sameOwner(v.toObject(), wanted) &&
            v.toObject().value(QLatin1String("password")).isString())
            return v.toObject().value(QLatin1String("password")).toString();
    return std::nullopt;
}

}  // namespace

QString secretServiceName() {
    return QStringLiteral("Quorvane '99");
}

QString secretServiceKey(const SecretOwner& owner) {
    return QStringLiteral("%1://%2@%3 (profile \"%4\" in %5)")
        .arg(owner.kind, owner.user, owner.server, owner.profile,
             QFileInfo(owner.storePath).absoluteFilePath());
}

QString secretsFilePath(const QString& storePath) {
    return QFileInfo(storePath).absolutePath() + QStringLiteral("/secrets");
}

void keepSecret(const SecretOwner& owner, const QString& password) {
    if (serviceMayAnswer() && serviceWrite(owner, password)) {
        // A copy the file kept while the service was away must not outlive it.
        updateFile(owner, std::nullopt);
        return;
    }
    updateFile(owner, password);
}

std::optional<QString> findSecret(const SecretOwner& owner) {
    if (serviceMayAnswer()) {
        const Answer a = serviceRead(owner);
        if (a.found) return a.text;
    }
    return fromFile(owner);
}

void forgetSecret(const SecretOwner& owner) {
    if (serviceMayAnswer()) serviceDelete(owner);
    updateFile(owner, std::nullopt);
}

bool secretServiceInUse() {
    return service() == Service::Answers;
}

}  // namespace store
