#pragma once

// Rules both stores keep alike: which folder is a default folder by its name,
// the order Messages.Sort puts messages in, and how messages and folders are
// copied and moved, also from one store to the other.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "messaging/Objects.h"

namespace model {

// The names a store's folder of Session.GetDefaultFolder's kind goes by when
// nothing else marks it, best first; MAPI_E_INVALID_PARAMETER for a kind
// other than 1 Inbox, 2 Outbox, 3 Sent Items, 4 Deleted Items.
QStringList defaultFolderNames(std::int32_t kind);
// The folder of that kind among the top folder's subfolders, by name in any
// case; MAPI_E_NOT_FOUND when there is none.
mapi::Ref<mapi::Folder> folderByDefaultName(mapi::Folder& top, std::int32_t kind);

// What Messages.Sort orders by: the property `tag` (0: the time received).
mapi::Variant sortValue(mapi::Message& m, std::uint32_t tag);
// Ascending order of two such values: a missing value first, texts without
// regard to case, dates and numbers by value.
bool sortsBefore(const mapi::Variant& a, const mapi::Variant& b);
// 1 ascending, 2 descending; MAPI_E_INVALID_PARAMETER otherwise.
void checkSortOrder(std::int32_t order);

// What any message says of itself through the object model, as another
// store takes it (without the raw form, which only its own store knows).
mapi::MessageCopy copyOf(mapi::Message& m);

// A copy of `m` in `target`; with `move`, `m` is deleted once the copy is whole.
mapi::Ref<mapi::Message> copyMessage(mapi::Message& m, mapi::Folder& target, bool move);
// A copy of `source` named `name` ("" for its own) below `targetParent`, with
// its messages and, when `subfolders`, its subfolders; with `move` the source
// is deleted once the copy is whole.
mapi::Ref<mapi::Folder> copyFolder(mapi::Folder& source, mapi::Folder& targetParent,
                                   const QString& name, bool subfolders, bool move);

}  // namespace model
