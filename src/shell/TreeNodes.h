#pragma once

// What the mailbox tree's nodes mean to every feature: a node's kind is told
// by its image, and an information store's ID is its node's key.

#include <QString>
#include <cstdint>

namespace ui {
class TreeView;
}

namespace shell {

// Node images of MAPITree.
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

// The key (store ID) of the nearest information-store node above the node
// `index`, never looking at the node itself. A node with no store above it
// fails with error 91, as reaching past the top of the tree does.
QString GetInfoStoreKey(ui::TreeView& tree, std::int32_t index);

}  // namespace shell
