#include "SignInCommand.h"

#include <QFile>
#include <QTextStream>
#include <memory>

#include "CommandLine.h"
#include "messaging/Error.h"
#include "oauth/OAuthError.h"
#include "oauth/SignIn.h"
#include "store/Accounts.h"
#include "store/Backend.h"
#include "store/Database.h"
#include "store/Profiles.h"
#include "store/StoreBackend.h"

namespace {

constexpr int kDefaultWait = 300;

// The profile's OAuth 2.0 account the options name; the reason in `why` when
// there is none or the choice is left open.
std::optional<store::AccountEntry> chosenAccount(store::Db& db, const store::Profile& p,
                                                 const QString& server, const QString& user,
                                                 QString& why) {
    std::vector<store::AccountEntry> found;
    for (const store::AccountEntry& a : store::profileAccounts(db, p.rid)) {
        if (!server.isEmpty() && a.server.compare(server, Qt::CaseInsensitive) != 0) continue;
        if (!user.isEmpty() && a.user.compare(user, Qt::CaseInsensitive) != 0) continue;
        found.push_back(a);
    }
    if (found.size() == 1 && found.front().usesOAuth2()) return found.front();
    if (found.size() == 1)
        why = QStringLiteral("The account %1@%2 logs on with a password, not OAuth 2.0.")
                  .arg(found.front().user, found.front().server);
    else if (found.empty())
        why = QStringLiteral("The profile %1 has no such account.").arg(p.name);
    else
        why = QStringLiteral("The profile %1 has several accounts: give --server and --user.")
                  .arg(p.name);
    return std::nullopt;
}

}  // namespace

int signInCommand(const QStringList& args) {
    CommandLine cl(QStringLiteral("sign-in"),
                   QStringLiteral("Signs an OAuth 2.0 account in: prints the authorization URL "
                                  "(and opens it with $BROWSER when set), waits for the browser "
                                  "to come back to 127.0.0.1, and keeps the tokens like a "
                                  "password."));
    cl.add("profile", "The profile.", "NAME");
    cl.add("server", "The account's server (when the profile has several accounts).", "HOST");
    cl.add("user", "The account's user (when the profile has several accounts).", "USER");
    cl.add("timeout", "Seconds to wait for the browser, 1 to 3600 (default 300).", "SECONDS");
    if (const int status = cl.parse(args)) return status < 0 ? 0 : status;
    if (!cl.parser.positionalArguments().isEmpty())
        return cl.usageError(QStringLiteral("Unexpected argument '%1'.")
                                 .arg(cl.parser.positionalArguments().constFirst()));
    const QString profileName = cl.value("profile");
    if (profileName.isEmpty()) return cl.usageError(QStringLiteral("sign-in needs --profile."));
    int wait = kDefaultWait;
    if (cl.parser.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        wait = cl.value("timeout").toInt(&ok);
        if (!ok || wait < 1 || wait > 3600) {
            QTextStream(stderr) << "--timeout must be a number of seconds from 1 to 3600\n";
            return 2;
        }
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString path =
        store::profilesDir() + QLatin1Char('/') + QLatin1String(store::kStoreFileName);
    if (!QFile::exists(path)) {
        err << path << ": there is no message store yet.\n";
        return 1;
    }
    try {
        std::shared_ptr<store::Db> db = store::Db::open(path, false);
        const std::optional<store::Profile> p =
            store::findProfile(store::loadProfiles(*db), profileName);
        if (!p) {
            err << "There is no profile named \"" << profileName << "\".\n";
            return 1;
        }
        QString why;
        const std::optional<store::AccountEntry> a =
            chosenAccount(*db, *p, cl.value("server"), cl.value("user"), why);
        if (!a) {
            err << why << '\n';
            return 1;
        }
        const QString who = QStringLiteral("%1@%2").arg(a->user, a->server);
        oauth::SignIn signIn(oauth::ClientSettings{QUrl(a->authorizeUrl), QUrl(a->tokenUrl),
                                                   a->scope, a->clientId, a->clientSecret},
                             a->user);
        const QUrl url = signIn.start();
        out << "To sign " << who << " in, open this URL in a browser:\n  "
            << QString::fromLatin1(url.toEncoded()) << "\nWaiting up to " << wait
            << " seconds for the browser to come back to 127.0.0.1.\n";
        out.flush();
        oauth::launchBrowserCommand(url);
        const oauth::Tokens t = signIn.finish(std::chrono::seconds(wait));
        store::keepTokens(*db, p->name, *a, {t.access, t.refresh, t.expires});
        out << "Signed in " << who
            << (t.refresh.isEmpty() ? " (no refresh token: sign in again "
                                      "when the access token expires)"
                                    : QString())
            << ".\n";
        return 0;
    } catch (const oauth::Error& e) {
        err << e.message() << '\n';
        return 1;
    } catch (const mapi::Error& e) {
        err << path << ": " << e.description() << '\n';
        return 1;
    }
}
