#include <limits>
#include <memory>
#include <optional>

#include "browser/TreeController.h"

#include "browser/FillAllFields.h"
#include "browser/FillFolderList.h"
#include "browser/FillFoldersAndMsgs.h"
#include "browser/FillMsgFields.h"
#include "browser/FillRecipientDetails.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"
#include "ui/SlicedWork.h"

namespace browser {

namespace {

constexpr std::size_t kAllMessages = std::numeric_limits<std::size_t>::max();

void openStore(const TreeContext& cx, std::int32_t node) {
    const QString storeId = cx.tree.key(node);
    mapi::Ref<mapi::InfoStore> oStore = cx.session()->GetInfoStore(storeId);

    // Two lines end in a space, written as strings so that it shows.
    auto get = cx.newCode();
    get.lines(
        uR"(
'get a reference to the information store by ID
Set {Store} = {Session}.GetInfoStore("%1")
)",
        {storeId});
    get.line(u"'if you hadn't stored the InfoStore ID value, you could also iterate ");
    get.line(u"'through the collection like we did above, and look for a store by ");
    get.lines(
        uR"(
'name, like If {Stores}.Item({Counter}).Name = MyName Then
'Set {Store} = {Stores}.Item({Counter})

)");
    cx.AppendCode(get);

    mapi::Ref<mapi::Folder> oRoot = oStore->RootFolder();

    cx.AppendLines(
        uR"(
'get a reference to the root folder for the store
Set {Root} = {Store}.RootFolder

)");

    FillFolderList(cx, oRoot, node, true);
}

std::unique_ptr<FolderMessageWalk> openFolder(const TreeContext& cx, std::int32_t node) {
    const QString storeId = GetInfoStoreKey(cx.tree, node);
    mapi::Ref<mapi::InfoStore> oStore = cx.session()->GetInfoStore(storeId);
    mapi::Ref<mapi::Folder> oRoot = oStore->RootFolder();
    return StartFoldersAndMsgs(cx, oRoot, storeId, cx.tree.key(node), node);
}

// The rest of a folder's message walk, run a slice at a time by `later`: the
// node's expansion, or the error box, once the last message has its node.
// The busy pointer stays up until then.
void walkLater(const TreeContext& cx, std::int32_t node, std::unique_ptr<FolderMessageWalk> walk,
               std::unique_ptr<ui::BusyScope> busy, ui::SlicedWork& later) {
    struct State {
        std::unique_ptr<FolderMessageWalk> walk;
        std::unique_ptr<ui::BusyScope> busy;
        std::optional<mapi::Error> error;
    };
    auto st = std::make_shared<State>(State{std::move(walk), std::move(busy), std::nullopt});
    later.start(
        [st](std::size_t messages) {
            try {
                return st->walk->step(messages);
            } catch (const mapi::Error& e) {
                st->error = e;
                return true;
            }
        },
        [st, cx, node] {
            try {
                if (st->error) throw *st->error;
                st->walk->finish();
                cx.tree.setExpanded(node, true);
            } catch (const mapi::Error& e) {
                ui::errorBox(e);
            }
            st->walk.reset();
            st->busy.reset();
        });
}

}  // namespace

void dispatchDoubleClick(const TreeContext& cx, const std::function<void()>& logon,
                         ui::SlicedWork* later) {
    auto busy = std::make_unique<ui::BusyScope>();
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
            case img::Folder: {
                auto walk = openFolder(cx, node);
                const std::size_t first = later ? later->sliceSize() : kAllMessages;
                if (!walk->step(first)) {
                    walkLater(cx, node, std::move(walk), std::move(busy), *later);
                    return;
                }
                walk->finish();
                break;
            }
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
