// The Immediate window's input line completing against what runs: the
// logged-on session under the session variable's current name before any run,
// the variables a run set as its code spells them, and the list's keys.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "ImmediateWindow.h"
#include "support/StoreTestUtil.h"

namespace {

struct Window : ImmediateWindow {
    Window() {
        storetest::installFixture();
        mod.names.rename(codegen::Var::Session, QStringLiteral("oMySession"));
        mod.session = storetest::logon();
        runner.showImmediate();
        // The list stays open only while the input line has the focus.
        QWidget* window = main.findChild<QWidget*>("ImmediateWindow");
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        input()->setFocus();
    }
    QLineEdit* input() const { return main.findChild<QLineEdit*>("ImmediateInput"); }
    QString output() const {
        return main.findChild<QPlainTextEdit*>("ImmediateText")->toPlainText();
    }
    // The open list's entries, "(closed)" when none shows.
    static QString list() {
        auto* view = qobject_cast<QAbstractItemView*>(QApplication::activePopupWidget());
        if (!view || view->objectName() != u"CompletionList") return QStringLiteral("(closed)");
        QStringList rows;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            rows << view->model()->index(r, 0).data().toString();
        return rows.join(u' ');
    }
    // A key as the keyboard sends it: to the open list while it shows.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* to = QApplication::activePopupWidget();
        QTest::keyClick(to ? to : input(), k, mods);
    }
    void type(const QString& text) {
        for (const QChar c : text) {
            QWidget* to = QApplication::activePopupWidget();
            QTest::keyClicks(to ? to : input(), QString(c));
        }
    }
};

TEST(CompletionWindow, TheSessionUnderItsCurrentNameBeforeAnyRun) {
    Window w;
    w.type("? omysession.");
    EXPECT_EQ(w.list().section(u' ', 0, 2).toStdString(), "AddressBook AddressLists Class");
    w.type("lo");
    EXPECT_EQ(w.list().toStdString(), "Logoff Logon");
    w.key(Qt::Key_Escape);
    EXPECT_EQ(w.list().toStdString(), "(closed)");
    EXPECT_EQ(w.input()->text().toStdString(), "? omysession.lo");
    EXPECT_EQ(w.output().toStdString(), "");
}

TEST(CompletionWindow, VariablesAsTheCodeSpellsThemAndEnterTakesTheEntry) {
    Window w;
    w.runner.runStatement(QStringLiteral("Set oMyStores = oMySession.InfoStores: n = 5"));
    // The line was disabled while the statement ran; the next one is typed
    // straight away.
    EXPECT_TRUE(w.input()->hasFocus());
    w.type("? omy");
    w.key(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(w.list().toStdString(), "oMySession oMyStores");
    w.type("s");
    EXPECT_EQ(w.list().toStdString(), "oMySession oMyStores");
    w.type("t");
    EXPECT_EQ(w.list().toStdString(), "oMyStores");
    w.key(Qt::Key_Return);  // takes the entry, runs nothing
    EXPECT_EQ(w.input()->text().toStdString(), "? oMyStores");
    w.type(".c");
    EXPECT_EQ(w.list().toStdString(), "Class Count");
    w.key(Qt::Key_Down);
    w.key(Qt::Key_Tab);
    EXPECT_EQ(w.input()->text().toStdString(), "? oMyStores.Count");
    EXPECT_EQ(w.list().toStdString(), "(closed)");
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.output().toStdString(),
              "Set oMyStores = oMySession.InfoStores: n = 5\n? oMyStores.Count\n 2 ");
    // A number has no members; a single match goes in without a list.
    w.type("? n.");
    EXPECT_EQ(w.list().toStdString(), "(closed)");
    w.input()->setText(QStringLiteral("? oMyStores.It"));
    w.key(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(w.input()->text().toStdString(), "? oMyStores.Item");
    EXPECT_EQ(w.list().toStdString(), "(closed)");
}

}  // namespace
