#pragma once

#include "browser/TreeContext.h"
#include "messaging/Objects.h"

namespace browser {

// Opening a message's node and opening one of its recipients' nodes begin
// alike: both steps skip what fails and go on.

// The message fetched again by its IDs (one that cannot be fetched counts as
// no message) and the lines that do the same; when there is a message, the
// check that opens the block the rest of the step writes into.
mapi::Ref<mapi::Message> openMessageById(const TreeContext& cx, const QString& sMsgID,
                                         const QString& sStoreID);

// The message's recipients, Nothing when they cannot be read, and their line.
mapi::Ref<mapi::Recipients> recipientsOf(const TreeContext& cx,
                                         const mapi::Ref<mapi::Message>& oMsg);

}  // namespace browser
