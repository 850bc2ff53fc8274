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

        auto c = cx.newCode();
        c.line(u"'get the message by ID");
        c.line(u"Set {Message} = {Session}.GetMessage(\"%1\", \"%2\")", {msgId, storeId}).blank();
        c.line(u"'make sure it's not nothing, then get it's attachments");
        c.line(u"If Not {Message} Is Nothing Then Set {Attachments} = {Message}.Attachments")
            .blank();
        c.line(u"'make the attachment collection is something");
        c.line(u"If Not {Attachments} Is Nothing Then");
        c.line(u"  'iterate through the attachment collection").blank();
        c.line(u"  For {Counter} = 1 To {Attachments}.Count");
        c.line(u"    'check to see if the attachment name matches the one I want to save");
        c.line(u"    If {Attachments}.Item({Counter}).Name = \"%1\" Then", {tree.text(node)});
        c.line(u"      'get a reference to that attachment");
        c.line(u"      Set {Attachment} = {Attachments}.Item({Counter})");
        c.line(u"      'we found the attachment so exit the loop");
        c.line(u"      Exit For");
        c.line(u"    End If");
        c.line(u"  Next {Counter}").blank();
        c.line(u"  'make sure we found that attachment we're looking for");
        c.line(u"  If Not {Attachment} Is Nothing Then");
        c.line(u"    'save the attachment");
        c.line(u"    {Attachment}.WriteToFile \"%1\"", {lastFileName});
        c.line(u"  End If").blank();
        c.line(u"End If").blank();
        c.line(u"'empty your object references when done!").blank();
        cx.AppendCode(c);
    } catch (const mapi::Error& e) {
        ui::errorBox(e, QStringLiteral("has occurred trying to save an attachment."));
    }
}

}  // namespace browser
