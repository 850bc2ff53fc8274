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
     "click AddressButton\ndump list RecipList(1)\n"},
    {"RecipientTypeLost", "compose_send", "Recipient.Type#2=CallFailed",
     COMPOSE "dump list RecipList(1)\ndump list RecipList(2)\n"},
    {"OutboxRefused", "compose_send", "Session.Outbox#1=NoAccess",
     "click LogonButton\nchoose ProfileCombo Compose\nclick OkButton\nclick SendButton\n"},
    {"AddRefused", "compose_send", "Messages.Add#1=NoAccess",
     "click LogonButton\nchoose ProfileCombo Compose\nclick OkButton\nclick SendButton\n"},
    // The first recipient that does not resolve ends the send: the message is
    // never saved, so the Outbox holds only what it held.
    {"ResolveFails", "compose_send", "Recipient.Resolve#1=NotFound",
     COMPOSE "click SendButton\ndump control MAPIForm/SendButton\n"
             "select MAPIForm/MAPITree \"MAPI Session - Logged On\" \"Mailbox - Compose\"\n"
             "dblclick MAPIForm/MAPITree\n"
             "select MAPIForm/MAPITree \"MAPI Session - Logged On\" \"Mailbox - Compose\" Outbox\n"
             "dblclick MAPIForm/MAPITree\ndump tree MAPIForm/MAPITree\n"},
    {"UpdateRefused", "compose_send", "Message.Update#1=NoAccess",
     COMPOSE "click SendButton\ndump control MAPIForm/SendButton\n"},
    {"UpdateServerGone", "compose_send", "Message.Update#1=NetworkError",
     COMPOSE "click SendButton\ndump control MAPIForm/SendButton\n"},
    {"AttachmentUnreadable", "compose_send", "Attachment.ReadFromFile#1=NotFound",
     COMPOSE "click AttachButton\nfile " SCENARIOS_DIR
             "/compose_send/fixture.json\nclick SendButton\n"},
};

}  // namespace

FAULT_TABLE(Compose, kCases);
