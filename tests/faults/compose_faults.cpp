// Composing and sending when the library refuses a step.

#include "support/FaultTable.h"

namespace {

#define COMPOSE                                                                          \
    "click LogonButton\nchoose ProfileCombo Compose\nclick OkButton\nclick SendButton\n" \
    "click AddressButton\nchoose AddressListCombo \"Global Address List\"\n"             \
    "choose EntryList \"Ann Able\"\nclick ToButton\nchoose EntryList \"Bob Baker\"\n"    \
    "click CcButton\nclick OkButton\nset SubjectText Hello\nset MsgText x\n"

const faulttable::Case kCases[] = {
    {"AddressBookRefused", "compose_send", "Session.AddressBook#1=CallFailed",
     "click LogonButton\nchoose ProfileCombo Compose\nclick OkButton\nclick SendButton\n"
     "click AddressButton\ndump list RecipList(1)\n",

     ""},
    {"RecipientTypeLost", "compose_send", "Recipient.Type#2=CallFailed",
     COMPOSE "dump list RecipList(1)\ndump list RecipList(2)\n", "Ann Able"},
    {"OutboxRefused", "compose_send", "Session.Outbox#1=NoAccess",
     "click LogonButton\nchoose ProfileCombo Compose\nclick OkButton\nclick SendButton\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147024891 - You do not have permission to "
     "perform this action. [E_ACCESSDENIED(80070005)] - has occurred."},
    {"AddRefused", "compose_send", "Messages.Add#1=NoAccess",
     "click LogonButton\nchoose ProfileCombo Compose\nclick OkButton\nclick SendButton\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147024891 - You do not have permission to "
     "perform this action. [E_ACCESSDENIED(80070005)] - has occurred."},
    // The first recipient that does not resolve ends the send: the message is
    // never saved, so the Outbox holds only what it held.
    {"ResolveFails", "compose_send", "Recipient.Resolve#1=NotFound",
     COMPOSE "click SendButton\ndump control MAPIForm/SendButton\n"
             "select MAPIForm/MAPITree \"MAPI Session - Logged On\" \"Mailbox - Compose\"\n"
             "dblclick MAPIForm/MAPITree\n"
             "select MAPIForm/MAPITree \"MAPI Session - Logged On\" \"Mailbox - Compose\" Outbox\n"
             "dblclick MAPIForm/MAPITree\ndump tree MAPIForm/MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" An error has occurred sending the message.\n"
     "MAPIForm/SendButton visible=1 enabled=1 checked=0 text=\"Send Message\"\n"
     "MAPI Session - Logged On  [image=9]\n  Mailbox - Compose  [key=00A1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n    Outbox  [key=1002] [image=1]\n"
     "      Already queued  [key=3002] [image=5]"},
    {"UpdateRefused", "compose_send", "Message.Update#1=NoAccess",
     COMPOSE "click SendButton\ndump control MAPIForm/SendButton\n",
     "msgbox critical ok \"Quorvane '99\" An error has occurred sending the message.\n"
     "MAPIForm/SendButton visible=1 enabled=1 checked=0 text=\"Send Message\""},
    {"AttachmentUnreadable", "compose_send", "Attachment.ReadFromFile#1=NotFound",
     COMPOSE "click AttachButton\nfile " SCENARIOS_DIR
             "/compose_send/fixture.json\nclick SendButton\n",

     "filedialog open \"Add Attachment\" All Files (*)\n"
     "msgbox critical ok \"Quorvane '99\" An error has occurred sending the message."},
};

}  // namespace

FAULT_TABLE(Compose, kCases);
