#pragma once

// The messaging object model as the language reaches it: members looked up by
// name (any case) on the objects of messaging/Objects.h, the library's errors
// passing through unchanged. An unknown member fails with 438.

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "messaging/Collection.h"
#include "messaging/Variant.h"

namespace vbrun {

using ObjectPtr = std::shared_ptr<mapi::Object>;

struct CallArgs {
    std::vector<std::optional<mapi::Variant>> positional;  // nullopt: omitted
    std::vector<std::pair<QString, mapi::Variant>> named;  // lower-case names

    bool empty() const { return positional.empty() && named.empty(); }
    // The argument at `index` or named `name` (lower case), if given.
    std::optional<mapi::Variant> get(size_t index, const char* name) const;
};

// The Err object: the interpreter fills it; code reads, clears and raises it.
class ErrObject : public mapi::Object {
  public:
    std::int32_t number = 0;
    QString description;
    QString source;
    void clear() {
        number = 0;
        description.clear();
        source.clear();
    }
};

// A one-dimensional array, 0-based, as Dim a(n) and ReDim make it.
class ArrayObject : public mapi::Object {
  public:
    std::vector<mapi::Variant> items;
    bool fixed = false;  // Dim a(5): ReDim refuses it
};

// obj.Name or obj.Name(args): a property (its result then indexed by args
// through the default member) or a method call.
mapi::Variant getMember(const ObjectPtr& obj, const QString& key, const CallArgs& args);
// obj.Name = value, or obj.Name(args) = value.
void letMember(const ObjectPtr& obj, const QString& key, const CallArgs& args,
               const mapi::Variant& value);
// obj(args): Item for collections, an array element; with no args the value
// an object stands for in an expression (Field.Value, AddressEntry.Name ...).
mapi::Variant defaultMember(const ObjectPtr& obj, const CallArgs& args);
// obj(args) = value: an array element or the default property of the item.
void letDefault(const ObjectPtr& obj, const CallArgs& args, const mapi::Variant& value);
// For Each over a collection or an array: each call gives the next element,
// nullopt at the end.
std::function<std::optional<mapi::Variant>()> enumerate(const ObjectPtr& obj);
// TypeName(obj).
QString typeName(const ObjectPtr& obj);

}  // namespace vbrun
