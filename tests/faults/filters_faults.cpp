// Filtering messages and address entries when the library refuses a step.

#include "support/FaultTable.h"

namespace {

#define FILT                                                                                  \
    "click LogonButton\nchoose ProfileCombo Filt\nclick OkButton\nselect MAPITree key=00B1\n" \
    "dblclick MAPITree\nselect MAPITree key=1001\n"
#define BY_SUBJECT "choose FilterCombo Subject\nset ValueText Budget\nclick AddFilterButton\n"

const faulttable::Case kCases[] = {
    {"FilterRefused", "filters_messages", "Messages.Filter#1=NoSupport",
     FILT BY_SUBJECT "click FilterButton\ndump list FilterList\n",
     "msgbox critical ok \"Quorvane '99\" An error has occured.  Error #-2147221246 - The "
     "operation is not supported. [MAPI_E_NO_SUPPORT(80040102)].\n"
     "Subject\tvbString\tBudget\t"},
    {"ConditionRejected", "filters_messages", "Filter.Subject#1=InvalidParameter",
     FILT BY_SUBJECT "click FilterButton\ndump list FilterList\n",
     "msgbox information ok \"Quorvane '99\" Time Rec'd:  3/1/1999 9:30:00 AM\\tFrom:  Ann "
     "Able\\tSubject:  Budget 1999\\nTime Rec'd:  3/2/1999 4:05:00 PM\\tFrom:  Bob "
     "Baker\\tSubject:  Re: Budget\\nTime Rec'd:  3/31/1999 11:59:00 PM\\tFrom:  Cy "
     "Cole\\tSubject:  Lunch\\nTime Rec'd:  4/1/1999\\tFrom:  \\tSubject:  Budget notes"},
    {"WalkBreaks", "filters_messages", "Messages.GetNext#1=CallFailed",
     FILT BY_SUBJECT "click FilterButton\ndump list FilterList\n",
     "msgbox information ok \"Quorvane '99\" Time Rec'd:  3/1/1999 9:30:00 AM\\tFrom:  Ann "
     "Able\\tSubject:  Budget 1999\\nTime Rec'd:  3/2/1999 4:05:00 PM\\tFrom:  Bob "
     "Baker\\tSubject:  Re: Budget\\nTime Rec'd:  4/1/1999\\tFrom:  \\tSubject:  Budget notes"},
    {"EntryFilterRefused", "filters_addresses", "AddressEntries.Filter#1=NoSupport",
     "click LogonButton\nchoose ProfileCombo Filt\nclick OkButton\nclick FilterOption(1)\n"
     "choose FilterCombo Name\nset ValueText Smith\nclick AddFilterButton\nclick FilterButton\n"
     "choose AddressList \"Global Address List\"\nclick ActionButton(0)\n",

     "msgbox information ok \"Quorvane '99\" The Global Address List may not return all matches in "
     "the list.\n"
     "msgbox critical ok \"Quorvane '99\" An error has occured.  Error #-2147221246 - The "
     "operation is not supported. [MAPI_E_NO_SUPPORT(80040102)]."},
};

}  // namespace

FAULT_TABLE(Filters, kCases);
