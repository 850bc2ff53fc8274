#pragma once

// An in-memory back-end of the whole messaging object model, for unit tests.
//
// A test builds a fake::World out of plain data (profiles, stores, folders,
// messages, address lists), installs it as the session factory, and inspects
// the same data afterwards to see what the code under test changed. Every
// member of every fake object counts its calls under "Class.Member" (the
// library's member name: "Message.Subject", "Folder.Messages",
// "Messages.GetFirst", "Recipient.Resolve" ...; for-each is "X.Enumerate"), and
// World::faults can make a chosen call fail with a chosen error number:
//
//     auto world = fake::demoWorld();
//     fake::install(world);
//     world->faults.failOn("Messages.GetNext", 3, mapi::code::DiskError);
//
// The data is the truth: objects handed out read it on every call, so a
// change made to the data between two calls is seen by the second.

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Objects.h"
#include "store/LibraryDialogs.h"

namespace fake {

using mapi::Variant;

// ---- failure injection ----------------------------------------------------------

class Faults {
  public:
    // Makes calls of `member` fail with `error` (and the standard description of
    // that number, or "sentence" plus the code's name): the `nth` call counted
    // from now (1 = the next one) and the `times - 1` calls after it; times < 0
    // fails every call from the nth on. `member` may end in "*" to match every
    // member with that prefix ("Message.*", or "*" for all).
    void failOn(const QString& member, int nth, std::int32_t error, int times = 1,
                const QString& sentence = QString());
    // Every call of `member` from now on fails.
    void failAlways(const QString& member, std::int32_t error) { failOn(member, 1, error, -1); }
    // Removes every rule; counts and the log stay.
    void clearRules() { rules_.clear(); }
    // Forgets the counts and the log too.
    void reset();

    // How often `member` was called (failed calls included).
    int calls(const QString& member) const;
    // Every call in order, as "Class.Member".
    const QStringList& log() const { return log_; }

    // Called by the fake objects on entry to every member: counts the call and
    // throws when a rule says so.
    void hit(const QString& member);

  private:
    struct Rule {
        QString pattern;
        int nth;
        int times;
        std::int32_t error;
        QString sentence;
        int seen = 0;
    };
    std::vector<Rule> rules_;
    QStringList log_;
};

// ---- data -------------------------------------------------------------------------

// A custom field (or one a filter tests). `value` holding an ErrorValue makes the
// field Error-typed; Field.Type is `type` when given, else the value's own type.
struct FieldData {
    std::int32_t id = 0;  // property tag; named properties have the top bit set
    QString name;         // "" for tags without a name
    Variant value;
    std::optional<std::int32_t> type;
};

struct EntryData {
    QString id;  // generated when empty
    QString name;
    QString address;
    QString type = QStringLiteral("SMTP");  // "MAPIPDL" for a distribution list
    QString alias;
    QString comment;
    std::int32_t displayType = 0;  // 5 for a personal distribution list
    bool sendRichInfo = false;
    std::vector<FieldData> fields;  // custom fields after the standard ones
    std::vector<std::shared_ptr<EntryData>> members;
    // Library member names that read as MAPI_E_NOT_FOUND ("Name", "Address",
    // "Type", "ID", "DisplayType", "Comment", "Alias", "SendRichInfo"). Missing
    // standard properties are also left out of Fields.
    QSet<QString> missing;
};

struct ListData {
    QString id;
    QString name;
    bool readOnly = false;  // Update of an entry in it throws E_ACCESSDENIED
    std::vector<std::shared_ptr<EntryData>> entries;
};

struct RecipientData {
    QString name;
    std::int32_t type = 1;  // 1 To, 2 Cc, 3 Bcc
    QString address;
    std::int32_t displayType = 0;
    QString addressType;  // filled by Resolve and by the address-book dialog
    QString entryId;
};

struct AttachmentData {
    QString name;
    std::int32_t type = 1;
    std::int32_t position = 0;
    QByteArray data;
};

struct MessageData {
    QString id;  // generated when empty
    QString subject;
    QString text;
    QString type = QStringLiteral("IPM.Note");
    std::int32_t importance = 1;
    std::int32_t size = 0;
    mapi::Date timeReceived;
    mapi::Date timeSent;
    bool unread = false;
    bool sent = true;
    bool deliveryReceipt = false;
    bool readReceipt = false;
    QString conversationIndex;  // hexadecimal text
    QString conversationTopic;
    bool hasSender = true;
    QString senderName;
    QString senderAddress;
    std::vector<RecipientData> recipients;
    std::vector<AttachmentData> attachments;
    std::vector<FieldData> fields;  // custom fields after the standard ones
    // Library member names that read as MAPI_E_NOT_FOUND ("Subject", "Text",
    // "Importance", "Size", "TimeReceived", "TimeSent", "Type", "Unread", "Sent",
    // "ConversationIndex", "ConversationTopic"); left out of Fields too.
    QSet<QString> missing;
    bool saved = true;  // false for a new message until its first Update
    int updates = 0;    // how often Update ran
};

struct FolderData {
    QString id;  // generated when empty
    QString name;
    std::vector<std::shared_ptr<FolderData>> folders;
    std::vector<std::shared_ptr<MessageData>> messages;
};

struct StoreData {
    QString id;  // generated when empty
    QString name;
    std::shared_ptr<FolderData> root = std::make_shared<FolderData>();
    QString outboxId;  // id of the folder that is this store's Outbox, if any
};

struct ProfileData {
    QString name;
    QString password;  // empty: any password is accepted
    QString server;
    QString mailbox;
    bool isDefault = false;
    std::vector<std::shared_ptr<StoreData>> stores;
    std::vector<std::shared_ptr<ListData>> lists;
};

// ---- the world ------------------------------------------------------------------------

struct World : std::enable_shared_from_this<World> {
    std::vector<ProfileData> profiles;
    Faults faults;

    // The library's dialogs. Unset, the real ones (store::run...) are shown and
    // must be answered like any modal window.
    std::function<QString(const QStringList& profiles, const QString& preselected)> profileDialog;
    std::function<std::vector<store::ChosenRecipient>(mapi::Session&, const mapi::AddressBookArgs&)>
        addressBook;
    std::function<void(mapi::AddressEntry&)> details;

    // The profile of the session logged on last (shared by NewSession:=False).
    QString sharedProfile;
    int sessionsLoggedOn = 0;

    // Gives every object without an id one ("F0001", "M0002" ...), unique in
    // the world. Runs when a session logs on; call it after changing data.
    void assignIds();
    QString newId(QChar prefix);

    // Look-ups across all profiles (nullptr when absent).
    ProfileData* profile(const QString& name);
    std::shared_ptr<StoreData> storeById(const QString& id);
    std::shared_ptr<FolderData> folderById(const QString& id);
    std::shared_ptr<MessageData> messageById(const QString& id);
    std::shared_ptr<ListData> listByName(const QString& name);

  private:
    int nextId_ = 1;
};

// A new session over the world (not logged on).
mapi::Ref<mapi::Session> newSession(const std::shared_ptr<World>& world);

// Installs the world as the session factory: mapi::createSession() gives
// newSession(world).
void install(const std::shared_ptr<World>& world);

// A small ready-made mailbox, profile "Default" (password "secret", server
// "mail01", mailbox "jsmith"):
//   store "Mailbox - John Smith" (S1): root R1 > "Inbox" (F1, messages M1
//     "Quarterly report" and M2 "Lunch?"), "Outbox" (F2, the Outbox, empty),
//     "Projects" (F3) > "Archive" (F4, message M3 "Old plans");
//   store "Public Folders" (S2): root R2 > "All Public Folders" (F5);
//   lists "Global Address List" (Ann Archer, Bob Baker, Cy Cole),
//     "Personal Address Book" (Dee Dunn; distribution list "Team" with Ann
//     and Bob), "Contacts" (empty, read-only).
// Messages carry recipients of all three types, an attachment, and custom
// fields of several types; see FakeMapi.cpp for the values.
std::shared_ptr<World> demoWorld();

}  // namespace fake
