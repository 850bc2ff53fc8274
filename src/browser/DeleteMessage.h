#pragma once

#include "browser/TreeContext.h"

namespace browser {

// Deletes the message selected in the tree after a Yes/No question and
// appends the deletion code (also after No or a failure). The tree keeps the
// deleted message's node.
void DeleteMessage(const TreeContext& cx);

}  // namespace browser
