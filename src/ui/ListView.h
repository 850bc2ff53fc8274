#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace ui {

// A list view in report form: rows of a text and sub-items, column headers,
// a selected row, and the column-click sorting the program drives itself
// (SortKey, SortOrder, Sorted). Rows are 1-based as ListItems are.
class ListView : public QTreeWidget {
    Q_OBJECT
  public:
    enum class SortOrder { Ascending, Descending };

    explicit ListView(const QStringList& columns, QWidget* parent = nullptr);

    int count() const;
    // Adds a row at the end: text, then sub-items 1.. ; returns its 1-based index.
    int addRow(const QStringList& cells);
    void removeRow(int index);
    void clearRows();
    QString cell(int index, int column) const;  // column 0 is the item text
    QStringList row(int index) const;
    int selectedIndex() const;  // 0 when none
    void setSelectedIndex(int index);

    int sortKey() const { return sortKey_; }
    void setSortKey(int column);
    SortOrder sortOrder() const { return sortOrder_; }
    void setSortOrder(SortOrder order);
    bool sorted() const { return sorted_; }
    // Switching sorting on sorts the rows now by sortKey/sortOrder, comparing
    // the column texts as text (case-insensitive).
    void setSorted(bool on);

  Q_SIGNALS:
    void columnClicked(int column);  // 0-based column whose header was clicked
    void rowClicked(int index);      // the user clicked a row (1-based)

  private:
    void resort();
    int sortKey_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
    bool sorted_ = false;
};

}  // namespace ui
