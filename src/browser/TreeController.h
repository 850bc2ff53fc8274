#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "browser/TreeContext.h"

#include "shell/Context.h"
#include "ui/SlicedWork.h"

namespace browser {

// The double-click dispatch of MAPITree: decides by the selected node's image
// what to open, under the busy pointer, and reports any messaging error as
// "Error #<number> - <description> - has occurred.". `logon` is what a
// double-click on the root runs. A folder's messages are walked here up to
// `later`'s slice size; a bigger folder's rest is handed to `later` (without
// it the whole walk runs here).
void dispatchDoubleClick(const TreeContext& cx, const std::function<void()>& logon,
                         ui::SlicedWork* later = nullptr);

// Owns the tree's double-click handling on the main window.
class TreeController : public QObject {
    Q_OBJECT
  public:
    explicit TreeController(const shell::Context& shell);

    // MAPITree_DblClick: also run by LogonButton on the root node.
    void MAPITree_DblClick();

  private:
    shell::Context shell_;
    // Where a big folder's message walk goes on a slice at a time; a child
    // of the tree, which it fills.
    QPointer<ui::SlicedWork> fill_;
};

}  // namespace browser
