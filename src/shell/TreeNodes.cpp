#include "shell/TreeNodes.h"

#include "messaging/Error.h"
#include "ui/TreeView.h"

namespace shell {

QString GetInfoStoreKey(ui::TreeView& tree, std::int32_t index) {
    std::int32_t node = tree.parent(index);
    while (true) {
        if (node == 0) mapi::raise(mapi::code::ObjectNotSet);
        if (tree.image(node) == img::Store) return tree.key(node);
        node = tree.parent(node);
    }
}

}  // namespace shell
