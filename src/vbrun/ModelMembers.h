#pragma once

// The object model's members beyond those the program's own generated code
// calls: what every object has (Parent, Session, Class) and the everyday
// members of sessions, stores, folders and messages. Binding.cpp asks here
// for a member its own tables do not know.

#include <QString>
#include <optional>

#include "messaging/Variant.h"
#include "vbrun/Binding.h"

namespace vbrun::model_members {

// The member `key` (lower case) of `obj`, or nullopt when it has none.
std::optional<mapi::Variant> get(const ObjectPtr& obj, const QString& key, const CallArgs& args);
// obj.key = value for the members kept here; false when `obj` has no such member.
bool let(const ObjectPtr& obj, const QString& key, const mapi::Variant& value);
// Notes where an object a member returned came from, for its Parent and Session;
// `byParent` when it was `from`'s Parent (or Session), which gives it only a session.
void cameFrom(const ObjectPtr& from, const mapi::Variant& result, bool byParent = false);

}  // namespace vbrun::model_members
