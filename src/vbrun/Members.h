#pragma once

// The members of each kind of object the binding reaches, as a user writes
// them ("GetFirst", "CurrentUser"): what an editor offers after "variable.".

#include <QString>
#include <QStringList>
#include <memory>

namespace mapi {
class Object;
}

namespace vbrun {

// The object kinds, as TypeName names them, in the order the table holds them.
QStringList objectKinds();
// The members of a kind, sorted ignoring case; empty for a kind the table lacks.
QStringList memberNames(const QString& kind);
// The kind of a live object; empty for Nothing and for objects of no kind
// here (arrays, Err).
QString objectKind(const std::shared_ptr<mapi::Object>& object);
// The members of a live object, sorted ignoring case. A filter offers only
// the members of its own kind (a message filter has no Address).
QStringList membersOf(const std::shared_ptr<mapi::Object>& object);

}  // namespace vbrun
