#pragma once

#include <QIcon>
#include <QString>
#include <QTreeView>
#include <cstdint>
#include <memory>
#include <vector>

namespace ui {

class TreeModel;

// Where Nodes.Add places a node relative to another one.
enum class Relationship { First = 0, Last = 1, Next = 2, Previous = 3, Child = 4 };

// The tree control as the program uses it: nodes with a key, a text, an image
// and a selected image from a shared image list, numbered 1.. in insertion
// order (the "index"). Keys are unique across the whole tree. Indexes stay
// valid until clear(). Sized for 100,000+ nodes: adding a node is O(1).
class TreeView : public QTreeView {
    Q_OBJECT
  public:
    enum class LabelEdit { Automatic, Manual };

    explicit TreeView(QWidget* parent = nullptr);
    ~TreeView() override;
    using QTreeView::edit;  // keep edit(index) callable beside the gated override

    // Nodes.Add. relative 0 means none (top level, after the last top-level
    // node). With a relative, Child appends as its last child; Next/Previous
    // place a sibling; First/Last a first/last sibling. A non-empty key that is
    // already used throws mapi::Error 35602 "Key is not unique in collection";
    // an unknown relative throws 35601 "Element not found". Image 0 = none.
    // Returns the new node's index.
    std::int32_t add(std::int32_t relative, Relationship rel, const QString& key,
                     const QString& text, int image = 0, int selectedImage = 0);

    std::int32_t count() const;  // Nodes.Count
    void clear();                // Nodes.Clear

    // Node properties by index; an index outside 1..count throws 35600.
    QString key(std::int32_t index) const;
    QString text(std::int32_t index) const;
    void setText(std::int32_t index, const QString& text);
    int image(std::int32_t index) const;
    int selectedImage(std::int32_t index) const;
    std::int32_t parent(std::int32_t index) const;                 // 0 for a top-level node
    std::int32_t childCount(std::int32_t index) const;             // Node.Children
    std::vector<std::int32_t> children(std::int32_t index) const;  // in display order
    std::vector<std::int32_t> topLevel() const;
    bool expanded(std::int32_t index) const;
    void setExpanded(std::int32_t index, bool expanded);
    std::int32_t indexOfKey(const QString& key) const;  // 0 when no node has it

    std::int32_t selectedIndex() const;  // 0 when nothing is selected
    void select(std::int32_t index);     // as SelectedItem = node: no click event

    LabelEdit labelEdit() const { return labelEdit_; }
    void setLabelEdit(LabelEdit mode) { labelEdit_ = mode; }
    // The in-place edit gesture on the selected node, completed with `text`.
    // Refused (returns false, nothing changes) while labelEdit() is Manual.
    // Otherwise sets the node's text and emits afterLabelEdit.
    bool editSelected(const QString& text);

    // The shared image list: image N (1-based) is images[N-1].
    void setImageList(std::shared_ptr<const std::vector<QIcon>> images);

  Q_SIGNALS:
    void nodeClicked(std::int32_t index);  // a click on a node (user or script)
    void nodeDoubleClicked();              // DblClick: works on the selected node
    void afterLabelEdit(std::int32_t index, const QString& newText);

  protected:
    // The user's label-edit gestures pass only while labelEdit() is Automatic.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    // DblClick, then the control's own expand/collapse of a node that already
    // had children (a node filled by the handler keeps the state it was given).
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    TreeModel* model_;
    LabelEdit labelEdit_ = LabelEdit::Automatic;
};

}  // namespace ui
