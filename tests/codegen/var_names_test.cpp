#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <algorithm>

#include "codegen/VarNames.h"
#include "codewindow/VarTreeController.h"
#include "support/TestEnv.h"
#include "ui/TreeView.h"

using codegen::Var;
using codegen::VarNames;

namespace {

QSettings settings() {
    return QSettings("Quorvane '99", "Quorvane '99");
}

struct VarNamesTest : ::testing::Test {
    void SetUp() override { testenv::resetUserFolders(); }
};

}  // namespace

// The default names show in every scenario's code and variable tree; the
// settings keys do not.
TEST_F(VarNamesTest, SettingsKeysAreTheClassNames) {
    VarNames names;
    names.load();
    EXPECT_EQ("oMsgs", *names.bySettingsKey("Messages"));
    EXPECT_EQ(nullptr, names.bySettingsKey("oMessages"));
}

TEST_F(VarNamesTest, SavedValuesLoadAndAnEmptySavedValueLoadsAsEmpty) {
    settings().setValue("Code Variables/Messages", "colMsgs");
    settings().setValue("Code Variables/Counter", "");
    VarNames names;
    names.load();
    EXPECT_EQ("colMsgs", names[Var::Messages]);
    EXPECT_EQ("", names[Var::Counter]);
    EXPECT_EQ("oMsg", names[Var::Message]);
}

TEST_F(VarNamesTest, RenameIsSavedAtOnceAndReloadedAtTheNextStart) {
    VarNames first;
    first.load();
    first.rename(Var::Messages, "colMsgs");
    first.rename(Var::Details, "my details");  // spaces are taken as they are
    first.rename(Var::Root, "");
    EXPECT_EQ("colMsgs", first[Var::Messages]);
    auto s = settings();
    EXPECT_EQ("colMsgs", s.value("Code Variables/Messages").toString());
    EXPECT_TRUE(s.contains("Code Variables/Root"));
    EXPECT_FALSE(s.contains("Code Variables/Session"));  // nothing else is written

    VarNames second;
    second.load();
    EXPECT_EQ("colMsgs", second[Var::Messages]);
    EXPECT_EQ("my details", second[Var::Details]);
    EXPECT_EQ("", second[Var::Root]);
    EXPECT_EQ("oSession", second[Var::Session]);
    // The settings file lands under the private XDG config folder.
    EXPECT_TRUE(s.fileName().startsWith(testenv::sandboxDir())) << s.fileName().toStdString();
}

namespace {

struct VarTreeTest : ::testing::Test {
    void SetUp() override {
        testenv::resetUserFolders();
        names.load();
        controller = new codewindow::VarTreeController(&tree, names);
        tree.setLabelEdit(ui::TreeView::LabelEdit::Manual);
        controller->build();
    }
    // A node click as the user makes it (the tree's own click signal).
    void click(const QString& key) {
        const auto id = tree.indexOfKey(key);
        tree.select(id);
        Q_EMIT tree.nodeClicked(id);
    }
    VarNames names;
    ui::TreeView tree;
    codewindow::VarTreeController* controller = nullptr;
};

}  // namespace

TEST_F(VarTreeTest, ClassNodesAreNotEditableVariableNodesAre) {
    click("Store");
    EXPECT_EQ(ui::TreeView::LabelEdit::Manual, tree.labelEdit());
    EXPECT_FALSE(tree.editSelected("Changed"));
    EXPECT_EQ("Store", tree.text(tree.indexOfKey("Store")));

    click("oMessages");
    EXPECT_EQ(ui::TreeView::LabelEdit::Automatic, tree.labelEdit());
    EXPECT_TRUE(tree.editSelected("colMsgs"));
    EXPECT_EQ("colMsgs", tree.text(tree.indexOfKey("oMessages")));  // key unchanged
    EXPECT_EQ("colMsgs", names[Var::Messages]);
    EXPECT_EQ("colMsgs", settings().value("Code Variables/Messages").toString());

    // The setting holds for the whole tree until the next click.
    tree.select(tree.indexOfKey("Stores"));
    EXPECT_EQ(ui::TreeView::LabelEdit::Automatic, tree.labelEdit());
    EXPECT_TRUE(tree.editSelected("Renamed class"));  // allowed, but nothing is saved
    EXPECT_FALSE(settings().contains("Code Variables/Stores"));
    EXPECT_EQ("oStores", names[Var::Stores]);

    click("Counter");
    EXPECT_FALSE(tree.editSelected("x"));
    click("oCounter");
    EXPECT_TRUE(tree.editSelected(""));
    EXPECT_EQ("", names[Var::Counter]);
    VarNames reloaded;
    reloaded.load();
    EXPECT_EQ("", reloaded[Var::Counter]);
    EXPECT_EQ("colMsgs", reloaded[Var::Messages]);
}

TEST_F(VarTreeTest, SavedNamesShowInTheTree) {
    ui::TreeView other;
    VarNames renamed;
    renamed.rename(Var::Recipient, "oR");
    renamed.load();
    codewindow::VarTreeController c(&other, renamed);
    c.build();
    EXPECT_EQ("oR", other.text(other.indexOfKey("oRecip")));
}

namespace {

// The tree on screen, every node visible, driven with the mouse and keyboard
// (a click and an edit as a script makes them are in the scenarios).
struct VarTreeGestureTest : VarTreeTest {
    void SetUp() override {
        VarTreeTest::SetUp();
        tree.resize(300, 1200);
        tree.expandAll();
        tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    }
    QModelIndex indexOf(const QString& key) {
        // Walk the model down the parent chain of the node.
        std::vector<std::int32_t> chain;
        for (auto id = tree.indexOfKey(key); id != 0; id = tree.parent(id)) chain.push_back(id);
        QModelIndex idx;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const auto parent = tree.parent(*it);
            const auto sibs = parent ? tree.children(parent) : tree.topLevel();
            const int row =
                static_cast<int>(std::find(sibs.begin(), sibs.end(), *it) - sibs.begin());
            idx = tree.model()->index(row, 0, idx);
        }
        return idx;
    }
    void mouseClick(const QString& key) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualRect(indexOf(key)).center());
    }
    QLineEdit* editor() { return tree.viewport()->findChild<QLineEdit*>(); }
    void typeAndCommit(const QString& text) {
        QLineEdit* e = editor();
        ASSERT_NE(nullptr, e);
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST_F(VarTreeGestureTest, SecondClickAfterAPauseOpensTheEditor) {
    mouseClick("oFolder");
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    mouseClick("oFolder");
    QTRY_VERIFY_WITH_TIMEOUT(editor() != nullptr, 3000);
    typeAndCommit("fld");
    EXPECT_EQ("fld", names[Var::Folder]);
    // The same gesture on a class node opens nothing.
    mouseClick("Folder");
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    mouseClick("Folder");
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_EQ(nullptr, editor());
}
