// Adding address entries and showing their details when the library refuses a step.

#include "support/FaultTable.h"

namespace {

#define BOOK "click LogonButton\nchoose ProfileCombo Book\nclick OkButton\n"
#define ADD_ONE                                                                         \
    BOOK "click AddAddrButton\nset NameText \"Cy Cole\"\nset AddrText cy@example.com\n" \
         "set NoteText first\nclick AddListButton\n"
#define DETAILS                                                                                  \
    BOOK "click AddDetailsButton\nanswer OK dee\nchoose AddressList \"Personal Address Book\"\n" \
         "click ActionButton(0)\n"

const faulttable::Case kCases[] = {
    {"ListsUncountable", "addressbook_add_pab", "AddressLists.Count#1=CallFailed",
     ADD_ONE "click AddButton\nset PDLText Team\nclick AddButton\nclick CloseButton\n"},
    {"PabMissing", "addressbook_add_pab", "AddressLists.Item#*=NotFound",
     ADD_ONE "click AddButton\nset PDLText Team\nclick AddButton\nclick CloseButton\n"},
    {"EntryUpdateRefused", "addressbook_add_pab", "AddressEntry.Update#1=DiskError",
     ADD_ONE
     "click AddButton\nset PDLText Team\nclick AddButton\ndump list AddrList\nclick CloseButton\n"},
    {"CommentRefused", "addressbook_add_pab", "Fields.Add#1=CallFailed",
     ADD_ONE "click AddButton\ndump list AddrList\nclick CloseButton\n"},
    {"DetailsListMissing", "addressbook_details", "AddressLists.Item#1=NotFound",
     DETAILS "click OkButton\n"},
    {"DetailsFilterRefused", "addressbook_details", "Fields.Add#1=NoSupport",
     DETAILS "click OkButton\n"},
    {"DetailsDialogFails", "addressbook_details", "AddressEntry.Details#1=CallFailed", DETAILS},
};

}  // namespace

FAULT_TABLE(AddressBook, kCases);
