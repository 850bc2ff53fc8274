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
#include "ui/Twips.h"

namespace {

struct AboutSeen {
    QString objectName, title;
    QStringList labels;
    bool busyWhileShown = true;
    bool modal = false;
    QRect okGeometry;
};

// Reads the About window when it shows and closes it with its OK button.
void closeAboutWithOk(AboutSeen& seen) {
    drive::whenModal([&seen](QWidget*) {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, w);
        seen.objectName = w->objectName();
        seen.title = w->windowTitle();
        seen.modal = w->isModal();
        seen.busyWhileShown = ui::isBusyPointer();
        for (const char* name : {"ProgTitleLabel", "Label5", "Label7", "Label13"}) {
            auto* l = w->findChild<QLabel*>(name);
            seen.labels << (l ? l->text() + "|" + l->font().family() : QString("missing"));
        }
        auto* ok = w->findChild<QPushButton*>("OKButton");
        ASSERT_NE(nullptr, ok);
        seen.okGeometry = ok->geometry();
        EXPECT_EQ("OK", ok->text());
        EXPECT_NE(nullptr, w->findChild<QWidget*>("AboutFrame"));
        EXPECT_NE(nullptr, w->findChild<QLabel*>("Image2"));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
}

}  // namespace

// Its text and place are blessed scenario output; how it wraps is not.
TEST_F(ShellTest, InstructionsPanelWrapsAtItsWidth) {
    EXPECT_EQ(QPlainTextEdit::WidgetWidth,
              c<codewindow::CodeTextEdit>("InstructText")->lineWrapMode());
}

TEST_F(ShellTest, AboutButtonShowsTheAboutWindowWithTheNormalPointer) {
    ui::setBusyPointer();
    AboutSeen seen;
    closeAboutWithOk(seen);
    c<QPushButton>("AboutButton")->click();
    EXPECT_EQ("AboutForm", seen.objectName);
    EXPECT_EQ("Quorvane '99", seen.title);
    EXPECT_TRUE(seen.modal);
    EXPECT_FALSE(seen.busyWhileShown);
    EXPECT_EQ(QStringList({"Quorvane '99|Times New Roman", "For 32-Bit Windows|Times New Roman",
                           "Version 1.2|Times New Roman",
                           "Formerly Known as Pellmoor '98|Times New Roman"}),
              seen.labels);
    EXPECT_EQ(QRect(ui::twipsToPixelsX(4320), ui::twipsToPixelsY(3780), ui::twipsToPixelsX(1095),
                    ui::twipsToPixelsY(375)),
              seen.okGeometry);
    EXPECT_EQ(nullptr, QApplication::activeModalWidget());
    // A second showing loads it afresh, and again with the normal pointer.
    ui::setBusyPointer();
    AboutSeen again;
    closeAboutWithOk(again);
    c<QPushButton>("AboutButton")->click();
    EXPECT_EQ("AboutForm", again.objectName);
    EXPECT_FALSE(again.busyWhileShown);
    EXPECT_EQ(0, static_cast<int>(form->findChildren<app::AboutForm*>().size()));
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
