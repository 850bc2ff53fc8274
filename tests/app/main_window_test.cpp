#include <QApplication>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "ShellFixture.h"
#include "support/FaultyMapi.h"
#include "support/StoreTestUtil.h"
#include "ui/TreeView.h"

namespace {

// The panel in front: the last of the four among their parent's children.
int frontPanel(QWidget* form) {
    int front = 0, best = -1;
    for (int i = 1; i <= 4; ++i) {
        auto* p = form->findChild<QWidget*>(QString("TabPic(%1)").arg(i));
        const int pos = static_cast<int>(p->parentWidget()->children().indexOf(p));
        if (pos > best) best = pos, front = i;
    }
    return front;
}

}  // namespace

// The scenarios show the rest of the start-up state and of the tab clicks; not
// the root's selected image, nor a click on the selected tab once another panel
// has come to the front without one.
TEST_F(ShellTest, LoggedOffRootHasItsSelectedImage) {
    EXPECT_EQ(8, form->tree()->selectedImage(1));
}

TEST_F(ShellTest, ClickOnTheSelectedTabBringsItsPanelToTheFrontAgain) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* tabs = c<QTabBar>("OptionsTab");
    c("TabPic(4)")->raise();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(1, frontPanel(form.get()));
    EXPECT_EQ(0, tabs->currentIndex());
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
