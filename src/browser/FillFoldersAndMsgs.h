#pragma once

#include <QString>
#include <cstdint>

#include "browser/TreeContext.h"
#include "messaging/Objects.h"

namespace browser {

// Opens a folder node: fetches the folder by sFolderID and sStoreID, adds its
// subfolders (FillFolderList) and then one node per message under the node
// iIndex, appending the whole folder and message walk. oRoot (the store's root
// folder) is accepted for the caller's sake and not consulted. Errors pass to
// the caller.
void FillFoldersAndMsgs(const TreeContext& cx, const mapi::Ref<mapi::Folder>& oRoot,
                        const QString& sStoreID, const QString& sFolderID, std::int32_t iIndex);

}  // namespace browser
