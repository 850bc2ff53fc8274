#pragma once

#include <QString>

#include "browser/TreeContext.h"

namespace browser {

// Saves the attachment selected in the tree to a file picked in the save
// dialog and appends the code that does the same. `lastFileName` is the file
// name the dialog holds from its last use; it is updated when the user picks
// one. Cancel in the dialog ends the action without a file or code.
void SaveAttachment(const TreeContext& cx, QString& lastFileName);

}  // namespace browser
