#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ShellFixture.h"
#include "app/AboutForm.h"
#include "codewindow/CodeTextEdit.h"
#include "support/Drive.h"
#include "ui/Dialogs.h"
#include "ui/TreeView.h"

namespace {

struct AboutSeen {
    QString objectName;
    QStringList fonts;
    bool busyWhileShown = true;
    bool modal = false;
};

// Reads the About window when it shows and closes it with its OK button. Its
// labels, their texts and places are in the blessed layout (app_layout).
void closeAboutWithOk(AboutSeen& seen) {
    drive::whenModal([&seen](QWidget*) {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, w);
        seen.objectName = w->objectName();
        seen.modal = w->isModal();
        seen.busyWhileShown = ui::isBusyPointer();
        for (const char* name : {"ProgTitleLabel", "Label5", "Label7", "Label13"}) {
            auto* l = w->findChild<QLabel*>(name);
            seen.fonts << (l ? l->font().family() : QString("missing"));
        }
        QTest::mouseClick(w->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    });
}

}  // namespace

// Its text and place are blessed scenario output; how it wraps is not.
TEST_F(ShellTest, InstructionsPanelWrapsAtItsWidth) {
    EXPECT_EQ(QPlainTextEdit::WidgetWidth,
              c<codewindow::CodeTextEdit>("InstructText")->lineWrapMode());
}

TEST_F(ShellTest, AboutButtonShowsTheAboutWindowWithTheNormalPointer) {
    for (int showing = 1; showing <= 2; ++showing) {  // each showing loads it afresh
        ui::setBusyPointer();
        AboutSeen seen;
        closeAboutWithOk(seen);
        c<QPushButton>("AboutButton")->click();
        EXPECT_EQ("AboutForm", seen.objectName);
        EXPECT_TRUE(seen.modal);
        EXPECT_FALSE(seen.busyWhileShown);
        EXPECT_EQ(QStringList(4, QStringLiteral("Times New Roman")), seen.fonts);
        EXPECT_EQ(nullptr, QApplication::activeModalWidget());
        EXPECT_EQ(0, static_cast<int>(form->findChildren<app::AboutForm*>().size()));
    }
}

TEST(StartUp, AboutWindowIsShownLastAndBeforeTheMainWindow) {
    testenv::resetUserFolders();
    app::MAPIForm form;
    AboutSeen seen;
    bool mainVisible = true;
    int varNodes = -1;
    QTimer::singleShot(0, [&] {
        mainVisible = form.isVisible();
        varNodes = form.control<ui::TreeView>("VarTree")->count();
    });
    closeAboutWithOk(seen);
    form.load(true);
    EXPECT_EQ("AboutForm", seen.objectName);
    EXPECT_FALSE(mainVisible);
    EXPECT_EQ(46, varNodes);  // everything before it has run
}
