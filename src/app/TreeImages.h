#pragma once

#include <QIcon>
#include <QPixmap>
#include <memory>
#include <vector>

namespace app {

// The image list shared by MAPITree and VarTree: 32 pictures drawn once at
// start (image N is element N-1). Image 17 is a hand writing with a pencil,
// the mark of a renamable variable node.
std::shared_ptr<const std::vector<QIcon>> treeImages();

inline constexpr int kTreeImageCount = 32;
inline constexpr int kPencilImage = 17;

// Image N as a pixmap of the given size (KeyImage, the About picture).
QPixmap treeImagePixmap(int image, int size);

}  // namespace app
