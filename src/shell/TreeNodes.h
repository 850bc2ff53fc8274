#pragma once

#include <QString>
#include <cstdint>

namespace ui {
class TreeView;
}

namespace browser {

// The key (store ID) of the nearest information-store node above the node
// `index`, never looking at the node itself. A node with no store above it
// fails with error 91, as reaching past the top of the tree does.
QString GetInfoStoreKey(ui::TreeView& tree, std::int32_t index);

}  // namespace browser
