#include "browser/FillFoldersAndMsgs.h"

#include "browser/FillFolderList.h"

namespace browser {

namespace {

constexpr char16_t kGetFolder[] = u"Set {Folder} = {Session}.GetFolder(\"%1\", \"%2\")";

}  // namespace

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
    auto walk = cx_.newCode();
    walk.line(u"'make sure there's some folders there");
    walk.line(u"If Not {Folder} Is Nothing Then").blank();
    walk.line(u"  'get a reference to the messages collection");
    walk.line(u"  Set {Messages} = {Folder}.Messages").blank();
    walk.line(u"  'make sure we have some messages");
    walk.line(u"  If Not {Messages} Is Nothing Then");
    walk.line(u"    'move to the first message");
    walk.line(u"    Set {Message} = {Messages}.GetFirst").blank();
    walk.line(u"    'while we have some messages");
    walk.line(u"    While Not {Message} Is Nothing");
    walk.line(u"      debug.print {Message}.Subject");
    walk.line(u"      'get the next item");
    walk.line(u"      Set {Message} = {Messages}.GetNext");
    walk.line(u"    Wend");
    walk.line(u"  End If");
    walk.line(u"End If").blank();
    cx_.AppendCode(walk);

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

    auto open = cx.newCode();
    open.line(u"'get an object reference to the folder by ID so we");
    open.line(u"'can get its list of subfolders; for more info on");
    open.line(u"'getting items by ID, see the comments on getting a infostore by ID");
    open.line(kGetFolder, {sFolderID, sStoreID}).blank();
    cx.AppendCode(open);

    FillFolderList(cx, oFolder, iIndex, false);

    auto again = cx.newCode();
    again.line(u"'get a reference to the folder again to get its message collection");
    again.line(kGetFolder, {sFolderID, sStoreID}).blank();
    cx.AppendCode(again);

    return std::make_unique<FolderMessageWalk>(cx, std::move(oFolder), iIndex);
}

}  // namespace browser
