#pragma once

#include <QObject>
#include <cstdint>

namespace ui {
class TreeView;
}

namespace codegen {
class VarNames;
}

namespace codewindow {

// The "Options" tab's tree of code variables: builds its 46 nodes and renames
// a variable when the user edits its node in place. Lives as a child of the tree.
class VarTreeController : public QObject {
    Q_OBJECT
  public:
    VarTreeController(ui::TreeView* tree, codegen::VarNames& names);

    // Adds the class and variable nodes row by row and selects "Stores".
    void build();

    // VarTree node click: in-place editing only for variable nodes ("o..." keys).
    void onNodeClick(std::int32_t index);
    // After an in-place edit: rename the selected variable node's row and save.
    void onAfterLabelEdit(const QString& newText);

  private:
    ui::TreeView* tree_;
    codegen::VarNames& names_;
};

}  // namespace codewindow
