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

    auto first = cx.newCode();
    first.line(u"'move to the first folder");
    first.line(u"Set {Folder} = {Folders}.GetFirst").blank();
    cx.AppendCode(first);

    while (oFolder) {
        const QString id = oFolder->ID();
        const QString name = oFolder->Name();
        cx.addChild(iIndex, id, name, img::Folder, img::FolderSel);
        oFolder = oFolders->GetNext();
    }

    auto walk = cx.newCode();
    walk.line(u"'while we have a valid folder");
    walk.line(u"While Not {Folder} Is Nothing");
    walk.line(u"  debug.print {Folder}.Name");
    walk.line(u"  'get the next item");
    walk.line(u"  Set {Folder} = {Folders}.GetNext");
    walk.line(u"Wend").blank();
    cx.AppendCode(walk);

    oFolder.reset();
    oFolders.reset();
    cx.AppendCode(cx.newCode().line(u"'empty your object references when done!").blank());
}

}  // namespace browser
