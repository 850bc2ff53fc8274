// quorvane-store: the embedded store's command-line companion.
//   create FILE.json DIR     writes a JSON fixture as a profile directory
//   import SOURCE...         adds mail files to a profile's store
//   add-imap ...             adds an IMAP account to a profile

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

#include "import/Importer.h"
#include "messaging/Error.h"
#include "store/Accounts.h"
#include "store/Backend.h"
#include "store/Database.h"
#include "store/StoreBackend.h"

namespace {

const char* const kUsage =
    "usage: quorvane-store COMMAND ARGUMENTS\n"
    "  create FILE.json DIR   write the mailbox a JSON fixture describes as a profile directory\n"
    "  import SOURCE... [--profile NAME] [--store NAME]\n"
    "                         add mbox files, Maildirs, folders of .eml files or .eml files\n"
    "                         to a store of the profile (default \"Default\") in "
    "$XDG_DATA_HOME/quorvane\n"
    "  add-imap --profile NAME --server HOST [--port N] [--security none|starttls|tls]\n"
    "           --user USER [--password-file F] [--fingerprint SHA256] [--timeout SECONDS]\n"
    "           [--ca-file FILE]\n"
    "                         add an IMAP account to the profile (created when missing); without\n"
    "                         a password file the password is the one given at logon; the CA\n"
    "                         certificates in FILE (PEM or DER) are trusted besides the system's\n"
    "  --help                 this list\n";

int create(const QStringList& args) {
    QTextStream err(stderr);
    if (args.size() != 4) {
        err << kUsage;
        return 2;
    }
    try {
        store::createProfileDirectory(args[2], args[3]);
    } catch (const store::FixtureError& e) {
        err << e.what() << '\n';
        return 1;
    } catch (const mapi::Error& e) {
        err << args[2] << ": " << e.description() << '\n';
        return 1;
    } catch (const std::exception& e) {
        err << args[2] << ": " << e.what() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Created profile directory " << args[3] << '\n';
    return 0;
}

QString duration(double seconds) {
    const auto s = static_cast<qint64>(seconds + 0.5);
    return s >= 60 ? QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'))
                   : QStringLiteral("%1 s").arg(s);
}

void showProgress(const import::ImportProgress& p) {
    if (p.seconds <= 0) return;
    const double rate = p.messages / p.seconds;
    const double byteRate = p.bytesDone / p.seconds;
    QString line = QStringLiteral("%1 messages, %2 messages/s").arg(p.messages).arg(qRound(rate));
    if (byteRate > 0 && p.bytesTotal > p.bytesDone)
        line += QStringLiteral(", about %1 left")
                    .arg(duration((p.bytesTotal - p.bytesDone) / byteRate));
    std::fprintf(stderr, "\r%-70s", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

int importMail(const QStringList& args) {
    QTextStream err(stderr);
    import::ImportOptions options;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--profile") || a == QLatin1String("--store")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                err << a << " needs a name\n" << kUsage;
                return 2;
            }
            (a == QLatin1String("--profile") ? options.profile : options.storeName) = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "unknown option " << a << '\n' << kUsage;
            return 2;
        } else {
            options.sources << a;
        }
    }
    if (options.sources.isEmpty()) {
        err << kUsage;
        return 2;
    }
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

int addImap(const QStringList& args) {
    QTextStream err(stderr);
    QString profile, passwordFile, port, timeout, caFile;
    store::AccountEntry e;
    e.port = 0;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        QString* slot = a == QLatin1String("--profile")         ? &profile
                        : a == QLatin1String("--server")        ? &e.server
                        : a == QLatin1String("--port")          ? &port
                        : a == QLatin1String("--security")      ? &e.security
                        : a == QLatin1String("--user")          ? &e.user
                        : a == QLatin1String("--password-file") ? &passwordFile
                        : a == QLatin1String("--fingerprint")   ? &e.fingerprint
                        : a == QLatin1String("--timeout")       ? &timeout
                        : a == QLatin1String("--ca-file")       ? &caFile
                                                                : nullptr;
        if (!slot) {
            err << "unknown option " << a << '\n' << kUsage;
            return 2;
        }
        if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
            err << a << " needs a value\n" << kUsage;
            return 2;
        }
        *slot = args[++i];
    }
    if (profile.isEmpty() || e.server.isEmpty() || e.user.isEmpty()) {
        err << "add-imap needs --profile, --server and --user\n" << kUsage;
        return 2;
    }
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
    const QStringList args = app.arguments();
    const QString command = args.size() > 1 ? args[1] : QString();
    if (command == QLatin1String("create")) return create(args);
    if (command == QLatin1String("import")) return importMail(args);
    if (command == QLatin1String("add-imap")) return addImap(args);
    if (command == QLatin1String("--help") || command == QLatin1String("help")) {
        QTextStream(stdout) << kUsage;
        return 0;
    }
    QTextStream(stderr) << kUsage;
    return 2;
}
