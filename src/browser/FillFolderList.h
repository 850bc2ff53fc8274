#pragma once

#include <cstdint>

#include "browser/TreeContext.h"
#include "messaging/Objects.h"

namespace browser {

// Adds one folder node per immediate subfolder of oRoot under the node iIndex
// and appends the folder-walk lines. bShowRoot only picks the variable the
// code reads the folders from ({Root} for a store's root folder, else
// {Folder}). Errors pass to the caller.
void FillFolderList(const TreeContext& cx, const mapi::Ref<mapi::Folder>& oRoot,
                    std::int32_t iIndex, bool bShowRoot);

}  // namespace browser
