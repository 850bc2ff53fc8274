// quorvane-store: the embedded store's command-line companion.
//   create FILE.json DIR     writes a JSON fixture as a profile directory
//   import SOURCE...         adds mail files to a profile's store
//   add-imap ...             adds an IMAP account to a profile
//   list, remove-account, remove-profile, set-default: the profiles themselves

#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QUrl>
#include <cstdio>

#include "CommandLine.h"
#include "ProfileCommands.h"
#include "SignInCommand.h"
#include "import/Importer.h"
#include "messaging/Error.h"
#include "messaging/Version.h"
#include "store/Accounts.h"
#include "store/Backend.h"
#include "store/Database.h"
#include "store/StoreBackend.h"

namespace {

// The commands, as --help explains them after the options.
const char* const kCommands =
    "Commands:\n"
    "  create FILE.json DIR   write the mailbox a JSON fixture describes as a profile directory\n"
    "  import SOURCE... [--profile NAME] [--store NAME]\n"
    "                         add mbox files, Maildirs, folders of .eml files or .eml files\n"
    "                         to a store of the profile (default \"Default\") in "
    "$XDG_DATA_HOME/quorvane\n"
    "  add-imap --profile NAME --server HOST [--port N] [--security none|starttls|tls]\n"
    "           --user USER [--password-file F] [--fingerprint SHA256] [--timeout SECONDS]\n"
    "           [--ca-file FILE] [--auth password|oauth2 --authorize-url URL --token-url URL\n"
    "           [--scope SCOPE] --client-id ID [--client-secret SECRET]]\n"
    "                         add an IMAP account to the profile (created when missing), or\n"
    "                         update it; without a password file the password is the one\n"
    "                         given at logon; the CA certificates in FILE (PEM or DER) are\n"
    "                         trusted besides the system's; with --auth oauth2 the account\n"
    "                         logs on with OAuth 2.0 tokens (see sign-in)\n"
    "  sign-in --profile NAME [--server HOST --user USER] [--timeout SECONDS]\n"
    "                         sign an OAuth 2.0 account in: prints the authorization URL\n"
    "                         (opened with $BROWSER when set), waits for the browser on\n"
    "                         127.0.0.1 and keeps the tokens like a password\n"
    "  list [--json]          list the profiles (the default one marked), their stores and\n"
    "                         accounts (server, port, security, user, oauth2 for an OAuth 2.0\n"
    "                         account; never a password or token)\n"
    "  remove-account --profile NAME --server HOST --user USER\n"
    "                         remove an account, its kept password and its cached headers\n"
    "  remove-profile --profile NAME [--yes]\n"
    "                         remove a profile and its accounts (asks unless --yes); the\n"
    "                         mail of its stores is kept\n"
    "  set-default --profile NAME\n"
    "                         make the profile the default one\n"
    "Run quorvane-store COMMAND --help for a command's options.\n";

int create(const QStringList& args) {
    CommandLine cl(QStringLiteral("create"),
                   QStringLiteral("Writes the mailbox a JSON fixture describes as a profile "
                                  "directory."));
    cl.parser.addPositionalArgument(QStringLiteral("FILE.json"), QStringLiteral("The fixture."));
    cl.parser.addPositionalArgument(QStringLiteral("DIR"),
                                    QStringLiteral("The profile directory to write."));
    if (const int status = cl.parse(args)) return status < 0 ? 0 : status;
    const QStringList paths = cl.parser.positionalArguments();
    if (paths.size() != 2) return cl.usageError(QStringLiteral("create needs FILE.json and DIR."));
    QTextStream err(stderr);
    try {
        store::createProfileDirectory(paths[0], paths[1]);
    } catch (const store::FixtureError& e) {
        err << e.what() << '\n';
        return 1;
    } catch (const mapi::Error& e) {
        err << paths[0] << ": " << e.description() << '\n';
        return 1;
    } catch (const std::exception& e) {
        err << paths[0] << ": " << e.what() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Created profile directory " << paths[1] << '\n';
    return 0;
}

void showProgress(const import::ImportProgress& p) {
    if (p.seconds <= 0) return;
    const QString line = import::progressText(p);
    std::fprintf(stderr, "\r%-70s", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

int importMail(const QStringList& args) {
    CommandLine cl(QStringLiteral("import"),
                   QStringLiteral("Adds mbox files, Maildirs, folders of .eml files or .eml files "
                                  "to a store of a profile in $XDG_DATA_HOME/quorvane."));
    cl.add("profile", "The profile (default \"Default\"; created when missing).", "NAME");
    cl.add("store", "The store (default: named after the first source; created when missing).",
           "NAME");
    cl.parser.addPositionalArgument(QStringLiteral("SOURCE"),
                                    QStringLiteral("An mbox file, a Maildir, a folder of .eml "
                                                   "files or an .eml file."),
                                    QStringLiteral("SOURCE..."));
    if (const int status = cl.parse(args)) return status < 0 ? 0 : status;
    QTextStream err(stderr);
    import::ImportOptions options;
    if (cl.parser.isSet(QStringLiteral("profile"))) options.profile = cl.value("profile");
    if (cl.parser.isSet(QStringLiteral("store"))) options.storeName = cl.value("store");
    options.sources = cl.parser.positionalArguments();
    for (const char* name : {"profile", "store"})
        if (cl.parser.isSet(QLatin1String(name)) && cl.value(name).isEmpty())
            return cl.usageError(QStringLiteral("--%1 needs a name.").arg(QLatin1String(name)));
    if (options.sources.isEmpty()) return cl.usageError(QStringLiteral("import needs a SOURCE."));
    // The folder and the store file are created only once there is mail to write.
    options.storePath =
        store::profilesDir() + QLatin1Char('/') + QLatin1String(store::kStoreFileName);
    const bool terminal = isatty(STDERR_FILENO) != 0;
    if (terminal) options.progress = showProgress;
    import::ImportReport report;
    try {
        report = import::runImport(options);
    } catch (const mapi::Error& e) {
        if (terminal) std::fprintf(stderr, "\r%-70s\r", "");
        err << options.storePath << ": " << e.description() << '\n';
        return 1;
    } catch (const std::exception& e) {
        if (terminal) std::fprintf(stderr, "\r%-70s\r", "");
        err << options.storePath << ": " << e.what() << '\n';
        return 1;
    }
    if (terminal) std::fprintf(stderr, "\r%-70s\r", "");
    QTextStream(stdout) << import::summaryText(report);
    return report.exitStatus();
}

// --auth and the OAuth 2.0 settings into `e`: 0, or the exit status of a usage error.
int oauthOptions(const CommandLine& cl, store::AccountEntry& e) {
    const char* const settings[] = {"authorize-url", "token-url", "scope", "client-id",
                                    "client-secret"};
    e.auth = cl.parser.isSet(QStringLiteral("auth")) ? cl.value("auth").toLower()
                                                     : QStringLiteral("password");
    if (e.auth != QLatin1String("password") && e.auth != QLatin1String("oauth2")) {
        QTextStream(stderr) << "--auth must be password or oauth2\n";
        return 2;
    }
    if (!e.usesOAuth2()) {
        for (const char* name : settings)
            if (cl.parser.isSet(QLatin1String(name)))
                return cl.usageError(
                    QStringLiteral("--%1 needs --auth oauth2.").arg(QLatin1String(name)));
        return 0;
    }
    e.authorizeUrl = cl.value("authorize-url");
    e.tokenUrl = cl.value("token-url");
    e.scope = cl.value("scope");
    e.clientId = cl.value("client-id");
    e.clientSecret = cl.value("client-secret");
    if (e.authorizeUrl.isEmpty() || e.tokenUrl.isEmpty() || e.clientId.isEmpty())
        return cl.usageError(
            QStringLiteral("--auth oauth2 needs --authorize-url, --token-url and --client-id."));
    for (const QString& url : {e.authorizeUrl, e.tokenUrl}) {
        const QUrl u(url, QUrl::StrictMode);
        if (!u.isValid() ||
            (u.scheme() != QLatin1String("https") && u.scheme() != QLatin1String("http")) ||
            u.host().isEmpty()) {
            QTextStream(stderr) << url << ": not an http or https URL\n";
            return 2;
        }
    }
    return 0;
}

int addImap(const QStringList& args) {
    CommandLine cl(QStringLiteral("add-imap"),
                   QStringLiteral("Adds an IMAP account to a profile (created when missing), or "
                                  "updates the account of that server and user."));
    cl.add("profile", "The profile.", "NAME");
    cl.add("server", "The server's host name or address.", "HOST");
    cl.add("port", "The port (default 993 with tls, else 143).", "N");
    cl.add("security", "none, starttls or tls (default none).", "MODE");
    cl.add("user", "The user name on the server.", "USER");
    cl.add("password-file",
           "Keeps the first line of F as the password (in the desktop's keyring, else an "
           "owner-only file); without it the password is the one given at logon.",
           "F");
    cl.add("fingerprint",
           "Trusts the certificate with this SHA-256 fingerprint, whatever its chain.", "SHA256");
    cl.add("timeout", "Seconds to wait for the server, 1 to 600 (default 5).", "SECONDS");
    cl.add("ca-file", "Trusts the CA certificates in FILE (PEM or DER) besides the system's.",
           "FILE");
    cl.add("auth", "password (default) or oauth2.", "KIND");
    cl.add("authorize-url", "OAuth 2.0: the provider's authorization endpoint.", "URL");
    cl.add("token-url", "OAuth 2.0: the provider's token endpoint.", "URL");
    cl.add("scope", "OAuth 2.0: the scope to ask for (the provider's IMAP scope).", "SCOPE");
    cl.add("client-id", "OAuth 2.0: the client ID the provider registered.", "ID");
    cl.add("client-secret", "OAuth 2.0: the client secret, for a client that has one.", "SECRET");
    if (const int status = cl.parse(args)) return status < 0 ? 0 : status;
    if (!cl.parser.positionalArguments().isEmpty())
        return cl.usageError(QStringLiteral("Unexpected argument '%1'.")
                                 .arg(cl.parser.positionalArguments().constFirst()));
    for (const QString& name : cl.parser.optionNames())
        if (cl.parser.values(name).size() > 1)
            return cl.usageError(QStringLiteral("Option '%1' given twice.").arg(name));
    QTextStream err(stderr);
    store::AccountEntry e;
    const QString profile = cl.value("profile");
    e.server = cl.value("server");
    e.user = cl.value("user");
    e.security =
        cl.parser.isSet(QStringLiteral("security")) ? cl.value("security") : QStringLiteral("none");
    e.fingerprint = cl.value("fingerprint");
    const QString port = cl.value("port");
    const QString timeout = cl.value("timeout");
    const QString passwordFile = cl.value("password-file");
    const QString caFile = cl.value("ca-file");
    if (profile.isEmpty() || e.server.isEmpty() || e.user.isEmpty())
        return cl.usageError(QStringLiteral("add-imap needs --profile, --server and --user."));
    e.security = e.security.toLower();
    if (e.security != QLatin1String("none") && e.security != QLatin1String("starttls") &&
        e.security != QLatin1String("tls")) {
        err << "--security must be none, starttls or tls\n";
        return 2;
    }
    // An option given must be a whole number in its range; one left out keeps `into`.
    const auto number = [](const QString& text, int low, int high, int& into) {
        if (text.isEmpty()) return true;
        bool ok = false;
        into = text.toInt(&ok);
        return ok && into >= low && into <= high;
    };
    e.port = e.security == QLatin1String("tls") ? 993 : 143;
    if (!number(port, 1, 65535, e.port)) {
        err << "--port must be a number from 1 to 65535\n";
        return 2;
    }
    if (!number(timeout, 1, 600, e.timeout)) {
        err << "--timeout must be a number of seconds from 1 to 600\n";
        return 2;
    }
    if (!passwordFile.isEmpty()) {
        QFile f(passwordFile);
        if (!f.open(QIODevice::ReadOnly)) {
            err << passwordFile << ": " << f.errorString() << '\n';
            return 1;
        }
        // The first line only: editors and `echo` add a line break.
        e.password =
            QString::fromUtf8(f.readLine()).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    }
    if (const int status = oauthOptions(cl, e)) return status;
    if (e.usesOAuth2() && !passwordFile.isEmpty())
        return cl.usageError(QStringLiteral("--password-file is for --auth password only."));
    if (!caFile.isEmpty()) {
        // The program may start in any folder, so the whole path is kept; the file is
        // read again at every logon, so a CA renewed in place is picked up.
        QFile f(caFile);
        if (!f.open(QIODevice::ReadOnly)) {
            err << caFile << ": " << f.errorString() << '\n';
            return 1;
        }
        e.caFile = QFileInfo(f).absoluteFilePath();
    }
    const QString dir = store::profilesDir();
    if (!store::makeProfilesDir()) {
        err << "The profile folder " << dir << " could not be created.\n";
        return 1;
    }
    const QString path = dir + QLatin1Char('/') + QLatin1String(store::kStoreFileName);
    bool added = true;
    try {
        std::shared_ptr<store::Db> db = store::Db::open(path, !QFile::exists(path));
        added = store::addAccount(*db, profile, e);
    } catch (const mapi::Error& x) {
        err << path << ": " << x.description() << '\n';
        return 1;
    }
    QTextStream(stdout) << (added ? "Added the IMAP account " : "Updated the IMAP account ")
                        << e.user << '@' << e.server << (added ? " to" : " of") << " the profile "
                        << profile << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(mapi::kProgramVersion));
    const QStringList args = app.arguments();
    const QString command = args.size() > 1 ? args[1] : QString();
    if (command == QLatin1String("create")) return create(args);
    if (command == QLatin1String("import")) return importMail(args);
    if (command == QLatin1String("add-imap")) return addImap(args);
    if (command == QLatin1String("sign-in")) return signInCommand(args);
    if (command == QLatin1String("list")) return listProfilesCommand(args);
    if (command == QLatin1String("remove-account")) return removeAccountCommand(args);
    if (command == QLatin1String("remove-profile")) return removeProfileCommand(args);
    if (command == QLatin1String("set-default")) return setDefaultCommand(args);

    CommandLine cl(QString(), QStringLiteral("The embedded store's command-line companion."));
    cl.usage = QStringLiteral("quorvane-store");
    const QCommandLineOption version = cl.parser.addVersionOption();
    cl.parser.addPositionalArgument(
        QStringLiteral("COMMAND"),
        QStringLiteral("create, import, add-imap, sign-in, list, "
                       "remove-account, remove-profile or set-default."),
        QStringLiteral("COMMAND [ARGUMENTS...]"));
    const auto fullHelp = [&cl] { return cl.helpText() + u'\n' + QLatin1String(kCommands); };
    if (!cl.parser.parse(QStringList{cl.usage} + args.mid(1))) {
        QTextStream(stderr) << "quorvane-store: " << cl.parser.errorText() << "\n\n" << fullHelp();
        return 2;
    }
    if (cl.parser.isSet(version)) {
        QTextStream(stdout) << "quorvane-store " << mapi::kProgramVersion << '\n';
        return 0;
    }
    if (cl.parser.isSet(cl.help) || command == QLatin1String("help")) {
        QTextStream(stdout) << fullHelp();
        return 0;
    }
    QTextStream(stderr) << "quorvane-store: "
                        << (command.isEmpty()
                                ? QStringLiteral("No command given.")
                                : QStringLiteral("Unknown command '%1'.").arg(command))
                        << "\n\n"
                        << fullHelp();
    return 2;
}
