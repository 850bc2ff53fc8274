// The logon, the logoff and the store listing when the library refuses them.

#include "support/FaultTable.h"

namespace {

#define LOGON                                                                                   \
    "tab \"Logon Properties\"\nclick LogonCheck\nset PNameText Browse\nset PPwdText pw\nclick " \
    "ShowLogCheck\n"                                                                            \
    "click LogonButton\n"

const faulttable::Case kCases[] = {
    {"LogonRefused", "browser_drill", "Session.Logon#1=LogonFailed", LOGON "dump tree MAPITree\n",

     "msgbox critical ok \"Quorvane '99\" Error #-2147221231 - The logon failed. "
     "[MAPI_E_LOGON_FAILED(80040111)] - has occurred.\n"
     "MAPI Session - Not Logged On  [image=9]"},
    {"LogonCancelled", "browser_drill", "Session.Logon#1=UserCancel",
     LOGON "dump tree MAPITree\nclick LogonButton\ndump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147221229 - The user canceled the operation. "
     "[MAPI_E_USER_CANCEL(80040113)] - has occurred.\n"
     "MAPI Session - Not Logged On  [image=9]\n"
     "msgbox critical ok \"Quorvane '99\" You're already logged on; logoff and try again.\n"
     "MAPI Session - Not Logged On  [image=9]"},
    {"LogoffRefused", "browser_drill", "Session.Logoff#*=CallFailed",
     LOGON "click LogoffButton\ndump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" An error has occurred trying to log off.\n"
     "MAPI Session - Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]\n"
     "  Public Folders  [key=00B2] [image=3]"},
    {"InfoStoresRefused", "browser_drill", "Session.InfoStores#1=CallFailed",
     LOGON "dump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147467259 - The call failed. "
     "[MAPI_E_CALL_FAILED(80004005)] - has occurred.\n"
     "MAPI Session - Not Logged On  [image=9]"},
    {"StoreNameUnreadable", "browser_drill", "InfoStore.Name#2=NotFound",
     LOGON "dump tree MAPITree\n",
     "msgbox critical ok \"Quorvane '99\" Error #-2147221233 - The object could not be found. "
     "[MAPI_E_NOT_FOUND(8004010F)] - has occurred.\n"
     "MAPI Session - Not Logged On  [image=9]\n"
     "  Mailbox - Jo Doe  [key=00B1] [image=3]"},
};

}  // namespace

FAULT_TABLE(Session, kCases);
