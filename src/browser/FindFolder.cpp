#include "browser/FindFolder.h"

#include "messaging/Objects.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"

namespace browser {

void FindFolder(const TreeContext& cx, const QString& folderName) {
    ui::TreeView& tree = cx.tree;
    // With no node selected even the first check fails (a call on Nothing),
    // which lands on the error path below rather than on either refusal.
    const bool anySelected = tree.selectedIndex() != 0;
    if (anySelected && tree.selectedIndex() == 1) {
        ui::msgBox(
            QStringLiteral(
                "You must select the information store or folder in which you want to search "
                "for your folder name."),
            ui::Icon::Critical);
        return;
    }
    if (anySelected && folderName.isEmpty()) {
        ui::msgBox(QStringLiteral("You must enter a folder name for which to look."),
                   ui::Icon::Critical);
        return;
    }

    ui::BusyScope busy;
    QString result;
    try {
        std::int32_t scope = tree.selectedIndex();
        while (true) {
            // Nothing selected, or nothing above: the same failure as a call on Nothing.
            if (scope == 0) mapi::raise(mapi::code::ObjectNotSet);
            const int image = tree.image(scope);
            if (image == img::Store || image == img::Folder) break;
            scope = tree.parent(scope);
        }

        mapi::Ref<mapi::Folders> oFolders;
        if (tree.image(scope) == img::Store) {
            // The store is found by the node's name; the code names it by its ID.
            mapi::Ref<mapi::InfoStore> oStore =
                cx.session()->InfoStoresOf()->ItemByName(tree.text(scope));
            mapi::Ref<mapi::Folder> oRoot = oStore->RootFolder();
            oFolders = oRoot->FoldersOf();
            cx.AppendLines(
                uR"(
'find an information-store-level folder
'get a reference to the store
Set {Store} = {Session}.GetInfoStore("%1")
'get the root folder of the information store
Set {Folder} = {Store}.RootFolder
'get the folder collection of the root folder
Set {Folders} = {Folder}.Folders

)",
                {tree.key(scope)});
        } else {
            const QString storeId = GetInfoStoreKey(tree, scope);
            mapi::Ref<mapi::Folder> oFolder = cx.session()->GetFolder(tree.key(scope), storeId);
            oFolders = oFolder->FoldersOf();
            cx.AppendLines(
                uR"(
'find a folder-level subfolder
'get a reference to the folder by ID
Set {Folder} = {Session}.GetFolder("%1", "%2")
'get a reference to its folders
Set {Folders} = {Folder}.Folders

)",
                {tree.key(scope), storeId});
        }

        if (oFolders) {
            const QString wanted = folderName.toUpper();
            for (mapi::Ref<mapi::Folder> f = oFolders->GetFirst(); f; f = oFolders->GetNext()) {
                if (f->Name().toUpper() == wanted)
                    result +=
                        folderName + QStringLiteral(" - FolderID=") + f->ID() + codegen::kCrLf;
            }
        }

        if (!result.isEmpty())
            ui::msgBox(result, ui::Icon::Information);
        else
            ui::msgBox(
                QStringLiteral(
                    "There are no folders found in the current information store or folder."),
                ui::Icon::Information);
    } catch (const mapi::Error& e) {
        ui::failureBox(QStringLiteral("An error has occurred trying to find your folder."), e);
    }

    cx.AppendLines(
        uR"(
'iterate through the folders collection
If Not {Folders} Is Nothing Then
  'move to the first folder
  Set {Folder} = {Folders}.GetFirst
  'as long as there is a valid folder
  While Not {Folder} Is Nothing
    'do a non-case-sensitive comparison to see if the folder name is the one we're looking for
    If UCase({Folder}.Name) = UCase(MyFolderNameVar) Then
      'code for finding a match
    End If
    'move to the next folder
    Set {Folder} = {Folders}.GetNext
  Wend
End If

'empty your object references when done!

)");
}

}  // namespace browser
