#include "ui/ListView.h"

#include <QHeaderView>
#include <algorithm>

#include "ui/LongTextDelegate.h"

namespace ui {

namespace {
constexpr int kCellCountRole = Qt::UserRole + 1;
}

ListView::ListView(const QStringList& columns, QWidget* parent) : QTreeWidget(parent) {
    setItemDelegate(new LongTextDelegate(this));
    setColumnCount(static_cast<int>(columns.size()));
    setHeaderLabels(columns);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    // Sorting is the program's own business (SortKey/SortOrder/Sorted), so the
    // header only reports the click.
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int column) { Q_EMIT columnClicked(column); });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        const int i = indexOfTopLevelItem(item);
        if (i >= 0) Q_EMIT rowClicked(i + 1);
    });
}

int ListView::count() const {
    return topLevelItemCount();
}

int ListView::addRow(const QStringList& cells) {
    auto* item = new QTreeWidgetItem(cells);
    item->setData(0, kCellCountRole, static_cast<int>(cells.size()));
    addTopLevelItem(item);
    if (sorted_) resort();
    return indexOfTopLevelItem(item) + 1;
}

void ListView::removeRow(int index) {
    if (index < 1 || index > count()) return;
    delete takeTopLevelItem(index - 1);
}

void ListView::clearRows() {
    clear();
}

QString ListView::cell(int index, int column) const {
    if (index < 1 || index > count()) return QString();
    return topLevelItem(index - 1)->text(column);
}

QStringList ListView::row(int index) const {
    QStringList out;
    if (index < 1 || index > count()) return out;
    const QTreeWidgetItem* item = topLevelItem(index - 1);
    // Sub-items that were never given stay absent.
    const int given = std::min(item->data(0, kCellCountRole).toInt(), columnCount());
    for (int c = 0; c < given; ++c) out << item->text(c);
    return out;
}

int ListView::selectedIndex() const {
    const QList<QTreeWidgetItem*> sel = selectedItems();
    if (sel.isEmpty()) return 0;
    return indexOfTopLevelItem(sel.front()) + 1;
}

void ListView::setSelectedIndex(int index) {
    if (index < 1 || index > count()) {
        clearSelection();
        return;
    }
    QTreeWidgetItem* item = topLevelItem(index - 1);
    setCurrentItem(item);
    clearSelection();
    item->setSelected(true);
}

void ListView::setSortKey(int column) {
    sortKey_ = column;
    if (sorted_) resort();
}

void ListView::setSortOrder(SortOrder order) {
    sortOrder_ = order;
    if (sorted_) resort();
}

void ListView::setSorted(bool on) {
    sorted_ = on;
    if (sorted_) resort();
}

void ListView::resort() {
    const int n = count();
    if (n < 2) return;
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();
    std::vector<QTreeWidgetItem*> items;
    items.reserve(static_cast<std::size_t>(n));
    while (topLevelItemCount() > 0) items.push_back(takeTopLevelItem(0));
    const int key = sortKey_;
    const bool desc = sortOrder_ == SortOrder::Descending;
    std::stable_sort(
        items.begin(), items.end(), [key, desc](QTreeWidgetItem* a, QTreeWidgetItem* b) {
            const int c = QString::compare(a->text(key), b->text(key), Qt::CaseInsensitive);
            return desc ? c > 0 : c < 0;
        });
    QList<QTreeWidgetItem*> list(items.begin(), items.end());
    addTopLevelItems(list);
    if (current) setCurrentItem(current);
    clearSelection();
    for (QTreeWidgetItem* s : selected) s->setSelected(true);
}

}  // namespace ui
