#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "ShellFixture.h"
#include "support/FaultyMapi.h"
#include "support/StoreTestUtil.h"
#include "ui/CheckBox.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

namespace {

// The panel in front: the last of the four among the form's children.
int frontPanel(QWidget* form) {
    int front = 0, best = -1;
    const QObjectList kids = form->children();
    for (int i = 1; i <= 4; ++i) {
        auto* p = form->findChild<QWidget*>(QString("TabPic(%1)").arg(i));
        const int pos = static_cast<int>(kids.indexOf(p));
        if (pos > best) best = pos, front = i;
    }
    return front;
}

}  // namespace

TEST_F(ShellTest, StartUpState) {
    EXPECT_EQ("Quorvane '99", form->windowTitle());
    EXPECT_EQ("MAPIForm", form->objectName());
    // The lone root node of the logged-off tree.
    ui::TreeView* tree = form->tree();
    ASSERT_EQ(1, tree->count());
    EXPECT_EQ("MAPI Session - Not Logged On", tree->text(1));
    EXPECT_EQ("", tree->key(1));
    EXPECT_EQ(9, tree->image(1));
    EXPECT_EQ(8, tree->selectedImage(1));
    EXPECT_TRUE(form->mod().session.isNothing());
    EXPECT_EQ("", form->code().text());
    EXPECT_EQ("", c<QLabel>("ValueLabel")->text());
    // Variable tree built with Stores selected; names loaded.
    auto* varTree = c<ui::TreeView>("VarTree");
    EXPECT_EQ(46, varTree->count());
    EXPECT_EQ(varTree->indexOfKey("Stores"), varTree->selectedIndex());
    EXPECT_EQ("oMsgs", form->mod().names[codegen::Var::Messages]);
    // Tabs.
    auto* tabs = c<QTabBar>("OptionsTab");
    ASSERT_EQ(4, tabs->count());
    EXPECT_EQ(0, tabs->currentIndex());
    const QStringList tabCaptions = {"Functions", "Options", "Logon Properties", "Instructions"};
    const QStringList tabTips = {"MAPI Functions", "Code Variable Options",
                                 "Logon Options and Properties",
                                 "Instructions for common Quorvane '98 functions"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabCaptions[i], tabs->tabText(i));
        EXPECT_EQ(tabTips[i], tabs->tabToolTip(i));
    }
    EXPECT_EQ(1, frontPanel(form.get()));
}

TEST_F(ShellTest, TabClicksBringTheirPanelToTheFront) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* tabs = c<QTabBar>("OptionsTab");
    auto clickTab = [&](int i) {
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
    };
    clickTab(2);
    EXPECT_EQ(2, tabs->currentIndex());
    EXPECT_EQ(3, frontPanel(form.get()));
    clickTab(3);
    EXPECT_EQ(4, frontPanel(form.get()));
    clickTab(0);
    EXPECT_EQ(1, frontPanel(form.get()));
    // Panels keep their contents.
    c<QLineEdit>("PNameText")->setText("MyProfile");
    clickTab(2);
    clickTab(1);
    EXPECT_EQ(2, frontPanel(form.get()));
    EXPECT_EQ("MyProfile", c<QLineEdit>("PNameText")->text());
    // Clicking the selected tab again brings its panel to the front again.
    c("TabPic(4)")->raise();
    clickTab(1);
    EXPECT_EQ(2, frontPanel(form.get()));
    EXPECT_EQ(1, tabs->currentIndex());
    // The panel in front is what the user sees at a point inside the panels.
    const QPoint inside = c("TabPic(2)")->geometry().center();
    QWidget* seen = form->childAt(inside);
    ASSERT_NE(nullptr, seen);
    EXPECT_TRUE(seen == c("TabPic(2)") || c("TabPic(2)")->isAncestorOf(seen));
}

TEST_F(ShellTest, ShutDownBeforeAnyLogonShowsNothing) {
    form->show();
    bool boxShown = false;
    QTimer::singleShot(0, [&] { boxShown = QApplication::activeModalWidget() != nullptr; });
    EXPECT_TRUE(form->close());
    QCoreApplication::processEvents();
    EXPECT_FALSE(boxShown);
    EXPECT_TRUE(form->mod().session.isNothing());
    EXPECT_EQ("", form->code().text());
}

TEST_F(ShellTest, ShutDownLogsOffAndIgnoresItsFailure) {
    storetest::installFixture();
    faulty::Install wrapped;
    form->mod().session = storetest::logon();
    faulty::faults().failOn("Session.Logoff", 1, mapi::code::CallFailed, -1);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(1, faulty::faults().calls("Session.Logoff"));
    EXPECT_TRUE(form->mod().session.isNothing());
    EXPECT_EQ("", form->code().text());
}

namespace {
// Reads the style option the tab bar paints a tab with (its caption after
// eliding included). The member is protected: named through a subclass, then
// called on the real tab bar, which is no such subclass.
struct TabPeek : QTabBar {
    static void peek(const QTabBar* bar, QStyleOptionTab* option, int index) {
        (bar->*&TabPeek::initStyleOption)(option, index);
    }
};
}  // namespace

TEST_F(ShellTest, TabCaptionsReadInFullAtTheStartSize) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* tabs = c<QTabBar>("OptionsTab");
    const QStringList captions{"Functions", "Options", "Logon Properties", "Instructions"};
    ASSERT_EQ(captions.size(), tabs->count());
    for (int i = 0; i < tabs->count(); ++i) {
        SCOPED_TRACE(captions[i].toStdString());
        QStyleOptionTab opt;
        TabPeek::peek(tabs, &opt, i);
        EXPECT_EQ(captions[i].toStdString(), opt.text.toStdString());
        // Every tab lies inside the strip.
        EXPECT_LE(tabs->tabRect(i).right(), tabs->width() - 1);
    }
}
