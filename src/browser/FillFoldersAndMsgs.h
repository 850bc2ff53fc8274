#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "browser/TreeContext.h"
#include "messaging/Objects.h"

namespace browser {

// The message part of opening a folder: one node per message under the
// folder's node, then the walk's code. A big folder's walk may run a slice
// at a time; nothing else may touch the tree or the code window meanwhile.
class FolderMessageWalk {
  public:
    // Fetches the folder's messages and the first of them.
    FolderMessageWalk(const TreeContext& cx, mapi::Ref<mapi::Folder> folder, std::int32_t node);

    // Adds the nodes of up to `messages` more messages; true once the last
    // message has its node. Errors pass to the caller, the nodes added so
    // far staying in the tree.
    bool step(std::size_t messages);
    // Appends the walk's code and lets go of the references.
    void finish();

  private:
    TreeContext cx_;
    mapi::Ref<mapi::Folder> oFolder_;
    mapi::Ref<mapi::Messages> oMsgs_;
    std::int32_t node_;
    // The message whose node comes next, while there is one.
    bool more_ = false;
    QString id_;
    QString subject_;
};

// Opens a folder node: fetches the folder by sFolderID and sStoreID, adds its
// subfolders (FillFolderList) and appends the code so far; the returned walk
// adds the messages under the node iIndex. oRoot (the store's root folder) is
// accepted for the caller's sake and not consulted. Errors pass to the caller.
std::unique_ptr<FolderMessageWalk> StartFoldersAndMsgs(const TreeContext& cx,
                                                       const mapi::Ref<mapi::Folder>& oRoot,
                                                       const QString& sStoreID,
                                                       const QString& sFolderID,
                                                       std::int32_t iIndex);

}  // namespace browser
