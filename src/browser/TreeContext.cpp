#include "browser/TreeContext.h"

#include "app/MAPIForm.h"

namespace browser {

TreeContext TreeContext::of(app::MAPIForm& form) {
    return TreeContext{*form.tree(), form.mod(),
                       [&form](const QString& text) { form.AppendCode(text); }};
}

}  // namespace browser
