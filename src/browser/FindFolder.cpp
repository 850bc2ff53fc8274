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
            auto s = cx.newCode();
            s.line(u"'find an information-store-level folder");
            s.line(u"'get a reference to the store");
            s.line(u"Set {Store} = {Session}.GetInfoStore(\"%1\")", {tree.key(scope)});
            s.line(u"'get the root folder of the information store");
            s.line(u"Set {Folder} = {Store}.RootFolder");
            s.line(u"'get the folder collection of the root folder");
            s.line(u"Set {Folders} = {Folder}.Folders").blank();
            cx.AppendCode(s);
        } else {
            const QString storeId = GetInfoStoreKey(tree, scope);
            mapi::Ref<mapi::Folder> oFolder = cx.session()->GetFolder(tree.key(scope), storeId);
            oFolders = oFolder->FoldersOf();
            auto f = cx.newCode();
            f.line(u"'find a folder-level subfolder");
            f.line(u"'get a reference to the folder by ID");
            f.line(u"Set {Folder} = {Session}.GetFolder(\"%1\", \"%2\")",
                   {tree.key(scope), storeId});
            f.line(u"'get a reference to its folders");
            f.line(u"Set {Folders} = {Folder}.Folders").blank();
            cx.AppendCode(f);
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

    auto w = cx.newCode();
    w.line(u"'iterate through the folders collection");
    w.line(u"If Not {Folders} Is Nothing Then");
    w.line(u"  'move to the first folder");
    w.line(u"  Set {Folder} = {Folders}.GetFirst");
    w.line(u"  'as long as there is a valid folder");
    w.line(u"  While Not {Folder} Is Nothing");
    w.line(
        u"    'do a non-case-sensitive comparison to see if the folder name is the one we're "
        u"looking for");
    w.line(u"    If UCase({Folder}.Name) = UCase(MyFolderNameVar) Then");
    w.line(u"      'code for finding a match");
    w.line(u"    End If");
    w.line(u"    'move to the next folder");
    w.line(u"    Set {Folder} = {Folders}.GetNext");
    w.line(u"  Wend");
    w.line(u"End If").blank();
    w.line(u"'empty your object references when done!").blank();
    cx.AppendCode(w);
}

}  // namespace browser
