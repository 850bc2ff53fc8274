#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "messaging/Error.h"
#include "support/StoreTestUtil.h"
#include "ui/TreeModel.h"
#include "ui/TreeView.h"

using storetest::errorOf;
using ui::Relationship;
using ui::TreeView;

namespace {

QStringList texts(const TreeView& t, const std::vector<std::int32_t>& ids) {
    QStringList out;
    for (auto id : ids) out << t.text(id);
    return out;
}

std::shared_ptr<const std::vector<QIcon>> coloredImages(int n) {
    auto v = std::make_shared<std::vector<QIcon>>();
    for (int i = 0; i < n; ++i) {
        QPixmap pm(4, 4);
        pm.fill(QColor::fromHsv(i * 10, 255, 255));
        v->push_back(QIcon(pm));
    }
    return v;
}

}  // namespace

TEST(TreeView, IndexesFollowInsertionAndPlacementFollowsRelationship) {
    TreeView t;
    const auto root = t.add(0, Relationship::Next, QString(), "root", 9, 8);
    const auto a = t.add(root, Relationship::Child, "A", "a");
    const auto c = t.add(root, Relationship::Child, "C", "c");
    const auto b = t.add(a, Relationship::Next, "B", "b");
    const auto first = t.add(c, Relationship::First, "F", "first");
    const auto beforeC = t.add(c, Relationship::Previous, "P", "beforeC");
    const auto last = t.add(a, Relationship::Last, "L", "last");
    EXPECT_EQ((std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7}),
              (std::vector<std::int32_t>{root, a, c, b, first, beforeC, last}));
    EXPECT_EQ(7, t.count());
    EXPECT_EQ(QStringList({"first", "a", "b", "beforeC", "c", "last"}), texts(t, t.children(root)));
    EXPECT_EQ(6, t.childCount(root));
    EXPECT_EQ(root, t.parent(b));
    EXPECT_EQ(0, t.parent(root));
    EXPECT_EQ(b, t.indexOfKey("B"));
    EXPECT_EQ(0, t.indexOfKey("nope"));
    EXPECT_EQ(0, t.indexOfKey(""));
    // A second top-level node without relative goes after the last one.
    const auto top2 = t.add(0, Relationship::Child, "T2", "top2");
    EXPECT_EQ(QStringList({"root", "top2"}), texts(t, t.topLevel()));
    EXPECT_EQ(8, top2);
    // The model's rows agree with the display order after middle insertions.
    const QAbstractItemModel* m = t.model();
    const QModelIndex rootIdx = m->index(0, 0);
    ASSERT_EQ(6, m->rowCount(rootIdx));
    for (int r = 0; r < 6; ++r) {
        const QModelIndex child = m->index(r, 0, rootIdx);
        EXPECT_EQ(texts(t, t.children(root))[r], child.data().toString());
        EXPECT_EQ(rootIdx, m->parent(child));
    }
}

TEST(TreeView, ErrorsLeaveTheTreeAsItWas) {
    TreeView t;
    const auto root = t.add(0, Relationship::Next, "", "root");
    t.add(root, Relationship::Child, "K", "k");
    EXPECT_EQ(mapi::code::TreeKeyNotUnique,
              errorOf([&] { t.add(root, Relationship::Child, "K", "again"); }));
    EXPECT_EQ(mapi::code::TreeElementNotFound,
              errorOf([&] { t.add(99, Relationship::Child, "X", "x"); }));
    EXPECT_EQ(2, t.count());
    EXPECT_EQ(0, t.indexOfKey("X"));
    // Keys are compared exactly: another case is another key.
    EXPECT_EQ(0, errorOf([&] { t.add(root, Relationship::Child, "k", "lower"); }));
    // Empty keys never clash.
    EXPECT_EQ(0, errorOf([&] { t.add(root, Relationship::Child, "", "one"); }));
    EXPECT_EQ(0, errorOf([&] { t.add(root, Relationship::Child, "", "two"); }));
    EXPECT_EQ(mapi::code::IndexOutOfBounds, errorOf([&] { t.text(0); }));
    EXPECT_EQ(mapi::code::IndexOutOfBounds, errorOf([&] { t.key(t.count() + 1); }));
    try {
        t.add(root, Relationship::Child, "K", "again");
        FAIL();
    } catch (const mapi::Error& e) {
        EXPECT_EQ("Key is not unique in collection", e.description());
    }
}

TEST(TreeView, ClearRestartsIndexesAndKeys) {
    TreeView t;
    const auto root = t.add(0, Relationship::Next, "", "root");
    t.add(root, Relationship::Child, "K", "k");
    t.select(2);
    t.clear();
    EXPECT_EQ(0, t.count());
    EXPECT_EQ(0, t.selectedIndex());
    EXPECT_EQ(0, t.indexOfKey("K"));
    EXPECT_EQ(1, t.add(0, Relationship::Next, "K", "again"));
}

TEST(TreeView, SelectionShowsTheSelectedImage) {
    TreeView t;
    t.setImageList(coloredImages(10));
    const auto root = t.add(0, Relationship::Next, "", "root", 9, 8);
    const auto leaf = t.add(root, Relationship::Child, "L", "leaf", 3);
    const QAbstractItemModel* m = t.model();
    auto iconKey = [&](int row, QModelIndex parent) {
        return qvariant_cast<QIcon>(m->index(row, 0, parent).data(Qt::DecorationRole)).cacheKey();
    };
    const QModelIndex rootIdx = m->index(0, 0);
    const qint64 unselected = iconKey(0, {});
    t.select(root);
    EXPECT_EQ(root, t.selectedIndex());
    const qint64 selected = iconKey(0, {});
    EXPECT_NE(unselected, selected);
    // A node without a selected image keeps its image when selected.
    const qint64 leafBefore = iconKey(0, rootIdx);
    t.select(leaf);
    EXPECT_EQ(leafBefore, iconKey(0, rootIdx));
    EXPECT_EQ(unselected, iconKey(0, {}));
    EXPECT_EQ(9, t.image(root));
    EXPECT_EQ(8, t.selectedImage(root));
    EXPECT_EQ(0, t.selectedImage(leaf));
    // Selecting a node opens its collapsed ancestors, as the control does.
    const auto deep = t.add(leaf, Relationship::Child, "D", "deep");
    t.setExpanded(root, false);
    t.select(deep);
    EXPECT_TRUE(t.expanded(root));
    EXPECT_TRUE(t.expanded(leaf));
    EXPECT_FALSE(t.expanded(deep));
}

TEST(TreeView, LabelEditOnlyWhileAutomatic) {
    TreeView t;
    const auto root = t.add(0, Relationship::Next, "", "root");
    QSignalSpy spy(&t, &TreeView::afterLabelEdit);
    t.select(root);
    t.setLabelEdit(TreeView::LabelEdit::Manual);
    EXPECT_FALSE(t.editSelected("new"));
    EXPECT_EQ("root", t.text(root));
    EXPECT_EQ(0, spy.count());
    // The user's gesture is refused too.
    t.show();
    QTest::keyClick(&t, Qt::Key_F2);
    EXPECT_EQ(nullptr, t.viewport()->findChild<QLineEdit*>());  // no editor opened

    t.setLabelEdit(TreeView::LabelEdit::Automatic);
    EXPECT_TRUE(t.editSelected("renamed"));
    EXPECT_EQ("renamed", t.text(root));
    ASSERT_EQ(1, spy.count());
    EXPECT_EQ(root, spy[0][0].value<std::int32_t>());
    EXPECT_EQ("renamed", spy[0][1].toString());

    // Through the view's own editor: F2, type, Enter.
    QTest::keyClick(&t, Qt::Key_F2);
    auto* editor = t.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(nullptr, editor);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "typed");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits through a queued call
    EXPECT_EQ("typed", t.text(root));
    ASSERT_EQ(2, spy.count());
    EXPECT_EQ("typed", spy[1][1].toString());
}

TEST(TreeView, ClickAndDoubleClickSignals) {
    TreeView t;
    t.resize(300, 300);
    const auto root = t.add(0, Relationship::Next, "", "root");
    const auto child = t.add(root, Relationship::Child, "C", "child");
    t.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t));
    QSignalSpy clicks(&t, &TreeView::nodeClicked);
    QSignalSpy dbl(&t, &TreeView::nodeDoubleClicked);
    const QRect r = t.visualRect(t.model()->index(0, 0));
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(1, clicks.count());
    EXPECT_EQ(root, clicks[0][0].value<std::int32_t>());
    EXPECT_EQ(root, t.selectedIndex());
    // A double-click on a node that has children fires DblClick and toggles it.
    EXPECT_FALSE(t.expanded(root));
    QTest::mouseDClick(t.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(1, dbl.count());
    EXPECT_TRUE(t.expanded(root));
    // A handler that fills a childless node and expands it keeps it expanded.
    QObject::connect(&t, &TreeView::nodeDoubleClicked, &t, [&] {
        if (t.selectedIndex() == child && t.childCount(child) == 0) {
            t.add(child, Relationship::Child, "", "filled");
            t.setExpanded(child, true);
        }
    });
    t.select(child);
    const QRect rc = t.visualRect(t.model()->index(0, 0, t.model()->index(0, 0)));
    QTest::mouseDClick(t.viewport(), Qt::LeftButton, {}, rc.center());
    EXPECT_EQ(2, dbl.count());
    EXPECT_TRUE(t.expanded(child));
}

// Keys and texts are packed one byte a character when they fit in Latin-1 and
// two otherwise, behind a length header that changes size at 64 characters;
// very long ones are kept whole. Each must come back exactly and be found by
// its key, and a key must not match one that differs only past the header.
TEST(TreeView, KeysAndTextsComeBackExactlyWhateverTheirLengthAndCharacters) {
    const QString wide = QString::fromUtf8("Gr\u00fc\u00dfe \u65e5\u672c \U0001F600");
    const struct {
        const char* what;
        QString key, text;
    } kCases[] = {
        {"empty text", QStringLiteral("k-empty"), QString()},
        {"Latin-1 accents", QString::fromUtf8("cl\u00e9-\u00ff"),
         QString::fromUtf8("R\u00e9sum\u00e9 \u00e0 \u00fe")},
        {"beyond Latin-1", wide, wide + QStringLiteral(" text")},
        {"63 characters", QString(63, u'a'), QString(63, u'b')},
        {"64 characters", QString(64, u'a'), QString(64, u'b')},
        {"64 wide characters", QString(64, QChar(0x263A)), QString(64, QChar(0x2603))},
        {"4096 characters", QString(4096, u'c'), QString(4096, u'd')},
        {"4097 characters", QString(4097, u'c'), QString(4097, QChar(0x100))},
        {"a NUL inside", QStringView(u"nul\0key", 7).toString(),
         QStringView(u"a\0b", 3).toString()},
    };
    TreeView t;
    std::vector<std::int32_t> ids;
    for (const auto& c : kCases) ids.push_back(t.add(0, Relationship::Last, c.key, c.text));
    QCoreApplication::processEvents();  // the appended rows reach the view
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        SCOPED_TRACE(kCases[i].what);
        EXPECT_EQ(kCases[i].key, t.key(ids[i]));
        EXPECT_EQ(kCases[i].text, t.text(ids[i]));
        EXPECT_EQ(kCases[i].text,
                  t.model()->data(t.model()->index(static_cast<int>(i), 0)).toString());
        EXPECT_EQ(ids[i], t.indexOfKey(kCases[i].key));
    }
    EXPECT_EQ(0, t.indexOfKey(QString(62, u'a')));
    EXPECT_EQ(0, t.indexOfKey(QString(64, u'a').replace(40, 1, u'b')));
    EXPECT_EQ(0, t.indexOfKey(QString::fromUtf8("cl\u00e9-\u00fe")));
    EXPECT_EQ(mapi::code::TreeKeyNotUnique,
              errorOf([&] { t.add(0, Relationship::Last, QString(4097, u'c'), QString()); }));

    // A changed text replaces the old one; the key stays.
    t.setText(ids[3], wide);
    EXPECT_EQ(wide, t.text(ids[3]));
    EXPECT_EQ(ids[3], t.indexOfKey(QString(63, u'a')));
}

// A folder's worth of nodes: every key is still found after the key table
// has grown many times, and a key not in the tree is not.
TEST(TreeView, ManyKeysAreAllFoundAfterTheTableGrows) {
    TreeView t;
    const std::int32_t folder =
        t.add(0, Relationship::Last, QStringLiteral("F"), QStringLiteral("F"));
    for (int i = 0; i < 20000; ++i)
        t.add(folder, Relationship::Child,
              QStringLiteral("%1").arg(0x100000 + i, 8, 16, QLatin1Char('0')),
              QStringLiteral("Subject %1").arg(i));
    for (int i = 0; i < 20000; i += 997) {
        const QString key = QStringLiteral("%1").arg(0x100000 + i, 8, 16, QLatin1Char('0'));
        EXPECT_EQ(i + 2, t.indexOfKey(key)) << key.toStdString();
        EXPECT_EQ(QStringLiteral("Subject %1").arg(i), t.text(i + 2));
    }
    EXPECT_EQ(0, t.indexOfKey(QStringLiteral("00200000")));
    EXPECT_EQ(20001, t.count());
}

// The vertical scroll bar and the rows shown agree, however the folder got its
// rows: at the top of a long folder the thumb is at the top, and moving it
// down (value, drag, click on the track) shows later rows.
struct ScrollCase {
    const char* name;
    bool inSlices;        // appended over several event-loop turns, as big folders fill
    bool expandedBefore;  // the folder open while its rows arrive
};

void PrintTo(const ScrollCase& c, std::ostream* os) {
    *os << c.name;
}

class TreeViewScroll : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(TreeViewScroll, ThumbValueAndFirstRowShownAgree) {
    const ScrollCase& c = GetParam();
    TreeView t;
    t.resize(300, 200);
    const auto root = t.add(0, Relationship::Next, QString(), "root");
    const auto folder = t.add(root, Relationship::Child, "F", "folder");
    std::vector<std::int32_t> rows{root, folder};
    t.setExpanded(root, true);
    if (c.expandedBefore) t.setExpanded(folder, true);
    t.select(folder);
    t.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t));
    for (int slice = 0; slice < 5; ++slice) {
        for (int i = 0; i < 100; ++i)
            rows.push_back(t.add(folder, Relationship::Child, QString(),
                                 QStringLiteral("Note %1").arg(slice * 100 + i)));
        if (c.inSlices) QCoreApplication::processEvents();
    }
    t.setExpanded(folder, true);
    QCoreApplication::processEvents();

    QScrollBar* bar = t.verticalScrollBar();
    const auto firstShown = [&t] { return ui::TreeModel::idOf(t.indexAt(QPoint(5, 2))); };
    ASSERT_GT(bar->maximum(), 400);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(firstShown(), root);

    for (int value : {1, 100, 250, bar->maximum()}) {
        bar->setValue(value);
        QCoreApplication::processEvents();
        EXPECT_EQ(firstShown(), rows[static_cast<std::size_t>(value)]) << value;
    }

    // The user's gestures, which find the thumb where the style draws it: at
    // the end a click high on the track pages up; at the top a click low on
    // the track pages down, and dragging the thumb down shows later rows.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->width() + 4));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum() - bar->pageStep());
    EXPECT_EQ(firstShown(), rows[static_cast<std::size_t>(bar->value())]);

    bar->setValue(0);
    QCoreApplication::processEvents();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->pageStep());
    EXPECT_EQ(firstShown(), rows[static_cast<std::size_t>(bar->value())]);

    bar->setValue(0);
    QCoreApplication::processEvents();
    const QPoint thumb(bar->width() / 2, bar->width() + 4);
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(bar, thumb + QPoint(0, 60));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb + QPoint(0, 60));
    QCoreApplication::processEvents();
    EXPECT_GT(bar->value(), 100);
    EXPECT_EQ(firstShown(), rows[static_cast<std::size_t>(bar->value())]);

    // Selecting a node far down scrolls it into view, and the thumb follows.
    bar->setValue(0);
    t.select(rows[450]);
    t.scrollTo(t.currentIndex());
    QCoreApplication::processEvents();
    EXPECT_GT(bar->value(), 400);
    EXPECT_EQ(firstShown(), rows[static_cast<std::size_t>(bar->value())]);
}

INSTANTIATE_TEST_SUITE_P(Folders, TreeViewScroll,
                         ::testing::Values(ScrollCase{"FilledInOneGo", false, false},
                                           ScrollCase{"FilledInSlicesWhileOpen", true, true},
                                           ScrollCase{"FilledInSlicesThenOpened", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });
