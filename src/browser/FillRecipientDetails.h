#pragma once

#include <QString>
#include <cstdint>

#include "browser/TreeContext.h"

namespace browser {

// Opens a recipient node (index iIndex, key "<message ID>#<address>"): finds
// the recipient by address in the message and adds its four detail nodes,
// appending the search code. Failing steps are skipped silently.
void FillRecipientDetails(const TreeContext& cx, const QString& sMsgID, const QString& sStoreID,
                          const QString& sRecipKey, std::int32_t iIndex);

// Names shown for Recipient.DisplayType and Recipient.Type; "" for other values.
QString displayTypeName(std::int32_t displayType);
QString recipientTypeName(std::int32_t type);

}  // namespace browser
