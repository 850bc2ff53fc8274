// quorvane-store create FILE.json DIR
// Writes the mailbox a JSON fixture describes as a profile directory that the
// program opens when XDG_DATA_HOME/quorvane points at it.

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "messaging/Error.h"
#include "store/Backend.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 4 || args[1] != QLatin1String("create")) {
        err << "usage: quorvane-store create FILE.json DIR\n";
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
