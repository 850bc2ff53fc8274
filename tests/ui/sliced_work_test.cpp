#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QWheelEvent>
#include <functional>
#include <memory>

#include "ui/SlicedWork.h"

namespace {

// Work of `total` units that records what ran; done() notes whether the work
// still counted as pending when it ran.
struct Counter {
    int total = 0;
    int ran = 0;
    int slices = 0;
    int doneCalls = 0;
    bool pendingInDone = true;
    std::function<void()> inSlice = {};

    void startOn(ui::SlicedWork& w) {
        w.start(
            [this](std::size_t n) {
                ++slices;
                if (inSlice) inSlice();
                for (std::size_t i = 0; i < n && ran < total; ++i) ++ran;
                return ran == total;
            },
            [this, &w] {
                ++doneCalls;
                pendingInDone = w.pending() || ui::SlicedWork::anyPending();
            });
    }
};

// Runs the event loop until `w` is idle (each turn runs at most one slice).
void settle(ui::SlicedWork& w) {
    while (w.pending()) QCoreApplication::processEvents();
}

struct Windows {
    QWidget main;
    QTreeView* tree = new QTreeView(&main);
    QPushButton* button = new QPushButton(&main);
    Windows() {
        main.resize(300, 300);
        tree->setGeometry(0, 0, 200, 200);
        button->setGeometry(200, 0, 100, 30);
        main.show();
    }
};

std::unique_ptr<QEvent> key(int k) {
    return std::make_unique<QKeyEvent>(QEvent::KeyPress, k, Qt::NoModifier);
}
std::unique_ptr<QEvent> mouse(QEvent::Type t) {
    const QPointF at(5, 5);
    return std::make_unique<QMouseEvent>(t, at, at, at, Qt::LeftButton, Qt::LeftButton,
                                         Qt::NoModifier);
}
std::unique_ptr<QEvent> wheel() {
    const QPointF at(5, 5);
    return std::make_unique<QWheelEvent>(at, at, QPoint(), QPoint(0, -120), Qt::NoButton,
                                         Qt::NoModifier, Qt::NoScrollPhase, false);
}

struct InputCase {
    const char* name;
    std::function<QWidget*(Windows&)> target;
    std::function<std::unique_ptr<QEvent>()> event;
    bool finishes;
};

const InputCase kInputCases[] = {
    {"WheelOverTheTree", [](Windows& w) { return w.tree->viewport(); }, wheel, false},
    {"ClickInTheTree", [](Windows& w) { return w.tree->viewport(); },
     [] { return mouse(QEvent::MouseButtonPress); }, false},
    {"ReleaseInTheTree", [](Windows& w) { return w.tree->viewport(); },
     [] { return mouse(QEvent::MouseButtonRelease); }, false},
    {"ScrollBarOfTheTree", [](Windows& w) { return w.tree->verticalScrollBar(); },
     [] { return mouse(QEvent::MouseButtonPress); }, false},
    {"ArrowKeyInTheTree", [](Windows& w) { return w.tree; }, [] { return key(Qt::Key_Down); },
     false},
    {"EndKeyInTheTree", [](Windows& w) { return w.tree; }, [] { return key(Qt::Key_End); }, false},
    {"MouseMoveElsewhere", [](Windows& w) { return w.button; },
     [] { return mouse(QEvent::MouseMove); }, false},
    {"DoubleClickInTheTree", [](Windows& w) { return w.tree->viewport(); },
     [] { return mouse(QEvent::MouseButtonDblClick); }, true},
    {"DeleteKeyInTheTree", [](Windows& w) { return w.tree; }, [] { return key(Qt::Key_Delete); },
     true},
    {"TypingInTheTree", [](Windows& w) { return w.tree; }, [] { return key(Qt::Key_A); }, true},
    {"ClickOnAButton", [](Windows& w) { return w.button; },
     [] { return mouse(QEvent::MouseButtonPress); }, true},
    {"WheelElsewhere", [](Windows& w) { return w.button; }, wheel, true},
    {"KeyElsewhere", [](Windows& w) { return w.button; }, [] { return key(Qt::Key_Space); }, true},
    {"ClosingTheWindow", [](Windows& w) { return &w.main; },
     [] { return std::make_unique<QCloseEvent>(); }, true},
};

class SlicedWorkInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(SlicedWorkInput, FinishesTheWorkFirstUnlessItOnlyScrollsOrSelects) {
    const InputCase& c = GetParam();
    Windows w;
    ui::SlicedWork work(w.tree);
    work.setSliceSize(10);
    Counter n{100};
    n.startOn(work);
    QWidget* target = c.target(w);
    // The event reaches the filter first; the receiver then sees the work done.
    bool doneBeforeDelivery = false;
    struct Probe : QObject {
        std::function<void()> seen;
        bool eventFilter(QObject*, QEvent*) override {
            seen();
            return true;  // the test only watches: nothing acts on the event
        }
    } probe;
    probe.seen = [&] { doneBeforeDelivery = n.doneCalls == 1; };
    target->installEventFilter(&probe);
    const std::unique_ptr<QEvent> e = c.event();
    QApplication::sendEvent(target, e.get());
    target->removeEventFilter(&probe);

    EXPECT_EQ(c.finishes, doneBeforeDelivery);
    EXPECT_EQ(!c.finishes, work.pending());
    EXPECT_EQ(c.finishes ? 100 : 0, n.ran);
    settle(work);
    EXPECT_EQ(100, n.ran);
    EXPECT_EQ(1, n.doneCalls);
    EXPECT_FALSE(n.pendingInDone);
}

INSTANTIATE_TEST_SUITE_P(Cases, SlicedWorkInput, ::testing::ValuesIn(kInputCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SlicedWork, RunsOneSliceATurnThenDoneOnceWhenNoLongerPending) {
    QWidget home;
    ui::SlicedWork work(&home);
    work.setSliceSize(30);
    int between = 0;
    QObject::connect(&work, &ui::SlicedWork::sliceDone, [&] { ++between; });
    Counter n{100};
    n.startOn(work);
    EXPECT_TRUE(work.pending());
    EXPECT_TRUE(ui::SlicedWork::anyPending());
    EXPECT_EQ(0, n.ran);  // nothing runs before the event loop does
    settle(work);
    EXPECT_EQ(100, n.ran);
    EXPECT_EQ(4, n.slices);  // 30 + 30 + 30 + 10
    EXPECT_EQ(3, between);   // not after the last
    EXPECT_EQ(1, n.doneCalls);
    EXPECT_FALSE(n.pendingInDone);
    EXPECT_FALSE(ui::SlicedWork::anyPending());
}

TEST(SlicedWork, NewWorkFinishesThePendingOneFirst) {
    QWidget home;
    ui::SlicedWork work(&home);
    work.setSliceSize(5);
    Counter first{50};
    Counter second{20};
    first.startOn(work);
    second.startOn(work);
    EXPECT_EQ(50, first.ran);
    EXPECT_EQ(1, first.doneCalls);
    EXPECT_EQ(0, second.ran);
    settle(work);
    EXPECT_EQ(20, second.ran);
    EXPECT_EQ(1, second.doneCalls);
}

TEST(SlicedWork, FinishNowFromWithinASliceIsIgnored) {
    QWidget home;
    ui::SlicedWork work(&home);
    work.setSliceSize(10);
    Counter n{40};
    n.inSlice = [&] { work.finishNow(); };
    n.startOn(work);
    settle(work);
    EXPECT_EQ(4, n.slices);
    EXPECT_EQ(40, n.ran);
    EXPECT_EQ(1, n.doneCalls);
    // ... and from within the run to the end that finishNow makes itself.
    Counter m{40};
    m.inSlice = [&] { work.finishNow(); };
    m.startOn(work);
    work.finishNow();
    EXPECT_EQ(40, m.ran);
    EXPECT_EQ(1, m.doneCalls);
    EXPECT_FALSE(work.pending());
}

TEST(SlicedWork, DestroyedWithWorkPendingDropsTheRest) {
    QWidget home;
    Counter n{40};
    {
        ui::SlicedWork work(&home);
        work.setSliceSize(10);
        n.startOn(work);
    }
    EXPECT_FALSE(ui::SlicedWork::anyPending());
    QCoreApplication::processEvents();
    EXPECT_EQ(0, n.ran);
    EXPECT_EQ(0, n.doneCalls);
    // Input after it went away reaches nothing of it.
    QPushButton b;
    const auto e = mouse(QEvent::MouseButtonPress);
    QApplication::sendEvent(&b, e.get());
    EXPECT_EQ(0, n.ran);
}

}  // namespace
