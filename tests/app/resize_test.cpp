#include <QPlainTextEdit>
#include <QTest>

#include "ShellFixture.h"
#include "ui/Twips.h"

using namespace ui;

namespace {

struct ResizeTest : ShellTest {
    void SetUp() override {
        ShellTest::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // Gives the window an outer size in twips (frame included, if any).
    void setOuter(double width, double height) {
        const QSize frame = form->frameGeometry().size() - form->size();
        form->resize(twipsToPixelsX(width) - frame.width(),
                     twipsToPixelsY(height) - frame.height());
        QCoreApplication::processEvents();
        ASSERT_EQ(twipsToPixelsX(width), form->frameGeometry().width());
        ASSERT_EQ(twipsToPixelsY(height), form->frameGeometry().height());
    }
    QWidget* w(const char* name) { return c(name); }
    // A pixel in twips: the most a value can move when the control rounds it.
    double pxX() const { return 1 / pixelsPerTwipX(); }
    double pxY() const { return 1 / pixelsPerTwipY(); }

    struct Horizontal {
        QRect tree, code, tabs, panels[4];
    };
    Horizontal horizontal() {
        Horizontal h;
        auto keep = [](QWidget* x) { return QRect(x->x(), 0, x->width(), 0); };
        h.tree = keep(w("MAPITree"));
        h.code = keep(w("CodeText"));
        h.tabs = keep(w("OptionsTab"));
        for (int i = 0; i < 4; ++i) h.panels[i] = keep(c(QString("TabPic(%1)").arg(i + 1)));
        return h;
    }
    struct Vertical {
        QRect tree, code, tabs, copy, clear, instruct, panels[4];
    };
    Vertical vertical() {
        Vertical v;
        auto keep = [](QWidget* x) { return QRect(0, x->y(), 0, x->height()); };
        v.tree = keep(w("MAPITree"));
        v.code = keep(w("CodeText"));
        v.tabs = keep(w("OptionsTab"));
        v.copy = keep(w("CopyButton"));
        v.clear = keep(w("ClearButton"));
        v.instruct = keep(w("InstructText"));
        for (int i = 0; i < 4; ++i) v.panels[i] = keep(c(QString("TabPic(%1)").arg(i + 1)));
        return v;
    }
};

bool operator==(const ResizeTest::Horizontal& a, const ResizeTest::Horizontal& b) {
    for (int i = 0; i < 4; ++i)
        if (a.panels[i] != b.panels[i]) return false;
    return a.tree == b.tree && a.code == b.code && a.tabs == b.tabs;
}
bool operator==(const ResizeTest::Vertical& a, const ResizeTest::Vertical& b) {
    for (int i = 0; i < 4; ++i)
        if (a.panels[i] != b.panels[i]) return false;
    return a.tree == b.tree && a.code == b.code && a.tabs == b.tabs && a.copy == b.copy &&
           a.clear == b.clear && a.instruct == b.instruct;
}

}  // namespace

TEST_F(ResizeTest, AtTheLimitsTheRulesGiveTheDesignNumbers) {
    setOuter(9585, 6795);
    // Horizontal: exact where the numbers fall on whole pixels, else within one.
    EXPECT_NEAR(5085, widthTwips(w("MAPITree")), pxX());
    EXPECT_EQ(w("MAPITree")->width(), w("CodeText")->width());
    EXPECT_NEAR(5190, leftTwips(w("OptionsTab")), 2 * pxX());
    // Each step reads back what the step before it left.
    const double tabsLeft = leftTwips(w("OptionsTab"));
    EXPECT_EQ(twipsToPixelsX(leftTwips(w("MAPITree")) + widthTwips(w("MAPITree")) + 105),
              w("OptionsTab")->x());
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(twipsToPixelsX(tabsLeft + 60), c(QString("TabPic(%1)").arg(i))->x());

    // Vertical.
    EXPECT_NEAR(3737.25, heightTwips(w("MAPITree")), pxY());
    const double treeBottom = topTwips(w("MAPITree")) + heightTwips(w("MAPITree"));
    EXPECT_EQ(twipsToPixelsY(treeBottom + 100), w("CopyButton")->y());
    EXPECT_EQ(w("CopyButton")->y(), w("ClearButton")->y());
    EXPECT_EQ(twipsToPixelsY((6795 - 585 - topTwips(w("MAPITree"))) * 0.45 - 900),
              w("CodeText")->height());
    EXPECT_EQ(twipsToPixelsY(treeBottom + 585), w("CodeText")->y());
    EXPECT_NEAR(6275, heightTwips(w("OptionsTab")), pxY());
    for (int i = 1; i <= 4; ++i) {
        QWidget* p = c(QString("TabPic(%1)").arg(i));
        EXPECT_NEAR(5675, heightTwips(p), 2 * pxY());
        EXPECT_EQ(twipsToPixelsY(heightTwips(w("OptionsTab")) - 600), p->height());
    }
    EXPECT_NEAR(5615, heightTwips(w("InstructText")), 3 * pxY());
    EXPECT_EQ(twipsToPixelsY(heightTwips(c("TabPic(4)")) - 60), w("InstructText")->height());
    // What never moves.
    EXPECT_EQ(twipsToPixelsY(240), w("MAPITree")->y());
    EXPECT_EQ(twipsToPixelsY(120), w("OptionsTab")->y());
    EXPECT_EQ(twipsToPixelsX(4215), w("OptionsTab")->width());
    EXPECT_EQ(twipsToPixelsX(120), w("CopyButton")->x());
    EXPECT_EQ(twipsToPixelsX(1440), w("ClearButton")->x());
}

TEST_F(ResizeTest, ALargerWindowGivesTheTreeAndCodeTheRoom) {
    setOuter(15000, 10005);
    const double treeWidth = 15000 - widthTwips(w("OptionsTab")) - 105 - 0 - 180;
    EXPECT_EQ(twipsToPixelsX(treeWidth), w("MAPITree")->width());
    EXPECT_EQ(twipsToPixelsY(10005 * 0.55), w("MAPITree")->height());
    EXPECT_EQ(twipsToPixelsY(10005 - 120 - 400), w("OptionsTab")->height());
    // The panels' contents stay where they were.
    EXPECT_EQ(twipsToPixelsX(60), w("InstructText")->x());
    EXPECT_EQ(QPoint(2, 2), w("LogonButton")->pos());
}

TEST_F(ResizeTest, NarrowerThanTheLimitLeavesHorizontalGeometry) {
    setOuter(12000, 9000);
    const Horizontal wide = horizontal();
    setOuter(9570, 9900);  // one pixel too narrow, and taller
    EXPECT_TRUE(wide == horizontal());
    EXPECT_EQ(twipsToPixelsY(9900 * 0.55), w("MAPITree")->height());  // height block still ran
    // From the design layout too.
    setOuter(3000, 9000);
    EXPECT_TRUE(wide == horizontal());
}

TEST_F(ResizeTest, LowerThanTheLimitLeavesVerticalGeometry) {
    setOuter(12000, 9000);
    const Vertical tall = vertical();
    setOuter(13500, 6780);  // one pixel too low, and wider
    EXPECT_TRUE(tall == vertical());
    EXPECT_EQ(twipsToPixelsX(13500 - widthTwips(w("OptionsTab")) - 105 - 180),
              w("MAPITree")->width());  // width block still ran
}

TEST_F(ResizeTest, ASmallWindowKeepsTheDesignLayoutUntilOneLimitIsReached) {
    // The design client area is smaller than the limits: nothing moves.
    const Horizontal h0 = horizontal();
    const Vertical v0 = vertical();
    EXPECT_EQ(twipsToPixelsX(5055), w("MAPITree")->width());
    setOuter(9000, 6000);
    EXPECT_TRUE(h0 == horizontal());
    EXPECT_TRUE(v0 == vertical());
    setOuter(10000, 6000);  // widening a short window still resizes the width
    EXPECT_FALSE(h0 == horizontal());
    EXPECT_TRUE(v0 == vertical());
}
