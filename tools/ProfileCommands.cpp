#include "ProfileCommands.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <functional>
#include <memory>

#include "CommandLine.h"
#include "messaging/Error.h"
#include "store/Backend.h"
#include "store/ProfileAdmin.h"
#include "store/StoreBackend.h"

namespace {

QString storePath() {
    return store::profilesDir() + QLatin1Char('/') + QLatin1String(store::kStoreFileName);
}

// Runs `work` on the profile folder's store; 1 with the reason when there is
// none or it cannot be opened, which changes nothing.
int withStore(const std::function<int(store::Db&)>& work) {
    const QString path = storePath();
    QTextStream err(stderr);
    if (!QFile::exists(path)) {
        err << path << ": there is no message store yet.\n";
        return 1;
    }
    try {
        std::shared_ptr<store::Db> db = store::Db::open(path, false);
        return work(*db);
    } catch (const mapi::Error& e) {
        err << path << ": " << e.description() << '\n';
        return 1;
    }
}

// A command that takes options only: 0 to go on, else the exit status.
int parseOptions(CommandLine& cl, const QStringList& args, const QStringList& required) {
    if (const int status = cl.parse(args)) return status < 0 ? -1 : status;
    if (!cl.parser.positionalArguments().isEmpty())
        return cl.usageError(QStringLiteral("Unexpected argument '%1'.")
                                 .arg(cl.parser.positionalArguments().constFirst()));
    for (const QString& name : required)
        if (cl.value(name.toLatin1().constData()).isEmpty())
            return cl.usageError(
                QStringLiteral("%1 needs --%2.").arg(cl.usage.section(u' ', 1), name));
    return 0;
}

QJsonObject accountJson(const store::AccountEntry& a) {
    return QJsonObject{{QStringLiteral("kind"), a.kind}, {QStringLiteral("server"), a.server},
                       {QStringLiteral("port"), a.port}, {QStringLiteral("security"), a.security},
                       {QStringLiteral("user"), a.user}, {QStringLiteral("auth"), a.auth}};
}

}  // namespace

int listProfilesCommand(const QStringList& args) {
    CommandLine cl(QStringLiteral("list"),
                   QStringLiteral("Lists the profiles (the default one marked), their stores and "
                                  "their accounts; never a password."));
    cl.add("json", "Writes the list as JSON.");
    if (const int status = parseOptions(cl, args, {})) return status < 0 ? 0 : status;
    const bool json = cl.parser.isSet(QStringLiteral("json"));
    return withStore([json](store::Db& db) {
        const std::vector<store::ProfileListing> all = store::listProfiles(db);
        QTextStream out(stdout);
        if (json) {
            QJsonArray profiles;
            for (const store::ProfileListing& p : all) {
                QJsonArray accounts;
                for (const store::AccountEntry& a : p.accounts) accounts.append(accountJson(a));
                profiles.append(
                    QJsonObject{{QStringLiteral("name"), p.profile.name},
                                {QStringLiteral("default"), p.profile.isDefault},
                                {QStringLiteral("stores"), QJsonArray::fromStringList(p.stores)},
                                {QStringLiteral("accounts"), accounts}});
            }
            out << QJsonDocument(QJsonObject{{QStringLiteral("profiles"), profiles}})
                       .toJson(QJsonDocument::Indented);
            return 0;
        }
        for (const store::ProfileListing& p : all) {
            out << p.profile.name << (p.profile.isDefault ? " (default)" : "") << '\n';
            for (const QString& s : p.stores) out << "  store " << s << '\n';
            for (const store::AccountEntry& a : p.accounts)
                out << "  " << a.kind << ' ' << a.user << '@' << a.server << ':' << a.port << ' '
                    << a.security << (a.usesOAuth2() ? " oauth2" : "") << '\n';
        }
        return 0;
    });
}

int removeAccountCommand(const QStringList& args) {
    CommandLine cl(QStringLiteral("remove-account"),
                   QStringLiteral("Removes an account from a profile, with its kept password and "
                                  "its cached headers."));
    cl.add("profile", "The profile.", "NAME");
    cl.add("server", "The account's server.", "HOST");
    cl.add("user", "The account's user name.", "USER");
    const QStringList required{QStringLiteral("profile"), QStringLiteral("server"),
                               QStringLiteral("user")};
    if (const int status = parseOptions(cl, args, required)) return status < 0 ? 0 : status;
    const QString profile = cl.value("profile"), server = cl.value("server"),
                  user = cl.value("user");
    return withStore([&](store::Db& db) {
        const std::optional<store::AccountEntry> removed =
            store::removeAccount(db, profile, server, user);
        if (!removed) {
            QTextStream(stderr) << "The profile " << profile << " has no account " << user << '@'
                                << server << ".\n";
            return 1;
        }
        QTextStream(stdout) << "Removed the account " << removed->user << '@' << removed->server
                            << " from the profile " << profile << '\n';
        return 0;
    });
}

int removeProfileCommand(const QStringList& args) {
    CommandLine cl(QStringLiteral("remove-profile"),
                   QStringLiteral("Removes a profile and its accounts; the mail of its stores is "
                                  "kept. Asks first unless --yes is given."));
    cl.add("profile", "The profile.", "NAME");
    cl.add("yes", "Removes it without asking.");
    if (const int status = parseOptions(cl, args, {QStringLiteral("profile")}))
        return status < 0 ? 0 : status;
    const QString profile = cl.value("profile");
    const bool yes = cl.parser.isSet(QStringLiteral("yes"));
    return withStore([&](store::Db& db) {
        QTextStream out(stdout);
        if (!store::findProfile(store::loadProfiles(db), profile)) {
            QTextStream(stderr) << "There is no profile " << profile << ".\n";
            return 1;
        }
        if (!yes) {
            out << "Remove the profile " << profile << " and its accounts? [y/N] " << Qt::flush;
            const QString answer = QTextStream(stdin).readLine().trimmed().toLower();
            if (answer != QLatin1String("y") && answer != QLatin1String("yes")) {
                out << "Nothing was removed.\n";
                return 1;
            }
        }
        const std::optional<store::ProfileListing> removed = store::removeProfile(db, profile);
        out << "Removed the profile " << removed->profile.name << '\n';
        if (!removed->stores.isEmpty())
            out << "The mail of its stores is kept: " << removed->stores.join(QStringLiteral(", "))
                << '\n';
        return 0;
    });
}

int setDefaultCommand(const QStringList& args) {
    CommandLine cl(QStringLiteral("set-default"),
                   QStringLiteral("Makes a profile the default one, which the profile chooser "
                                  "offers first."));
    cl.add("profile", "The profile.", "NAME");
    if (const int status = parseOptions(cl, args, {QStringLiteral("profile")}))
        return status < 0 ? 0 : status;
    const QString profile = cl.value("profile");
    return withStore([&](store::Db& db) {
        const std::optional<store::Profile> p = store::setDefaultProfile(db, profile);
        if (!p) {
            QTextStream(stderr) << "There is no profile " << profile << ".\n";
            return 1;
        }
        QTextStream(stdout) << "The profile " << p->name << " is the default one\n";
        return 0;
    });
}
