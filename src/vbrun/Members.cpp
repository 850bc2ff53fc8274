#include "vbrun/Members.h"

#include <algorithm>

#include "messaging/Objects.h"

namespace vbrun {

namespace {

template <class T>
bool is(const mapi::Object* o) {
    return dynamic_cast<const T*>(o) != nullptr;
}

// What every object has on top of its own members.
constexpr const char* kEveryObject = "Class Parent Session";

struct Kind {
    const char* name;
    bool (*test)(const mapi::Object*);
    const char* members;  // separated by blanks
};

// One row per kind; the binding answers each of these names.
const Kind kKinds[] = {
    {"Session", is<mapi::Session>,
     "AddressBook AddressLists CurrentUser GetAddressEntry GetDefaultFolder GetFolder "
     "GetInfoStore GetMessage Inbox InfoStores Logoff Logon Name Outbox Version"},
    {"InfoStores", is<mapi::InfoStores>, "Count Item"},
    {"InfoStore", is<mapi::InfoStore>, "ID Name ProviderName RootFolder"},
    {"Folders", is<mapi::Folders>, "Add Count GetFirst GetNext Item"},
    {"Folder", is<mapi::Folder>, "CopyTo Delete Folders ID Messages MoveTo Name"},
    {"Messages", is<mapi::Messages>,
     "Add Count Delete Filter GetFirst GetLast GetNext GetPrevious Item Sort"},
    {"Message", is<mapi::Message>,
     "Attachments ConversationIndex ConversationTopic CopyTo Delete DeliveryReceipt Fields "
     "Forward ID Importance MoveTo ReadReceipt Recipients Reply ReplyAll Send Sender "
     "Sensitivity Sent Size Subject Submitted Text TimeReceived TimeSent Type Unread Update"},
    {"Recipients", is<mapi::Recipients>, "Add Count Item"},
    {"Recipient", is<mapi::Recipient>, "Address DisplayType Name Resolve Type"},
    {"Attachments", is<mapi::Attachments>, "Add Count Item"},
    {"Attachment", is<mapi::Attachment>, "Name Position ReadFromFile Type WriteToFile"},
    {"Fields", is<mapi::Fields>, "Add Count Item"},
    {"Field", is<mapi::Field>, "ID Name Type Value"},
    {"AddressLists", is<mapi::AddressLists>, "Count Item"},
    {"AddressList", is<mapi::AddressList>, "AddressEntries ID Name"},
    {"AddressEntries", is<mapi::AddressEntries>, "Add Count Filter GetFirst GetNext Item"},
    {"AddressEntry", is<mapi::AddressEntry>,
     "Address Delete Details DisplayType Fields ID Members Name Type Update"},
    // A message filter's members and an address-entry filter's together;
    // membersOf() keeps those of the filter at hand.
    {"Filter", is<mapi::Filter>,
     "Address Fields Importance Name Not Or Recipients Sender Sent Size Subject Text TimeFirst "
     "TimeLast Type Unread"},
};

QStringList sorted(QStringList names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QStringList namesOf(const Kind& k) {
    return sorted(QString::fromLatin1(k.members).split(u' ') +
                  QString::fromLatin1(kEveryObject).split(u' '));
}

const Kind* kindOf(const mapi::Object* o) {
    if (!o) return nullptr;
    for (const Kind& k : kKinds)
        if (k.test(o)) return &k;
    return nullptr;
}

}  // namespace

QStringList objectKinds() {
    QStringList out;
    for (const Kind& k : kKinds) out << QString::fromLatin1(k.name);
    return out;
}

QStringList memberNames(const QString& kind) {
    for (const Kind& k : kKinds)
        if (kind == QLatin1String(k.name)) return namesOf(k);
    return {};
}

QString objectKind(const std::shared_ptr<mapi::Object>& object) {
    const Kind* k = kindOf(object.get());
    return k ? QString::fromLatin1(k->name) : QString();
}

QStringList membersOf(const std::shared_ptr<mapi::Object>& object) {
    const Kind* k = kindOf(object.get());
    if (!k) return {};
    QStringList names = namesOf(*k);
    if (auto* filter = dynamic_cast<mapi::Filter*>(object.get())) {
        // Reading a member back is all a filter's Get does; one of the other
        // kind of filter is refused.
        names.removeIf([&](const QString& name) {
            if (name == u"Fields" || QString::fromLatin1(kEveryObject).split(u' ').contains(name))
                return false;
            try {
                filter->Get(name);
                return false;
            } catch (const mapi::Error&) {
                return true;
            }
        });
    }
    return names;
}

}  // namespace vbrun
