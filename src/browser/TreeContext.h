#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "app/MAPIMod.h"
#include "codegen/CodeBuilder.h"
#include "messaging/Error.h"
#include "ui/TreeView.h"

namespace app {
class MAPIForm;
}

namespace browser {

// Node images of MAPITree: a node's kind is told by its image.
namespace img {
inline constexpr int Folder = 1;
inline constexpr int FolderSel = 2;
inline constexpr int Store = 3;
inline constexpr int StoreSel = 4;
inline constexpr int Message = 5;
inline constexpr int MessageSel = 6;
inline constexpr int Property = 7;
inline constexpr int RootSel = 8;
inline constexpr int Root = 9;
inline constexpr int FieldsGroup = 10;
inline constexpr int Field = 11;
inline constexpr int RecipGroup = 12;
inline constexpr int Recipient = 13;
inline constexpr int Sender = 14;
inline constexpr int AttachGroup = 15;
inline constexpr int Attachment = 16;
inline constexpr int Detail = 32;
}  // namespace img

inline const QString kRootNotLoggedOn = QStringLiteral("MAPI Session - Not Logged On");
inline const QString kRootLoggedOn = QStringLiteral("MAPI Session - Logged On");

// Lines 1 to 4 shared by opening a message and opening one of its recipients:
// the message fetched again by its IDs, then a blank line.
inline void lineGetMessageById(codegen::Code& c, const QString& sMsgID, const QString& sStoreID) {
    c.line(u"'get an object reference to a message by ID");
    c.line(u"'for more info on getting an item by ID, see the ");
    c.line(u"'comments on getting an infostore by ID");
    c.line(u"Set {Message} = {Session}.GetMessage(\"%1\", \"%2\")", {sMsgID, sStoreID}).blank();
}

// What the tree-filling procedures work on: the mailbox tree, the global module
// (session and variable names) and the code window's append. Built from the
// main window in the program; tests may build one over a bare tree.
struct TreeContext {
    ui::TreeView& tree;
    app::MAPIMod& mod;
    std::function<void(const QString&)> appendCode;

    static TreeContext of(app::MAPIForm& form);

    mapi::Ref<mapi::Session>& session() const { return mod.session; }
    codegen::Code newCode() const { return codegen::Code(mod.names); }
    void AppendCode(const codegen::Code& c) const { appendCode(c.text()); }

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
// silently and the caller goes on with the next one.
template <class F>
void skipOnError(F&& step) {
    try {
        step();
    } catch (const mapi::Error&) {
    }
}

}  // namespace browser
