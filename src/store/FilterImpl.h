#pragma once

// A filter over messages or address entries as the store runs it: what its
// members and conditions mean is the model's; this gives them as SQL.

#include <vector>

#include "model/Filter.h"
#include "store/PropertyBag.h"

namespace store {

using model::FilterKind;

// The column of the messages / entries table that holds a standard property,
// or nullptr when the tag is not one of them.
const char* messageColumn(std::uint32_t tag);
const char* entryColumn(std::uint32_t tag);

class FilterImpl : public model::FilterObject {
  public:
    using model::FilterObject::FilterObject;
    // The SQL condition over the alias "m" (messages) or "e" (entries), with
    // its bound values appended to `binds`. Throws MAPI_E_INVALID_PARAMETER for
    // values that cannot be used (a TimeFirst that is not a date ...).
    QString whereClause(std::vector<SqlValue>& binds) const;
};

}  // namespace store
