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
#include "support/FakeMapi.h"
#include "ui/CheckBox.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

namespace {

QString caption(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return "?";
}

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

TEST_F(ShellTest, EveryControlWithItsCaptionAndPanel) {
    struct Row {
        const char* name;
        const char* panel;  // "" = window level
        const char* caption;
    };
    const Row rows[] = {
        {"CopyButton", "", "Copy"},
        {"ClearButton", "", "Clear"},
        {"LogonButton", "TabPic(1)", "Logon"},
        {"LogoffButton", "TabPic(1)", "Logoff"},
        {"AboutButton", "TabPic(1)", "About"},
        {"SendButton", "TabPic(1)", "Send Message"},
        {"DeleteMsgButton", "TabPic(1)", "Delete Msg"},
        {"AttachButton", "TabPic(1)", "Save Attchmnt"},
        {"AddDetailsButton", "TabPic(1)", "Address Detail"},
        {"AddAddrButton", "TabPic(1)", "Add To PAB"},
        {"Label1", "TabPic(1)", "Folder Name To Find:"},
        {"FndFolderButton", "TabPic(1)", "Find Folder"},
        {"FilterFrame", "TabPic(1)", "Filter/Find For:"},
        {"FilterOption(0)", "TabPic(1)", "Message"},
        {"FilterOption(1)", "TabPic(1)", "Address"},
        {"Label19", "TabPic(1)", "Filter Property:"},
        {"AddFilterButton", "TabPic(1)", "Add"},
        {"DelFilterButton", "TabPic(1)", "Delete"},
        {"FilterLabel", "TabPic(1)", "Filter Criteria:"},
        {"ClearCriteriaCheck", "TabPic(1)", "Clear Criteria"},
        {"FilterButton", "TabPic(1)", "Filter"},
        {"ValueHeaderLabel", "TabPic(1)", "Value:"},
        {"ValueFrame", "TabPic(1)", "Value:"},
        {"ValueOption(0)", "TabPic(1)", "True"},
        {"ValueOption(1)", "TabPic(1)", "False"},
        {"PersonButton", "TabPic(1)", "..."},
        {"FieldNameLabel", "TabPic(1)", "Field Name:"},
        {"FieldValueLabel", "TabPic(1)", "Field Value:"},
        {"NotCheck", "TabPic(1)", "Not"},
        {"AndOrFrame", "TabPic(1)", ""},
        {"AndOrOption(0)", "TabPic(1)", "And"},
        {"AndOrOption(1)", "TabPic(1)", "Or"},
        {"VarLabel", "TabPic(2)",
         "To change a variable name that the code generator creates, click twice next to the icon "
         "that looks like the picture here:"},
        {"LogonCheck", "TabPic(3)", "Use Profile Name and Password"},
        {"ProfileFrame", "TabPic(3)", "Profile Properties:"},
        {"LNameLabel", "TabPic(3)", "Profile Name:"},
        {"LPwdLabel", "TabPic(3)", "Profile Password:"},
        {"DynamicCheck", "TabPic(3)", "Use A Dynamic Profile"},
        {"DynamicFrame", "TabPic(3)", "Dyanmic Profile Info:"},
        {"SNameLabel", "TabPic(3)", "Server Name:"},
        {"MBoxNameLabel", "TabPic(3)", "Mailbox Name:"},
        {"ShowLogCheck", "TabPic(3)", "Show Logon Dialog"},
        {"Frame1", "TabPic(3)", "MAPI Session:"},
        {"SessionOpt(0)", "TabPic(3)", "Start A New Session"},
        {"SessionOpt(1)", "TabPic(3)", "Share An Existing Session"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QWidget* w = c(r.name);
        EXPECT_EQ(QString(r.caption), caption(w));
        QWidget* panel = *r.panel ? c(r.panel) : form.get();
        EXPECT_TRUE(panel == w->parentWidget() || panel->isAncestorOf(w));
    }
    for (const char* box : {"FldNameText", "ValueText", "FieldNameText", "FieldValueText",
                            "PNameText", "PPwdText", "ServerText", "MBoxText"})
        EXPECT_EQ("", c<QLineEdit>(box)->text()) << box;
    EXPECT_EQ(QLineEdit::Password, c<QLineEdit>("PPwdText")->echoMode());
    // Controls inside frames.
    EXPECT_EQ(c("ProfileFrame"), c("PNameText")->parentWidget());
    EXPECT_EQ(c("DynamicFrame"), c("MBoxText")->parentWidget());
    EXPECT_EQ(c("Frame1"), c("SessionOpt(1)")->parentWidget());
    EXPECT_EQ(c("FilterFrame"), c("FilterOption(1)")->parentWidget());
    EXPECT_EQ(c("ValueFrame"), c("ValueOption(1)")->parentWidget());
    EXPECT_EQ(c("AndOrFrame"), c("AndOrOption(1)")->parentWidget());
    // Tool tips.
    EXPECT_EQ("Add entries to the Personal Address Book", c("AddAddrButton")->toolTip());
    EXPECT_EQ("Click button to select a person", c("PersonButton")->toolTip());
    EXPECT_EQ("Enter the Field Name or Index", c("FieldNameText")->toolTip());
    // Initial states.
    EXPECT_EQ(0, c<ui::CheckBox>("LogonCheck")->value());
    EXPECT_EQ(0, c<ui::CheckBox>("DynamicCheck")->value());
    EXPECT_EQ(1, c<ui::CheckBox>("ShowLogCheck")->value());
    EXPECT_EQ(1, c<ui::CheckBox>("ClearCriteriaCheck")->value());
    EXPECT_EQ(0, c<ui::CheckBox>("NotCheck")->value());
    EXPECT_TRUE(c<QRadioButton>("SessionOpt(0)")->isChecked());
    EXPECT_FALSE(c<QRadioButton>("SessionOpt(1)")->isChecked());
    EXPECT_TRUE(c<QRadioButton>("FilterOption(0)")->isChecked());
    EXPECT_TRUE(c<QRadioButton>("ValueOption(0)")->isChecked());
    EXPECT_TRUE(c<QRadioButton>("AndOrOption(0)")->isChecked());
    // Option buttons of one frame form one group.
    c<QRadioButton>("SessionOpt(1)")->click();
    EXPECT_FALSE(c<QRadioButton>("SessionOpt(0)")->isChecked());
    EXPECT_TRUE(c<QRadioButton>("FilterOption(0)")->isChecked());
    // Combos and the criteria list.
    auto* dataType = c<QComboBox>("DataTypeCombo");
    EXPECT_TRUE(dataType->isEditable());
    EXPECT_EQ("vbBoolean", dataType->currentText());
    QStringList types;
    for (int i = 0; i < dataType->count(); ++i) types << dataType->itemText(i);
    EXPECT_EQ(QStringList({"vbBoolean", "vbCurrency", "vbDate", "vbDouble", "vbInteger", "vbLong",
                           "vbSingle", "vbString"}),
              types);
    EXPECT_TRUE(c<QComboBox>("FilterCombo")->isEditable());
    auto* list = c<ui::ListView>("FilterList");
    QStringList cols;
    for (int i = 0; i < list->columnCount(); ++i) cols << list->headerItem()->text(i);
    EXPECT_EQ(QStringList({"Criterion", "Type", "Value", "Field ID"}), cols);
    EXPECT_EQ(0, list->count());
    // The pencil picture.
    EXPECT_FALSE(c<QLabel>("KeyImage")->pixmap().isNull());
}

TEST_F(ShellTest, FilterValueControlsArePlacedInPanelPixels) {
    EXPECT_EQ(QPoint(0, 184), c("ValueFrame")->pos());
    EXPECT_EQ(QPoint(0, 200), c("ValueLabel")->pos());
    EXPECT_EQ(QPoint(148, 200), c("PersonButton")->pos());
    EXPECT_EQ(QPoint(0, 200), c("ValueText")->pos());
    EXPECT_EQ(QPoint(0, 200), c("FieldNameText")->pos());
    EXPECT_EQ(QPoint(c("FieldNameText")->width(), 200), c("FieldValueText")->pos());
    EXPECT_EQ(QPoint(0, 200 - c("FieldNameLabel")->height()), c("FieldNameLabel")->pos());
    EXPECT_EQ(QPoint(c("FieldNameLabel")->width(), 200 - c("FieldValueLabel")->height()),
              c("FieldValueLabel")->pos());
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

TEST_F(ShellTest, ClearAndCopyButtons) {
    form->AppendCode("Line\r\n");
    QString question;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        question = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "No") b->click();
    });
    c<QPushButton>("ClearButton")->click();
    EXPECT_EQ("Are you sure you want to clear the code window?", question);
    EXPECT_EQ("Line\r\n", form->code().text());
    c<QPushButton>("CopyButton")->click();
    EXPECT_EQ("Line\r\n", QGuiApplication::clipboard()->text());
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "Yes") b->click();
    });
    c<QPushButton>("ClearButton")->click();
    EXPECT_EQ("", form->code().text());
}

TEST_F(ShellTest, ARenameInTheOptionsTabChangesLaterGeneratedLines) {
    auto* varTree = c<ui::TreeView>("VarTree");
    form->AppendCode(form->newCode().line(u"Set {Messages} = {Folder}.Messages").text());
    const auto node = varTree->indexOfKey("oMessages");
    varTree->select(node);
    Q_EMIT varTree->nodeClicked(node);
    ASSERT_TRUE(varTree->editSelected("colMsgs"));
    form->AppendCode(form->newCode().line(u"Set {Message} = {Messages}.GetFirst").text());
    EXPECT_EQ("Set oMsgs = oFolder.Messages\r\nSet oMsg = colMsgs.GetFirst\r\n",
              form->code().text());
    // A second start reads the saved name.
    app::MAPIForm second;
    second.load(false);
    EXPECT_EQ("colMsgs", second.mod().names[codegen::Var::Messages]);
    auto* tree2 = second.control<ui::TreeView>("VarTree");
    EXPECT_EQ("colMsgs", tree2->text(tree2->indexOfKey("oMessages")));
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
    auto world = fake::demoWorld();
    form->mod().session = fake::newSession(world);
    world->faults.failAlways("Session.Logoff", mapi::code::CallFailed);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(1, world->faults.calls("Session.Logoff"));
    EXPECT_TRUE(form->mod().session.isNothing());
    EXPECT_EQ("", form->code().text());
}

namespace {
// Reads the style option the tab bar paints a tab with (its caption after
// eliding included).
struct TabPeek : QTabBar {
    using QTabBar::initStyleOption;
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
        static_cast<TabPeek*>(tabs)->initStyleOption(&opt, i);
        EXPECT_EQ(captions[i].toStdString(), opt.text.toStdString());
        // Every tab lies inside the strip.
        EXPECT_LE(tabs->tabRect(i).right(), tabs->width() - 1);
    }
}
