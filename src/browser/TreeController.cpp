#include "browser/TreeController.h"

#include "app/MAPIForm.h"
#include "app/Subsystems.h"
#include "session/SessionController.h"

namespace browser {

TreeController::TreeController(app::MAPIForm& form) : form_(form) {
    connect(form.tree(), &ui::TreeView::nodeDoubleClicked, this,
            &TreeController::MAPITree_DblClick);
}

void TreeController::MAPITree_DblClick() {
    dispatchDoubleClick(TreeContext::of(form_), [this] { form_.subsystems().session->Logon(); });
}

}  // namespace browser
