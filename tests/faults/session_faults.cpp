// The logon, the logoff and the store listing when the library refuses them.

#include "support/FaultTable.h"

namespace {

#define LOGON                                                                                   \
    "tab \"Logon Properties\"\nclick LogonCheck\nset PNameText Browse\nset PPwdText pw\nclick " \
    "ShowLogCheck\n"                                                                            \
    "click LogonButton\n"

const faulttable::Case kCases[] = {
    {"LogonRefused", "browser_drill", "Session.Logon#1=LogonFailed", LOGON "dump tree MAPITree\n"},
    {"LogonCancelled", "browser_drill", "Session.Logon#1=UserCancel",
     LOGON "dump tree MAPITree\nclick LogonButton\ndump tree MAPITree\n"},
    {"LogoffRefused", "browser_drill", "Session.Logoff#*=CallFailed",
     LOGON "click LogoffButton\ndump tree MAPITree\n"},
    {"InfoStoresRefused", "browser_drill", "Session.InfoStores#1=CallFailed",
     LOGON "dump tree MAPITree\n"},
    {"StoreNameUnreadable", "browser_drill", "InfoStore.Name#2=NotFound",
     LOGON "dump tree MAPITree\n"},
};

}  // namespace

FAULT_TABLE(Session, kCases);
