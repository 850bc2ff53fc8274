#include "browser/FillFolderList.h"

namespace browser {

void FillFolderList(const TreeContext& cx, const mapi::Ref<mapi::Folder>& oRoot,
                    std::int32_t iIndex, bool bShowRoot) {
    mapi::Ref<mapi::Folders> oFolders = oRoot->FoldersOf();

    auto head = cx.newCode();
    head.line(u"'get a reference to the folders collection");
    head.line(bShowRoot ? u"Set {Folders} = {Root}.Folders" : u"Set {Folders} = {Folder}.Folders")
        .blank();
    cx.AppendCode(head);

    mapi::Ref<mapi::Folder> oFolder = oFolders->GetFirst();

    cx.AppendLines(
        uR"(
'move to the first folder
Set {Folder} = {Folders}.GetFirst

)");

    while (oFolder) {
        const QString id = oFolder->ID();
        const QString name = oFolder->Name();
        cx.addChild(iIndex, id, name, img::Folder, img::FolderSel);
        oFolder = oFolders->GetNext();
    }

    cx.AppendLines(
        uR"(
'while we have a valid folder
While Not {Folder} Is Nothing
  debug.print {Folder}.Name
  'get the next item
  Set {Folder} = {Folders}.GetNext
Wend

)");

    oFolder.reset();
    oFolders.reset();
    cx.AppendCode(cx.newCode().line(u"'empty your object references when done!").blank());
}

}  // namespace browser
