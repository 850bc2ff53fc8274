#pragma once

#include <QString>
#include <cstdint>

#include "browser/TreeContext.h"

namespace browser {

// Opens a message node (index iIndex): group nodes, the eleven property nodes,
// attachments and recipients, with the matching lines. Every step that fails
// is skipped silently and the next one runs; nothing is reported.
void FillMsgFields(const TreeContext& cx, const QString& sStoreID, const QString& sMsgID,
                   std::int32_t iIndex);

}  // namespace browser
