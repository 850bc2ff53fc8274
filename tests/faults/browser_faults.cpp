// Drilling into stores, folders and messages when a member of the library fails.

#include "support/FaultTable.h"

namespace {

#define LOGON                                                                                   \
    "tab \"Logon Properties\"\nclick LogonCheck\nset PNameText Browse\nset PPwdText pw\nclick " \
    "ShowLogCheck\n"                                                                            \
    "click LogonButton\n"
#define INBOX \
    "select MAPITree key=00B1\ndblclick MAPITree\nselect MAPITree key=1001\ndblclick MAPITree\n"
#define MESSAGE INBOX "select MAPITree key=3001\ndblclick MAPITree\n"
const faulttable::Case kCases[] = {
    {"StoreGone", "browser_drill", "Session.GetInfoStore#1=NotFound",
     LOGON "select MAPITree key=00B1\ndblclick MAPITree\ndump tree MAPITree\n"},
    {"FolderRefused", "browser_drill", "Session.GetFolder#1=NoAccess",
     LOGON INBOX "dump tree MAPITree\n"},
    {"MessageWalkBreaks", "browser_drill", "Messages.GetNext#1=CallFailed",
     LOGON INBOX "dump tree MAPITree\n"},
    {"SubfolderWalkBreaks", "browser_drill", "Folders.GetNext#1=CallFailed",
     LOGON INBOX "dump tree MAPITree\n"},
    {"MessageGone", "browser_drill", "Session.GetMessage#1=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n"},
    {"NoConversationIndex", "browser_drill", "Message.ConversationIndex#*=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n"},
    // A lost mail server is no missing property: the message is not shown as
    // complete without its text, the dispatch reports the error.
    {"TextServerGone", "browser_drill", "Message.Text#1=NetworkError",
     LOGON MESSAGE "dump tree MAPITree\n"},
    {"RecipientTypeUnreadable", "browser_drill", "Recipient.Type#2=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n"},
    {"RecipientAddressUnreadable", "browser_drill", "Recipient.Address#1=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n"},
    {"AttachmentNameUnreadable", "browser_drill", "Attachment.Name#1=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n"},
    {"RecipientDetailsUnreadable", "browser_drill", "Recipient.DisplayType#*=NotFound",
     LOGON MESSAGE
     "select MAPITree key=3001#bo@example.com\ndblclick MAPITree\ndump tree MAPITree\n"},
    {"FieldsMessageGone", "browser_drill", "Session.GetMessage#2=NotFound",
     LOGON MESSAGE "select MAPITree \"MAPI Session - Logged On\" \"Mailbox - Jo Doe\" \"Inbox\" "
                   "\"Status report\" \"All Fields\"\n"
                   "dblclick MAPITree\n"},
    {"FieldsServerGone", "browser_drill", "Message.Fields#1=NetworkError",
     LOGON MESSAGE "select MAPITree \"MAPI Session - Logged On\" \"Mailbox - Jo Doe\" \"Inbox\" "
                   "\"Status report\" \"All Fields\"\n"
                   "dblclick MAPITree\n"},
    {"AttachmentUnwritable", "browser_actions", "Attachment.WriteToFile#1=NoAccess",
     LOGON MESSAGE "tab Functions\n"
                   "select MAPITree \"MAPI Session - Logged On\" \"Mailbox - Jo Doe\" \"Inbox\" "
                   "\"Status report\" \"Attachments\" \"notes.txt\"\n"
                   "click AttachButton\nfile saved-notes.txt\n"},
    {"DeleteRefused", "browser_actions", "Message.Delete#1=NoAccess",
     LOGON INBOX "tab Functions\nselect MAPITree key=3002\nclick DeleteMsgButton\nanswer Yes\ndump "
                 "tree MAPITree\n"},
    // The fixed sentence alone would not say that the server was out of reach.
    {"DeleteServerGone", "browser_actions", "Message.Delete#1=NetworkError",
     LOGON INBOX "tab Functions\nselect MAPITree key=3002\nclick DeleteMsgButton\nanswer Yes\n"},
};

}  // namespace

FAULT_TABLE(Browser, kCases);
