#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include "libdialogs/WidgetDialogs.h"
#include "support/TestEnv.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString root = testenv::sandboxDir();
    for (const char* sub : {"home", "config", "data", "cache"}) QDir().mkpath(root + "/" + sub);
    qputenv("HOME", (root + "/home").toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (root + "/cache").toUtf8());
    // Passwords the tests keep must not reach the desktop's secret service: only
    // the secret-service test (with_secret_service.sh) brings a private one.
    if (qEnvironmentVariableIsEmpty("QUORVANE_TEST_SECRET_SERVICE")) {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        QDir().mkpath(root + "/runtime");
        QFile::setPermissions(root + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
    }
    QApplication app(argc, argv);
    libdialogs::installWidgetDialogs();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
