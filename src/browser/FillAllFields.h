#pragma once

#include <QString>
#include <cstdint>

#include "browser/TreeContext.h"
#include "messaging/Variant.h"

namespace browser {

// Lists the fields of a message whose type lies in 2..11 under its "All
// Fields" node (index iIndex) and appends the field-walk lines. The first
// failure shows "There was an error getting field information." and ends the
// listing at once.
void FillAllFields(const TreeContext& cx, const QString& sStoreID, const QString& sMsgID,
                   std::int32_t iIndex);

// The node text of a listed field: "Field #5; ID=4096; No Field Name - 1024".
// Throws when the value cannot be turned into text.
QString fieldNodeText(std::int32_t position, std::int32_t id, const QString& name,
                      std::int32_t type, const mapi::Variant& value);

}  // namespace browser
