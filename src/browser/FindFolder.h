#pragma once

#include <QString>

#include "browser/TreeContext.h"

namespace browser {

// Looks for `folderName` (any case) among the immediate subfolders of the
// store or folder selected in the tree (or the nearest one above the
// selection), reports the matches and appends the search code.
void FindFolder(const TreeContext& cx, const QString& folderName);

}  // namespace browser
