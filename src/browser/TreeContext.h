#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "codegen/CodeBuilder.h"
#include "messaging/Error.h"
#include "shell/MAPIMod.h"
#include "shell/TreeNodes.h"
#include "ui/ErrorBox.h"
#include "ui/TreeView.h"

namespace shell {
class Context;
}

namespace browser {

namespace img = shell::img;
using shell::GetInfoStoreKey;
using shell::kRootLoggedOn;
using shell::kRootNotLoggedOn;

// What the tree-filling procedures work on: the mailbox tree, the global module
// (session and variable names) and the code window's append. Built from the
// main window in the program; tests may build one over a bare tree.
struct TreeContext {
    ui::TreeView& tree;
    shell::MAPIMod& mod;
    std::function<void(const QString&)> appendCode;

    static TreeContext of(const shell::Context& shell);

    mapi::Ref<mapi::Session>& session() const { return mod.session; }
    codegen::Code newCode() const { return codegen::Code(mod.names); }
    void AppendCode(const codegen::Code& c) const { appendCode(c.text()); }
    // One step's lines, written as one block (see codegen::Code::lines).
    void AppendLines(QStringView block, std::initializer_list<QString> args = {}) const {
        AppendCode(newCode().lines(block, args));
    }

    // Nodes.Add(relative, tvwChild, ...). A relative of 0 stands for a parent
    // node that could not be added: the tree control fails as for an unknown
    // relative instead of putting the node at the top level.
    std::int32_t addChild(std::int32_t parent, const QString& key, const QString& text, int image,
                          int selectedImage = 0) const {
        if (parent <= 0) mapi::raise(mapi::code::TreeElementNotFound);
        return tree.add(parent, ui::Relationship::Child, key, text, image, selectedImage);
    }
};

// Runs one step of a skip-and-continue procedure: a failing step is abandoned
// silently and the caller goes on with the next one. A mail server that cannot
// be reached is no missing part of one object: that error ends the procedure
// and goes to the dispatch's error box, rather than leaving, say, a message
// shown without its text as if it had none.
template <class F>
void skipOnError(F&& step) {
    try {
        step();
    } catch (const mapi::Error& e) {
        if (ui::isServerUnreachable(e)) throw;
    }
}

}  // namespace browser
