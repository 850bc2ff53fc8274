#include <gtest/gtest.h>

#include <QCoreApplication>

// Qt Core only: the IMAP client never needs a GUI.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
