#pragma once

#include <QString>
#include <array>

namespace codegen {

// The 23 code-variable names the generated code uses, each known by its
// settings key ("Session", "Stores", ... "ReturnValue"), loaded from and saved
// to the per-user settings (organisation and application "Quorvane '99",
// group "Code Variables").
enum class Var {
    Session,
    Stores,
    Store,
    Folders,
    Folder,
    Messages,
    Message,
    Attachments,
    Attachment,
    Recipients,
    Recipient,
    Counter,
    Root,
    Fields,
    Filter,
    AddressBook,
    AddressLists,
    AddressList,
    AddressEntries,
    AddressEntry,
    FilterFields,
    Details,
    ReturnValue
};
inline constexpr int kVarCount = 23;

struct VarRow {
    Var var;
    const char* settingsKey;
    const char* defaultName;
    const char* nodeKey;   // variable node key in VarTree ("o...")
    const char* classKey;  // class node key
    const char* classText;
    int classImage;
    const char* parentClass;  // nullptr for the top level
};

// Table rows in loading order.
const std::array<VarRow, kVarCount>& varTable();
const VarRow& rowOf(Var v);
// The row whose settings key or node key is `key`; nullptr when none.
const VarRow* rowBySettingsKey(const QString& key);
const VarRow* rowByNodeKey(const QString& key);

// The current names. One instance lives for the run (see MAPIMod).
class VarNames {
  public:
    VarNames();  // defaults

    const QString& operator[](Var v) const { return names_[static_cast<int>(v)]; }
    const QString& name(Var v) const { return (*this)[v]; }
    // {Key} by settings key; nullptr when the key is unknown.
    const QString* bySettingsKey(const QString& key) const;

    // Settings value or default per row; a failing read leaves the row as it is.
    void load();
    // Sets the row's name and saves it at once (errors ignored).
    void rename(Var v, const QString& name);

  private:
    std::array<QString, kVarCount> names_;
};

}  // namespace codegen
