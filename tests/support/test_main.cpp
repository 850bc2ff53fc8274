#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

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
    QApplication app(argc, argv);
    store::installWidgetDialogs();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
