#include "browser/TreeController.h"

#include "browser/FillAllFields.h"
#include "browser/FillFolderList.h"
#include "browser/FillFoldersAndMsgs.h"
#include "browser/FillMsgFields.h"
#include "browser/FillRecipientDetails.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"

namespace browser {

namespace {

void openStore(const TreeContext& cx, std::int32_t node) {
    const QString storeId = cx.tree.key(node);
    mapi::Ref<mapi::InfoStore> oStore = cx.session()->GetInfoStore(storeId);

    auto get = cx.newCode();
    get.line(u"'get a reference to the information store by ID");
    get.line(u"Set {Store} = {Session}.GetInfoStore(\"%1\")", {storeId});
    get.line(u"'if you hadn't stored the InfoStore ID value, you could also iterate ");
    get.line(u"'through the collection like we did above, and look for a store by ");
    get.line(u"'name, like If {Stores}.Item({Counter}).Name = MyName Then");
    get.line(u"'Set {Store} = {Stores}.Item({Counter})").blank();
    cx.AppendCode(get);

    mapi::Ref<mapi::Folder> oRoot = oStore->RootFolder();

    auto root = cx.newCode();
    root.line(u"'get a reference to the root folder for the store");
    root.line(u"Set {Root} = {Store}.RootFolder").blank();
    cx.AppendCode(root);

    FillFolderList(cx, oRoot, node, true);
}

void openFolder(const TreeContext& cx, std::int32_t node) {
    const QString storeId = GetInfoStoreKey(cx.tree, node);
    mapi::Ref<mapi::InfoStore> oStore = cx.session()->GetInfoStore(storeId);
    mapi::Ref<mapi::Folder> oRoot = oStore->RootFolder();
    FillFoldersAndMsgs(cx, oRoot, storeId, cx.tree.key(node), node);
}

}  // namespace

void dispatchDoubleClick(const TreeContext& cx, const std::function<void()>& logon) {
    ui::BusyScope busy;
    try {
        ui::TreeView& tree = cx.tree;
        const std::int32_t node = tree.selectedIndex();
        // No selected node: the same failure as reading a property of Nothing.
        if (node == 0) mapi::raise(mapi::code::ObjectNotSet);

        const int image = tree.image(node);
        if (image == img::Root) {
            logon();
            return;
        }
        const bool opensSomething = image == img::Store || image == img::Folder ||
                                    image == img::Message || image == img::FieldsGroup ||
                                    image == img::Recipient;
        // A node is opened only once.
        if (!opensSomething || tree.childCount(node) > 0) return;

        switch (image) {
            case img::Store:
                openStore(cx, node);
                break;
            case img::Folder:
                openFolder(cx, node);
                break;
            case img::Message:
                FillMsgFields(cx, GetInfoStoreKey(tree, node), tree.key(node), node);
                break;
            case img::FieldsGroup:
                FillAllFields(cx, GetInfoStoreKey(tree, node), tree.key(tree.parent(node)), node);
                break;
            case img::Recipient:
                FillRecipientDetails(cx, tree.key(tree.parent(tree.parent(node))),
                                     GetInfoStoreKey(tree, node), tree.key(node), node);
                break;
            default:
                break;
        }
        tree.setExpanded(node, true);
    } catch (const mapi::Error& e) {
        ui::errorBox(e);
    }
}

}  // namespace browser
