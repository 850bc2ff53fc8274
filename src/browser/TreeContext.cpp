#include "browser/TreeContext.h"

#include "shell/Context.h"

namespace browser {

TreeContext TreeContext::of(const shell::Context& shell) {
    return TreeContext{*shell.tree(), shell.mod(),
                       [shell](const QString& text) { shell.AppendCode(text); }};
}

}  // namespace browser
