// Filtering messages and address entries when the library refuses a step.

#include "support/FaultTable.h"

namespace {

#define FILT                                                                                  \
    "click LogonButton\nchoose ProfileCombo Filt\nclick OkButton\nselect MAPITree key=00B1\n" \
    "dblclick MAPITree\nselect MAPITree key=1001\n"
#define BY_SUBJECT "choose FilterCombo Subject\nset ValueText Budget\nclick AddFilterButton\n"

const faulttable::Case kCases[] = {
    {"FilterRefused", "filters_messages", "Messages.Filter#1=NoSupport",
     FILT BY_SUBJECT "click FilterButton\ndump list FilterList\n"},
    {"ConditionRejected", "filters_messages", "Filter.Subject#1=InvalidParameter",
     FILT BY_SUBJECT "click FilterButton\ndump list FilterList\n"},
    {"WalkBreaks", "filters_messages", "Messages.GetNext#1=CallFailed",
     FILT BY_SUBJECT "click FilterButton\ndump list FilterList\n"},
    {"EntryFilterRefused", "filters_addresses", "AddressEntries.Filter#1=NoSupport",
     "click LogonButton\nchoose ProfileCombo Filt\nclick OkButton\nclick FilterOption(1)\n"
     "choose FilterCombo Name\nset ValueText Smith\nclick AddFilterButton\nclick FilterButton\n"
     "choose AddressList \"Global Address List\"\nclick ActionButton(0)\n"},
};

}  // namespace

FAULT_TABLE(Filters, kCases);
