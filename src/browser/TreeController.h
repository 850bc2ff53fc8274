#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "browser/TreeContext.h"

#include "shell/Context.h"

namespace browser {

// The double-click dispatch of MAPITree: decides by the selected node's image
// what to open, under the busy pointer, and reports any messaging error as
// "Error #<number> - <description> - has occurred.". `logon` is what a
// double-click on the root runs.
void dispatchDoubleClick(const TreeContext& cx, const std::function<void()>& logon);

// Owns the tree's double-click handling on the main window.
class TreeController : public QObject {
    Q_OBJECT
  public:
    explicit TreeController(const shell::Context& shell);

    // MAPITree_DblClick: also run by LogonButton on the root node.
    void MAPITree_DblClick();

  private:
    shell::Context shell_;
};

}  // namespace browser
