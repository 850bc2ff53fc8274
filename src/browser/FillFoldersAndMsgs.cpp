#include "browser/FillFoldersAndMsgs.h"

#include "browser/FillFolderList.h"

namespace browser {

FolderMessageWalk::FolderMessageWalk(const TreeContext& cx, mapi::Ref<mapi::Folder> folder,
                                     std::int32_t node)
    : cx_(cx), oFolder_(std::move(folder)), node_(node) {
    if (oFolder_) {
        oMsgs_ = oFolder_->MessagesOf();
        if (oMsgs_) more_ = oMsgs_->nextHeading(true, id_, subject_);
    }
}

bool FolderMessageWalk::step(std::size_t messages) {
    for (std::size_t n = 0; more_ && n < messages; ++n) {
        cx_.addChild(node_, id_, subject_, img::Message, img::MessageSel);
        more_ = oMsgs_->nextHeading(false, id_, subject_);
    }
    return !more_;
}

void FolderMessageWalk::finish() {
    cx_.AppendLines(
        uR"(
'make sure there's some folders there
If Not {Folder} Is Nothing Then

  'get a reference to the messages collection
  Set {Messages} = {Folder}.Messages

  'make sure we have some messages
  If Not {Messages} Is Nothing Then
    'move to the first message
    Set {Message} = {Messages}.GetFirst

    'while we have some messages
    While Not {Message} Is Nothing
      debug.print {Message}.Subject
      'get the next item
      Set {Message} = {Messages}.GetNext
    Wend
  End If
End If

)");

    oFolder_.reset();
    oMsgs_.reset();
    cx_.AppendCode(cx_.newCode().line(u"'empty your object references when done!").blank());
}

std::unique_ptr<FolderMessageWalk> StartFoldersAndMsgs(const TreeContext& cx,
                                                       const mapi::Ref<mapi::Folder>& /*oRoot*/,
                                                       const QString& sStoreID,
                                                       const QString& sFolderID,
                                                       std::int32_t iIndex) {
    mapi::Ref<mapi::Folder> oFolder = cx.session()->GetFolder(sFolderID, sStoreID);

    cx.AppendLines(
        uR"(
'get an object reference to the folder by ID so we
'can get its list of subfolders; for more info on
'getting items by ID, see the comments on getting a infostore by ID
Set {Folder} = {Session}.GetFolder("%1", "%2")

)",
        {sFolderID, sStoreID});

    FillFolderList(cx, oFolder, iIndex, false);

    cx.AppendLines(
        uR"(
'get a reference to the folder again to get its message collection
Set {Folder} = {Session}.GetFolder("%1", "%2")

)",
        {sFolderID, sStoreID});

    return std::make_unique<FolderMessageWalk>(cx, std::move(oFolder), iIndex);
}

}  // namespace browser
