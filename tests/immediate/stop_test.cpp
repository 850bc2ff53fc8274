// A runaway loop ends when the user asks, whichever way they ask, and leaves the
// code window editable and the Immediate window ready for the next statement.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ImmediateWindow.h"

namespace {

struct Window : ImmediateWindow {
    QWidget* immediate() const { return main.findChild<QWidget*>("ImmediateWindow"); }
    QString output() const {
        return main.findChild<QPlainTextEdit*>("ImmediateText")->toPlainText();
    }
};

struct StopCase {
    const char* name;
    std::function<void(Window&)> stop;
};

class StopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopTest, EndsTheRunAndLeavesBothWindowsUsable) {
    Window w;
    w.main.show();
    w.code.setText("Debug.Print \"start\"\r\nDo\r\n    n = n + 1\r\nLoop\r\n");
    // Asked for once the loop is surely running; the run only returns when stopped.
    QTimer::singleShot(50, &w.main, [&w] {
        ASSERT_TRUE(w.runner.isRunning());
        EXPECT_TRUE(w.edit->isReadOnly());
        EXPECT_TRUE(w.main.findChild<QPushButton*>("StopButton")->isEnabled());
        GetParam().stop(w);
    });
    w.runner.runAll();

    EXPECT_FALSE(w.runner.isRunning());
    EXPECT_EQ(w.output(), "start\n(stopped)");
    EXPECT_FALSE(w.edit->isReadOnly());
    EXPECT_FALSE(w.main.findChild<QPushButton*>("StopButton")->isEnabled());
    EXPECT_TRUE(w.main.findChild<QLineEdit*>("ImmediateInput")->isEnabled());
    // The line it stopped on is selected: somewhere in the loop.
    const QString stoppedAt = w.edit->textCursor().selectedText().trimmed();
    EXPECT_TRUE(stoppedAt == "Do" || stoppedAt == "n = n + 1" || stoppedAt == "Loop")
        << stoppedAt.toStdString();

    // Variables survive the stop, as they do between runs.
    w.runner.runStatement("Debug.Print n > 0");
    EXPECT_TRUE(w.output().endsWith("Debug.Print n > 0\nTrue"));
}

INSTANTIATE_TEST_SUITE_P(
    Immediate, StopTest,
    ::testing::Values(StopCase{"StopButton",
                               [](Window& w) {
                                   w.main.findChild<QPushButton*>("StopButton")->click();
                               }},
                      StopCase{"EscapeInTheImmediateWindow",
                               [](Window& w) {
                                   w.immediate()->activateWindow();
                                   QTest::keyClick(w.immediate(), Qt::Key_Escape);
                               }},
                      StopCase{"StopFromTheMenu",
                               [](Window& w) {
                                   auto* stop = w.main.findChild<QAction*>("StopAction");
                                   ASSERT_TRUE(stop->isEnabled());
                                   stop->trigger();
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
