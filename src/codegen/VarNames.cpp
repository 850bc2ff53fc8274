#include "codegen/VarNames.h"

#include <QSettings>

namespace codegen {

namespace {

const QString kOrganisation = QStringLiteral("Quorvane '99");
const QString kApplication = QStringLiteral("Quorvane '99");
const QString kGroup = QStringLiteral("Code Variables");

const std::array<VarRow, kVarCount> kTable = {{
    {Var::Session, "Session", "oSession", "oSession", "Session", "Session", 8, nullptr},
    {Var::Stores, "Stores", "oStores", "oStores", "Stores", "Stores", 4, "Session"},
    {Var::Store, "Store", "oStore", "oStore", "Store", "Store", 19, "Stores"},
    {Var::Folders, "Folders", "oFolders", "oFolders", "Folders", "Folders", 18, "Stores"},
    {Var::Folder, "Folder", "oFolder", "oFolder", "Folder", "Folder", 1, "Folders"},
    {Var::Messages, "Messages", "oMsgs", "oMessages", "Messages", "Messages", 20, "Folder"},
    {Var::Message, "Message", "oMsg", "oMessage", "Message", "Message", 6, "Messages"},
    {Var::Attachments, "Attachments", "oAttachments", "oAttachments", "Attachments", "Attachments",
     15, "Message"},
    {Var::Attachment, "Attachment", "oAttachment", "oAttachment", "Attachment", "Attachment", 16,
     "Attachments"},
    {Var::Recipients, "Recipients", "oRecips", "oRecips", "Recips", "Recips", 12, "Message"},
    {Var::Recipient, "Recipient", "oRecip", "oRecip", "Recip", "Recip", 13, "Recips"},
    {Var::Counter, "Counter", "iLooper", "oCounter", "Counter", "Counter", 22, "Session"},
    {Var::Root, "Root", "oRoot", "oRoot", "Root", "Root", 21, "Session"},
    {Var::Fields, "Fields", "oFields", "oFields", "Fields", "Fields", 10, "Session"},
    {Var::Filter, "Filter", "oFilter", "oFilter", "Filter", "Filter", 23, "Session"},
    {Var::AddressBook, "AddressBook", "oAddressBook", "oAddressBook", "AddressBook", "AddressBook",
     24, "Session"},
    {Var::AddressLists, "AddressLists", "oAddressLists", "oAddressLists", "AddressLists",
     "AddressLists", 25, "AddressBook"},
    {Var::AddressList, "AddressList", "oAddressList", "oAddressList", "AddressList", "AddressList",
     26, "AddressLists"},
    {Var::AddressEntries, "AddressEntries", "oAddressEntries", "oAddressEntries", "AddressEntries",
     "AddressEntries", 27, "AddressList"},
    {Var::AddressEntry, "AddressEntry", "oAddressEntry", "oAddressEntry", "AddressEntry",
     "AddressEntry", 28, "AddressEntries"},
    {Var::FilterFields, "FilterFields", "oFilterFields", "oFilterFields", "FilterFields",
     "Filter Fields", 29, "Session"},
    {Var::Details, "Details", "vDetails", "oDetails", "Details", "Details", 30, "Session"},
    {Var::ReturnValue, "ReturnValue", "lRet", "oRetVal", "RetVal", "Return Value", 31, "Session"},
}};

}  // namespace

const std::array<VarRow, kVarCount>& varTable() {
    return kTable;
}

const VarRow& rowOf(Var v) {
    return kTable[static_cast<std::size_t>(v)];
}

const VarRow* rowBySettingsKey(const QString& key) {
    for (const VarRow& r : kTable)
        if (key == QLatin1String(r.settingsKey)) return &r;
    return nullptr;
}

const VarRow* rowByNodeKey(const QString& key) {
    for (const VarRow& r : kTable)
        if (key == QLatin1String(r.nodeKey)) return &r;
    return nullptr;
}

VarNames::VarNames() {
    for (const VarRow& r : kTable)
        names_[static_cast<std::size_t>(r.var)] = QString::fromLatin1(r.defaultName);
}

const QString* VarNames::bySettingsKey(const QString& key) const {
    const VarRow* r = rowBySettingsKey(key);
    return r ? &names_[static_cast<std::size_t>(r->var)] : nullptr;
}

void VarNames::load() {
    QSettings settings(kOrganisation, kApplication);
    if (settings.status() != QSettings::NoError) return;
    settings.beginGroup(kGroup);
    for (const VarRow& r : kTable) {
        const QString key = QString::fromLatin1(r.settingsKey);
        // An empty saved value is a name like any other; the default is for
        // rows that were never saved.
        if (!settings.contains(key)) {
            names_[static_cast<std::size_t>(r.var)] = QString::fromLatin1(r.defaultName);
            continue;
        }
        const QVariant v = settings.value(key);
        if (!v.canConvert<QString>()) continue;  // unreadable: keep what the row had
        names_[static_cast<std::size_t>(r.var)] = v.toString();
    }
}

void VarNames::rename(Var v, const QString& name) {
    names_[static_cast<std::size_t>(v)] = name;
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kGroup);
    settings.setValue(QString::fromLatin1(rowOf(v).settingsKey), name);
    settings.endGroup();
    settings.sync();  // a failing save leaves the new name in effect for the run
}

}  // namespace codegen
