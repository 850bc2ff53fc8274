#include "support/TestEnv.h"

#include <QDir>
#include <QTemporaryDir>

namespace testenv {

namespace {
QTemporaryDir& sandbox() {
    static QTemporaryDir dir;
    return dir;
}
}  // namespace

QString sandboxDir() {
    return sandbox().path();
}

void resetUserFolders() {
    for (const char* sub : {"config", "data"}) {
        QDir d(sandboxDir() + "/" + sub);
        d.removeRecursively();
        d.mkpath(".");
    }
}

}  // namespace testenv
