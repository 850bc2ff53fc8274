// A folder too big to fill the tree in one go fills it a slice at a time
// between event-loop turns; what the user and a script see at the end must be
// what the one-go fill gives: the nodes, their order, keys and texts, the code,
// the error box of a walk that fails part-way, and the folder's expansion.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWidget>

#include "support/Drive.h"
#include "ui/SlicedWork.h"
#include "ui/TreeView.h"

namespace {

constexpr int kMessages = 50;
constexpr int kSlice = 8;

// Folder "Big" (1001) with a subfolder and kMessages messages; the message
// `badAt` (when not -1) has no subject, which fails its walk.
QByteArray fixture(int badAt) {
    QJsonArray msgs;
    for (int i = 0; i < kMessages; ++i) {
        QJsonObject m{{"id", QStringLiteral("%1").arg(0x100000 + i, 8, 16, QLatin1Char('0'))},
                      {"text", "body"}};
        m.insert("subject",
                 i == badAt ? QJsonValue() : QJsonValue(QStringLiteral("Note %1").arg(i)));
        msgs.append(m);
    }
    const QJsonObject sub{{"id", "1002"}, {"name", "Sub"}, {"messages", QJsonArray{}}};
    const QJsonObject big{
        {"id", "1001"}, {"name", "Big"}, {"folders", QJsonArray{sub}}, {"messages", msgs}};
    const QJsonObject store{{"id", "00E1"},
                            {"name", "Mailbox - Bench"},
                            {"root", QJsonObject{{"id", "1000"}, {"name", "Top"}}},
                            {"folders", QJsonArray{big}}};
    const QJsonObject profile{{"name", "Bench"}, {"default", true}, {"stores", QJsonArray{"00E1"}}};
    return QJsonDocument(QJsonObject{{"profiles", QJsonArray{profile}},
                                     {"stores", QJsonArray{store}},
                                     {"addressLists", QJsonArray{}}})
        .toJson(QJsonDocument::Compact);
}

const QString kLogonAndOpen = QStringLiteral(
    "click LogonButton\n"
    "choose ProfileCombo Bench\n"
    "click OkButton\n"
    "select MAPITree key=00E1\n"
    "dblclick MAPITree\n"
    "select MAPITree key=1001\n"
    "dblclick MAPITree\n");
const QString kDumps = QStringLiteral("dump tree MAPITree\ndump code\n");
const QString kOpen = kLogonAndOpen + kDumps;
// What comes after the fill works on the full tree.
const QString kThenSubfolder = QStringLiteral(
    "select MAPITree key=1002\n"
    "dblclick MAPITree\n"
    "dump tree MAPITree\n"
    "dump code\n");
const QString kWalkCode = QStringLiteral("'make sure we have some messages");

struct Fill {
    drive::Outcome outcome;
    // The folder's node count each time the program (not the test) expanded it.
    QString expandedAt;
    bool inHook = false;
    std::vector<int> countsBetweenSlices;
    int selectedMidFill = 0;
    bool pendingAfterLogOff = true;
};

enum class MidFill { SelectAndScroll, LogOff };

// `slice` 0 keeps the program's own slice size, which fills this folder in one
// go; otherwise the user expands the folder, selects and scrolls between
// slices, or clicks Log Off after the first.
Fill fill(const QString& script, int badAt, std::size_t slice,
          MidFill user = MidFill::SelectAndScroll) {
    drive::installFixture(fixture(badAt));
    Fill r;
    r.outcome = drive::run(script, [&](QWidget& form) {
        auto* tree = form.findChild<ui::TreeView*>(QStringLiteral("MAPITree"));
        auto* work = tree->findChild<ui::SlicedWork*>();
        ASSERT_NE(nullptr, work);
        if (slice) work->setSliceSize(slice);
        QObject::connect(tree, &QTreeView::expanded, tree, [&r, tree](const QModelIndex& i) {
            if (r.inHook || i.data().toString() != u"Big") return;
            r.expandedAt += QString::number(tree->childCount(tree->indexOfKey("1001"))) + u' ';
        });
        // Between slices the user works in the tree: selects the last node
        // so far and scrolls to the end.
        auto* logOff = form.findChild<QAbstractButton*>(QStringLiteral("LogoffButton"));
        QObject::connect(work, &ui::SlicedWork::sliceDone, tree, [&r, tree, work, logOff, user] {
            if (user == MidFill::LogOff) {
                if (!r.countsBetweenSlices.empty()) return;
                r.countsBetweenSlices.push_back(0);
                QTest::mouseClick(logOff, Qt::LeftButton);
                r.pendingAfterLogOff = work->pending();
                return;
            }
            const std::int32_t big = tree->indexOfKey(QStringLiteral("1001"));
            r.countsBetweenSlices.push_back(tree->childCount(big));
            r.inHook = true;
            tree->setExpanded(big, true);
            tree->select(tree->count());
            tree->scrollToBottom();
            r.inHook = false;
            r.selectedMidFill = tree->selectedIndex();
        });
    });
    return r;
}

TEST(BigFolderFill, SlicesGiveWhatOneGoGivesWhileTheUserSelectsAndScrolls) {
    const Fill whole = fill(kOpen + kThenSubfolder, -1, 0);
    const Fill sliced = fill(kOpen + kThenSubfolder, -1, kSlice);
    ASSERT_EQ(0, whole.outcome.status) << whole.outcome.err.toStdString();
    EXPECT_EQ(0, sliced.outcome.status) << sliced.outcome.err.toStdString();
    EXPECT_TRUE(whole.countsBetweenSlices.empty());
    // The first slice runs within the double-click, after the subfolder; the
    // last one ends the fill without a turn for the user after it.
    EXPECT_EQ((std::vector<int>{17, 25, 33, 41, 49}), sliced.countsBetweenSlices);
    // Root, store, folder, subfolder and the first 48 messages.
    EXPECT_EQ(4 + 48, sliced.selectedMidFill);
    EXPECT_EQ(whole.outcome.out, sliced.outcome.out);
    EXPECT_TRUE(whole.outcome.out.contains(u"Note 49  [key=00100031] [image=5]\n"));
    EXPECT_TRUE(whole.outcome.out.contains(kWalkCode));
    EXPECT_EQ(QStringLiteral("51 "), whole.expandedAt);
    EXPECT_EQ(QString(), sliced.expandedAt);  // the user had expanded it already
}

TEST(BigFolderFill, AWalkFailingPartWayFailsAsInOneGo) {
    const Fill whole = fill(kOpen, 30, 0);
    const Fill sliced = fill(kOpen, 30, kSlice);
    EXPECT_EQ(whole.outcome.out, sliced.outcome.out);
    EXPECT_EQ(whole.outcome.err, sliced.outcome.err);
    EXPECT_EQ(whole.outcome.status, sliced.outcome.status);
    EXPECT_TRUE(whole.outcome.out.contains(u"Note 29  [key=0010001D]"));
    EXPECT_FALSE(whole.outcome.out.contains(u"[key=0010001E]"));
    EXPECT_TRUE(whole.outcome.out.contains(u"Error #"));
    EXPECT_FALSE(whole.outcome.out.contains(kWalkCode));
    EXPECT_EQ(QString(), whole.expandedAt);
    EXPECT_EQ(QString(), sliced.expandedAt);
}

TEST(BigFolderFill, ClickingLogOffMidFillFinishesTheFillFirst) {
    const Fill whole = fill(kLogonAndOpen + "click LogoffButton\n" + kDumps, -1, 0);
    const Fill sliced = fill(kLogonAndOpen + kDumps, -1, kSlice, MidFill::LogOff);
    ASSERT_EQ(0, whole.outcome.status) << whole.outcome.err.toStdString();
    EXPECT_EQ(0, sliced.outcome.status) << sliced.outcome.err.toStdString();
    EXPECT_EQ(1u, sliced.countsBetweenSlices.size());
    EXPECT_FALSE(sliced.pendingAfterLogOff);
    EXPECT_EQ(whole.outcome.out, sliced.outcome.out);
    EXPECT_TRUE(whole.outcome.out.contains(kWalkCode));
}

}  // namespace
