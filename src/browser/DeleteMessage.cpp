#include "browser/DeleteMessage.h"

#include "messaging/Objects.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"

namespace browser {

void DeleteMessage(const TreeContext& cx) {
    ui::TreeView& tree = cx.tree;
    const std::int32_t node = tree.selectedIndex();
    if (node == 0 || tree.image(node) != img::Message) {
        ui::msgBox(QStringLiteral("You must select a message to delete it."), ui::Icon::Critical);
        return;
    }

    const ui::Answer answer =
        ui::msgBox(QStringLiteral("Are you sure you want to delete the message titled '") +
                       tree.text(node) + QStringLiteral("'?"),
                   ui::Icon::Question, ui::Buttons::YesNo);

    QString storeId;
    if (answer == ui::Answer::Yes) {
        try {
            {
                ui::BusyScope busy;
                storeId = GetInfoStoreKey(tree, node);
                mapi::Ref<mapi::Message> oMsg = cx.session()->GetMessage(tree.key(node), storeId);
                oMsg->Delete();
            }
            ui::msgBox(
                QStringLiteral(
                    "The message has been deleted.  To update the display, logoff then log back "
                    "on again."),
                ui::Icon::Information);
        } catch (const mapi::Error& e) {
            ui::failureBox(QStringLiteral("Unable to delete message."), e);
        }
    } else {
        // Nothing is deleted, but the code still names the message's real store.
        try {
            storeId = GetInfoStoreKey(tree, node);
        } catch (const mapi::Error&) {
        }
    }

    cx.AppendLines(
        uR"(
'get an reference to the message by ID
Set {Message} = {Session}.GetMessage("%1", "%2")
'delete the message
{Message}.Delete

'empty your object references when done!

)",
        {tree.key(node), storeId});
}

}  // namespace browser
