#include "browser/SaveAttachment.h"

#include <optional>

#include "messaging/Objects.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"
#include "ui/SafeFileName.h"

namespace browser {

namespace {

// Restores the normal pointer on every way out.
struct NormalPointerOnExit {
    ~NormalPointerOnExit() { ui::setNormalPointer(); }
};

}  // namespace

void SaveAttachment(const TreeContext& cx, QString& lastFileName) {
    ui::TreeView& tree = cx.tree;
    const std::int32_t node = tree.selectedIndex();
    if (node == 0 || tree.image(node) != img::Attachment) {
        ui::msgBox(QStringLiteral("You must select an attachment to save it."), ui::Icon::Critical);
        return;
    }

    NormalPointerOnExit restore;
    try {
        ui::setBusyPointer();
        const std::int32_t msgNode = tree.parent(tree.parent(node));
        if (msgNode == 0) mapi::raise(mapi::code::ObjectNotSet);
        const QString storeId = GetInfoStoreKey(tree, msgNode);
        const QString msgId = tree.key(msgNode);
        const QString name = tree.text(node);

        mapi::Ref<mapi::Message> oMsg = cx.session()->GetMessage(msgId, storeId);
        mapi::Ref<mapi::Attachments> oAtts;
        mapi::Ref<mapi::Attachment> oAtt;
        if (oMsg) oAtts = oMsg->AttachmentsOf();
        if (oAtts) {
            const std::int32_t count = oAtts->Count();
            for (std::int32_t i = 1; i <= count && !oAtt; ++i)
                if (oAtts->Item(i)->Name() == name) oAtt = oAtts->Item(i);
            if (oAtt) {
                ui::setNormalPointer();
                // The name came with the mail: as a suggestion it must not lead
                // the dialog out of the folder it shows.
                const std::optional<QString> file =
                    ui::saveFileName(QStringLiteral("Save Attachment"),
                                     QStringLiteral("All Files (*)"), ui::safeFileName(name));
                if (!file) return;  // cancelled: no file, no code
                lastFileName = *file;
                ui::setBusyPointer();
                oAtt->WriteToFile(lastFileName);
            }
        }

        cx.AppendLines(
            uR"(
'get the message by ID
Set {Message} = {Session}.GetMessage("%1", "%2")

'make sure it's not nothing, then get it's attachments
If Not {Message} Is Nothing Then Set {Attachments} = {Message}.Attachments

'make the attachment collection is something
If Not {Attachments} Is Nothing Then
  'iterate through the attachment collection

  For {Counter} = 1 To {Attachments}.Count
    'check to see if the attachment name matches the one I want to save
    If {Attachments}.Item({Counter}).Name = "%3" Then
      'get a reference to that attachment
      Set {Attachment} = {Attachments}.Item({Counter})
      'we found the attachment so exit the loop
      Exit For
    End If
  Next {Counter}

  'make sure we found that attachment we're looking for
  If Not {Attachment} Is Nothing Then
    'save the attachment
    {Attachment}.WriteToFile "%4"
  End If

End If

'empty your object references when done!

)",
            {msgId, storeId, tree.text(node), lastFileName});
    } catch (const mapi::Error& e) {
        ui::errorBox(e, QStringLiteral("has occurred trying to save an attachment."));
    }
}

}  // namespace browser
