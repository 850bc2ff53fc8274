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
// The tree after opening "Status report": the rows differ only in its recipients.
#define MESSAGE_TREE_HEAD                                      \
    "MAPI Session - Logged On  [image=9]\n"                    \
    "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"               \
    "    Inbox  [key=1001] [image=1]\n"                        \
    "      Projects  [key=1011] [image=1]\n"                   \
    "      Status report  [key=3001] [image=5]\n"              \
    "        Attachments  [image=15]\n"                        \
    "          plan.txt  [image=16]\n"                         \
    "          notes.txt  [image=16]\n"                        \
    "        Conversation Index:  01BE63A0  [image=7]\n"       \
    "        Conversation Topic:  Status report  [image=7]\n"  \
    "        Importance:  2  [image=7]\n"                      \
    "        Sender:  Ann Able  [image=14]\n"                  \
    "        Size:  2048  [image=7]\n"                         \
    "        Subject:  Status report  [image=7]\n"             \
    "        Text:  Line one\\nLine two  [image=7]\n"          \
    "        Time Received:  3/1/1999 9:30:00 AM  [image=7]\n" \
    "        Time Sent:  3/1/1999 9:29:00 AM  [image=7]\n"     \
    "        Type:  IPM.Note  [image=7]\n"                     \
    "        Unread:  True  [image=7]\n"                       \
    "        Recipients  [image=12]\n"
#define MESSAGE_TREE_TAIL               \
    "        All Fields  [image=10]\n"  \
    "        [key=3002] [image=5]\n"    \
    "    Empty  [key=1002] [image=1]\n" \
    "  Public Folders  [key=00B2] [image=3]"

const faulttable::Case kCases[] = {
    {"StoreGone", "browser_drill", "Session.GetInfoStore#1=NotFound",
     LOGON "select MAPITree key=00B1\ndblclick MAPITree\ndump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147221233 - The object could not be found. "
     "[MAPI_E_NOT_FOUND(8004010F)] - has occurred.\n"
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "  Public Folders  [key=00B2] [image=3]"},
    {"FolderRefused", "browser_drill", "Session.GetFolder#1=NoAccess",
     LOGON INBOX "dump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147024891 - You do not have permission to "
     "perform this action. [E_ACCESSDENIED(80070005)] - has occurred.\n"
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "    Empty  [key=1002] [image=1]\n"
     "  Public Folders  [key=00B2] [image=3]"},
    {"MessageWalkBreaks", "browser_drill", "Messages.GetNext#1=CallFailed",
     LOGON INBOX "dump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147467259 - The call failed. "
     "[MAPI_E_CALL_FAILED(80004005)] - has occurred.\n"
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "      Projects  [key=1011] [image=1]\n"
     "      Status report  [key=3001] [image=5]\n"
     "    Empty  [key=1002] [image=1]\n"
     "  Public Folders  [key=00B2] [image=3]"},
    {"SubfolderWalkBreaks", "browser_drill", "Folders.GetNext#1=CallFailed",
     LOGON INBOX "dump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147467259 - The call failed. "
     "[MAPI_E_CALL_FAILED(80004005)] - has occurred.\n"
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "      Projects  [key=1011] [image=1]\n"
     "      Status report  [key=3001] [image=5]\n"
     "        [key=3002] [image=5]\n"
     "  Public Folders  [key=00B2] [image=3]"},
    {"MessageGone", "browser_drill", "Session.GetMessage#1=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n",
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "      Projects  [key=1011] [image=1]\n"
     "      Status report  [key=3001] [image=5]\n"
     "        [key=3002] [image=5]\n"
     "    Empty  [key=1002] [image=1]\n"
     "  Public Folders  [key=00B2] [image=3]"},
    {"NoConversationIndex", "browser_drill", "Message.ConversationIndex#*=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n",
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "      Projects  [key=1011] [image=1]\n"
     "      Status report  [key=3001] [image=5]\n"
     "        Attachments  [image=15]\n"
     "          plan.txt  [image=16]\n"
     "          notes.txt  [image=16]\n"
     "        Conversation Topic:  Status report  [image=7]\n"
     "        Importance:  2  [image=7]\n"
     "        Sender:  Ann Able  [image=14]\n"
     "        Size:  2048  [image=7]\n"
     "        Subject:  Status report  [image=7]\n"
     "        Text:  Line one\\nLine two  [image=7]\n"
     "        Time Received:  3/1/1999 9:30:00 AM  [image=7]\n"
     "        Time Sent:  3/1/1999 9:29:00 AM  [image=7]\n"
     "        Type:  IPM.Note  [image=7]\n"
     "        Unread:  True  [image=7]\n"
     "        Recipients  [image=12]\n"
     "          TO:  Jo Doe  [key=3001#jdoe@example.com] [image=13]\n"
     "          CC:  Team  [key=3001#team@example.com] [image=13]\n"
     "          BCC:  Bo Bell  [key=3001#bo@example.com] [image=13]\n" MESSAGE_TREE_TAIL},
    {"RecipientTypeUnreadable", "browser_drill", "Recipient.Type#2=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n",
     MESSAGE_TREE_HEAD
     "          TO:  Jo Doe  [key=3001#jdoe@example.com] [image=13]\n"
     "          TO:  Team  [key=3001#team@example.com] [image=13]\n"
     "          BCC:  Bo Bell  [key=3001#bo@example.com] [image=13]\n" MESSAGE_TREE_TAIL},
    {"RecipientAddressUnreadable", "browser_drill", "Recipient.Address#1=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n",
     MESSAGE_TREE_HEAD
     "          CC:  Team  [key=3001#team@example.com] [image=13]\n"
     "          CC:  Jo Again  [key=3001#jdoe@example.com] [image=13]\n"
     "          BCC:  Bo Bell  [key=3001#bo@example.com] [image=13]\n" MESSAGE_TREE_TAIL},
    {"AttachmentNameUnreadable", "browser_drill", "Attachment.Name#1=NotFound",
     LOGON MESSAGE "dump tree MAPITree\n",
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "      Projects  [key=1011] [image=1]\n"
     "      Status report  [key=3001] [image=5]\n"
     "        Attachments  [image=15]\n"
     "          notes.txt  [image=16]\n"
     "        Conversation Index:  01BE63A0  [image=7]\n"
     "        Conversation Topic:  Status report  [image=7]\n"
     "        Importance:  2  [image=7]\n"
     "        Sender:  Ann Able  [image=14]\n"
     "        Size:  2048  [image=7]\n"
     "        Subject:  Status report  [image=7]\n"
     "        Text:  Line one\\nLine two  [image=7]\n"
     "        Time Received:  3/1/1999 9:30:00 AM  [image=7]\n"
     "        Time Sent:  3/1/1999 9:29:00 AM  [image=7]\n"
     "        Type:  IPM.Note  [image=7]\n"
     "        Unread:  True  [image=7]\n"
     "        Recipients  [image=12]\n"
     "          TO:  Jo Doe  [key=3001#jdoe@example.com] [image=13]\n"
     "          CC:  Team  [key=3001#team@example.com] [image=13]\n"
     "          BCC:  Bo Bell  [key=3001#bo@example.com] [image=13]\n" MESSAGE_TREE_TAIL},
    {"RecipientDetailsUnreadable", "browser_drill", "Recipient.DisplayType#*=NotFound",
     LOGON MESSAGE
     "select MAPITree key=3001#bo@example.com\ndblclick MAPITree\ndump tree MAPITree\n",

     MESSAGE_TREE_HEAD "          TO:  Jo Doe  [key=3001#jdoe@example.com] [image=13]\n"
                       "          CC:  Team  [key=3001#team@example.com] [image=13]\n"
                       "          BCC:  Bo Bell  [key=3001#bo@example.com] [image=13]\n"
                       "            Address:  bo@example.com  [image=32]\n"
                       "            Display Type:    [image=32]\n"
                       "            Name:  Bo Bell  [image=32]\n"
                       "            Type:  CdoBcc  [image=32]\n" MESSAGE_TREE_TAIL},
    {"FieldsMessageGone", "browser_drill", "Session.GetMessage#2=NotFound",
     LOGON MESSAGE "select MAPITree \"MAPI Session - Logged On\" \"Mailbox - Jo Doe\" \"Inbox\" "
                   "\"Status report\" \"All Fields\"\n"
                   "dblclick MAPITree\n",

     "msgbox critical ok \"Quorvane '99\" There was an error getting field information."},
    {"AttachmentUnwritable", "browser_actions", "Attachment.WriteToFile#1=NoAccess",
     LOGON MESSAGE "tab Functions\n"
                   "select MAPITree \"MAPI Session - Logged On\" \"Mailbox - Jo Doe\" \"Inbox\" "
                   "\"Status report\" \"Attachments\" \"notes.txt\"\n"
                   "click AttachButton\nfile saved-notes.txt\n",

     "filedialog save \"Save Attachment\" All Files (*)\n"
     "msgbox critical ok \"Quorvane '99\" Error #-2147024891 - You do not have permission to "
     "perform this action. [E_ACCESSDENIED(80070005)] - has occurred trying to save an "
     "attachment."},
    {"DeleteRefused", "browser_actions", "Message.Delete#1=NoAccess",
     LOGON INBOX "tab Functions\nselect MAPITree key=3002\nclick DeleteMsgButton\nanswer Yes\ndump "
                 "tree MAPITree\n",

     "msgbox question yesno \"Quorvane '99\" Are you sure you want to delete the message titled "
     "''?\n"
     "msgbox critical ok \"Quorvane '99\" Unable to delete message.\n"
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "    Inbox  [key=1001] [image=1]\n"
     "      Projects  [key=1011] [image=1]\n"
     "      Status report  [key=3001] [image=5]\n"
     "        [key=3002] [image=5]\n"
     "    Empty  [key=1002] [image=1]\n"
     "    Archive  [key=1003] [image=1]\n"
     "    ARCHIVE  [key=1004] [image=1]\n"
     "  Public Folders  [key=00B2] [image=3]"},
};

}  // namespace

FAULT_TABLE(Browser, kCases);
