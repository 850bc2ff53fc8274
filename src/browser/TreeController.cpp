#include "browser/TreeController.h"

#include "shell/Context.h"

namespace browser {

TreeController::TreeController(const shell::Context& shell)
    : shell_(shell), fill_(new ui::SlicedWork(shell.tree(), shell.tree())) {
    connect(shell.tree(), &ui::TreeView::nodeDoubleClicked, this,
            &TreeController::MAPITree_DblClick);
}

void TreeController::MAPITree_DblClick() {
    dispatchDoubleClick(
        TreeContext::of(shell_), [this] { shell_.logon(); }, fill_.data());
}

}  // namespace browser
