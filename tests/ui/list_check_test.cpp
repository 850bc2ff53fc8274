#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "ui/CheckBox.h"
#include "ui/ListView.h"

using ui::CheckBox;
using ui::ListView;

TEST(CheckBox, ValueFromCodeRunsTheClickRuleOnlyOnChange) {
    CheckBox box("Box");
    QSignalSpy rule(&box, &CheckBox::clickRule);
    std::vector<int> seenInRule;
    QObject::connect(&box, &CheckBox::clickRule, [&] { seenInRule.push_back(box.value()); });

    box.setValue(0);  // already 0
    EXPECT_EQ(0, rule.count());
    box.setValue(1);
    EXPECT_EQ(1, rule.count());
    EXPECT_TRUE(box.isChecked1());
    box.setValue(1);
    EXPECT_EQ(1, rule.count());
    box.setValue(2);
    EXPECT_EQ(2, rule.count());
    EXPECT_EQ(2, box.value());
    EXPECT_FALSE(box.isChecked1());  // grayed is not checked
    box.setValue(0);
    EXPECT_EQ(3, rule.count());
    // The rule sees the new value.
    EXPECT_EQ((std::vector<int>{1, 2, 0}), seenInRule);
}

TEST(CheckBox, RuleRunningInsideAnotherRuleRunsBeforeItGoesOn) {
    CheckBox a("A"), b("B");
    QStringList order;
    QObject::connect(&a, &CheckBox::clickRule, [&] {
        order << QString("A start %1").arg(a.value());
        b.setValue(0);
        order << "A end";
    });
    QObject::connect(&b, &CheckBox::clickRule, [&] { order << QString("B %1").arg(b.value()); });
    b.setValue(1);
    a.setValue(1);
    EXPECT_EQ(QStringList({"B 1", "A start 1", "B 0", "A end"}), order);
}

TEST(CheckBox, UserClickTogglesAndRunsTheRule) {
    CheckBox box("Box");
    box.resize(100, 20);
    QSignalSpy rule(&box, &CheckBox::clickRule);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(1, box.value());
    EXPECT_EQ(1, rule.count());
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(0, box.value());
    box.setValue(2);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(1, box.value());  // grayed goes to checked, never back to grayed
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(0, box.value());
}

namespace {
QStringList column(const ListView& l, int c) {
    QStringList out;
    for (int i = 1; i <= l.count(); ++i) out << l.cell(i, c);
    return out;
}
}  // namespace

TEST(ListView, RowsCellsAndAbsentSubItems) {
    ListView l({"Criterion", "Type", "Value", "Field ID"});
    EXPECT_EQ(4, l.columnCount());
    EXPECT_EQ("Field ID", l.headerItem()->text(3));
    EXPECT_EQ(1, l.addRow({"Subject", "vbString", ""}));
    EXPECT_EQ(2, l.addRow({"Fields", "vbLong", "5", "0x1234"}));
    EXPECT_EQ(QStringList({"Subject", "vbString", ""}), l.row(1));  // empty value kept, no Field ID
    EXPECT_EQ(QStringList({"Fields", "vbLong", "5", "0x1234"}), l.row(2));
    EXPECT_EQ("", l.cell(1, 3));
    EXPECT_EQ(0, l.selectedIndex());
    l.setSelectedIndex(2);
    EXPECT_EQ(2, l.selectedIndex());
    l.removeRow(1);
    EXPECT_EQ(1, l.count());
    EXPECT_EQ("Fields", l.cell(1, 0));
    l.removeRow(5);  // nothing there
    EXPECT_EQ(1, l.count());
    l.clearRows();
    EXPECT_EQ(0, l.count());
    EXPECT_EQ(0, l.selectedIndex());
}

TEST(ListView, SortingByKeyAndOrderCaseInsensitiveAndStable) {
    ListView l({"A", "B"});
    l.addRow({"beta", "2"});
    l.addRow({"Alpha", "1"});
    l.addRow({"alpha", "3"});
    l.addRow({"Gamma", "0"});
    l.setSelectedIndex(1);  // beta
    EXPECT_FALSE(l.sorted());
    l.setSortKey(0);
    EXPECT_EQ(QStringList({"beta", "Alpha", "alpha", "Gamma"}), column(l, 0));  // not sorted yet
    l.setSorted(true);
    EXPECT_EQ(QStringList({"Alpha", "alpha", "beta", "Gamma"}), column(l, 0));
    EXPECT_EQ(3, l.selectedIndex());  // the selection moves with its row
    l.setSortOrder(ListView::SortOrder::Descending);
    EXPECT_EQ(QStringList({"Gamma", "beta", "Alpha", "alpha"}), column(l, 0));
    l.setSortKey(1);
    EXPECT_EQ(QStringList({"3", "2", "1", "0"}), column(l, 1));
    // While sorted, a new row takes its sorted place.
    EXPECT_EQ(2, l.addRow({"delta", "25"}));
    // Columns are compared as text, not as numbers.
    l.setSortOrder(ListView::SortOrder::Ascending);
    EXPECT_EQ(QStringList({"0", "1", "2", "25", "3"}), column(l, 1));
}

TEST(ListView, HeaderClickOnlyReportsTheColumn) {
    ListView l({"A", "B"});
    l.resize(300, 200);
    l.addRow({"b", "1"});
    l.addRow({"a", "2"});
    l.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&l));
    QSignalSpy spy(&l, &ListView::columnClicked);
    QHeaderView* h = l.header();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
    ASSERT_EQ(1, spy.count());
    EXPECT_EQ(1, spy[0][0].toInt());
    EXPECT_EQ(QStringList({"b", "a"}), column(l, 0));  // the program sorts, not the header
    QSignalSpy rows(&l, &ListView::rowClicked);
    const QRect r = l.visualItemRect(l.topLevelItem(1));
    QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(1, rows.count());
    EXPECT_EQ(2, rows[0][0].toInt());
    EXPECT_EQ(2, l.selectedIndex());
}
