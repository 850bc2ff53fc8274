#include <algorithm>

#include "messaging/Error.h"
#include "messaging/SessionFactory.h"
#include "store/Accounts.h"
#include "store/LibraryDialogs.h"
#include "store/Profiles.h"
#include "store/StoreBackend.h"
#include "store/StoreObjects.h"

namespace store {

using mapi::Ref;

// ---- Backend --------------------------------------------------------------------

std::shared_ptr<Db> Backend::db() {
    if (!db_) {
        std::shared_ptr<Db> db = Db::open(path_, false);
        if (prepare_) prepare_(*db);
        // A store another program holds locked now is tidied at a later open.
        try {
            tidyAccounts(*db);
        } catch (const mapi::Error&) {
        }
        db_ = db;
    }
    return db_;
}

void Backend::attach(SessionImpl* s) {
    if (std::find(live_.begin(), live_.end(), s) == live_.end()) live_.push_back(s);
}

void Backend::detach(SessionImpl* s) {
    live_.erase(std::remove(live_.begin(), live_.end(), s), live_.end());
}

void Backend::install() {
    std::shared_ptr<Backend> self = shared_from_this();
    mapi::installSessionFactory(
        [self]() { return Ref<mapi::Session>(std::make_shared<SessionImpl>(self)); });
}

// ---- Session --------------------------------------------------------------------

SessionImpl::~SessionImpl() {
    backend_->detach(this);
}

const SessionPtr& SessionImpl::state() const {
    if (!state_) mapi::raise(mapi::code::NotInitialized);
    return state_;
}

namespace {

// The account's own password (kept where secrets are), else the one the logon
// passed, else (when the logon may show dialogs) the one the user types in the
// library's prompt.
QString accountPassword(const SessionState& st, const AccountEntry& e, const QString& given,
                        bool showDialog) {
    const QString kept = keptPassword(*st.db, st.profileName, e);
    if (!kept.isEmpty()) return kept;
    if (!given.isEmpty() || !showDialog) return given;
    return runPasswordDialog(QStringLiteral("%1@%2").arg(e.user, e.server));
}

std::vector<std::shared_ptr<AccountSession>> openProfileAccounts(
    const std::shared_ptr<SessionState>& st, const QString& givenPassword, bool showDialog) {
    std::vector<std::shared_ptr<AccountSession>> out;
    // Held weakly: the accounts live inside the session state they resolve against.
    std::weak_ptr<const SessionState> weak = st;
    for (const AccountEntry& e : profileAccounts(*st->db, st->profile)) {
        AccountLogon logon;
        logon.entry = e;
        // An OAuth 2.0 account logs on with its tokens: there is no password to ask for.
        if (e.usesOAuth2())
            attachTokens(logon, *st->db, st->profileName);
        else
            logon.password = accountPassword(*st, e, givenPassword, showDialog);
        logon.cachePath = accountCachePath(st->db->path(), e.rid);
        logon.userName = st->userName;
        logon.locate = [weak](const QString& folderId, const QString& storeId) {
            SessionPtr s = weak.lock();
            if (!s) mapi::raise(mapi::code::NotInitialized);
            return findFolder(s, folderId, storeId);
        };
        logon.resolve = [weak](const QString& name) {
            std::vector<ResolvedName> found;
            if (SessionPtr s = weak.lock()) {
                for (const auto& entry : findEntries(s, name))
                    found.push_back(ResolvedName{entry->Name(), entry->Address(), entry->Type(),
                                                 entry->DisplayType()});
            }
            return found;
        };
        logon.showDialogs = showDialog;
        logon.pinCertificate = [db = st->db, rid = e.rid](const QString& fingerprint) {
            pinCertificate(*db, rid, fingerprint);
        };
        out.push_back(openAccount(logon));
    }
    return out;
}

}  // namespace

void SessionImpl::Logon(const mapi::LogonArgs& args) {
    std::shared_ptr<Db> db = backend_->db();
    const std::vector<Profile> all = loadProfiles(*db);
    std::optional<Profile> chosen;
    std::optional<std::vector<std::shared_ptr<AccountSession>>> joined;

    // NewSession = False joins the profile of a session already logged on.
    if (!args.newSession.value_or(false)) {
        if (SessionImpl* other = backend_->firstLoggedOn(); other && other != this) {
            for (const Profile& p : all)
                if (p.rid == other->profile()) {
                    chosen = p;
                    joined = other->state()->accounts;
                }
        }
    }
    if (!chosen) {
        const QString password = args.profilePassword.value_or(QString());
        const QString name = args.profileName.value_or(QString());
        // Only a logon that names its profile carries a password to check; the
        // chooser, the default and the dynamic form open a profile as the owner
        // of the profile folder, since none has anywhere to take a password from.
        bool checkPassword = false;
        if (args.profileInfo && !args.profileInfo->isEmpty()) {
            chosen = profileForServerMailbox(all, *args.profileInfo);
        } else if (args.showDialog.value_or(false)) {
            std::optional<Profile> pre =
                name.isEmpty() ? defaultProfile(all) : findProfile(all, name);
            const QString picked =
                runProfileChooser(profileNames(all), pre ? pre->name : name, !name.isEmpty());
            chosen = findProfile(all, picked);
            checkPassword =
                chosen && !name.isEmpty() && chosen->name.compare(name, Qt::CaseInsensitive) == 0;
        } else if (!name.isEmpty()) {
            chosen = findProfile(all, name);
            checkPassword = true;
        } else {
            chosen = defaultProfile(all);
        }
        // A protected profile named without its password: a headless run may
        // have been given it.
        QString checked = password;
        if (chosen && checkPassword && checked.isEmpty() && !passwordMatches(*chosen, checked))
            checked = runProfilePassword(chosen->name).value_or(QString());
        if (!chosen || (checkPassword && !passwordMatches(*chosen, checked)))
            mapi::raise(mapi::code::LogonFailed);
    }

    auto st = std::make_shared<SessionState>();
    st->db = db;
    st->profile = chosen->rid;
    st->profileName = chosen->name;
    st->userName = chosen->mailbox.isEmpty() ? chosen->name : chosen->mailbox;
    if (chosen->mailbox.contains(QLatin1Char('@')) || chosen->server.isEmpty())
        st->address = chosen->mailbox;
    else if (!chosen->mailbox.isEmpty())
        st->address = chosen->mailbox + QLatin1Char('@') + chosen->server;
    // The profile's mail-server accounts log on with it: one that fails fails the logon.
    st->accounts = joined ? *joined
                          : openProfileAccounts(st, args.profilePassword.value_or(QString()),
                                                args.showDialog.value_or(false));
    if (state_) backend_->detach(this);
    state_ = st;
    backend_->attach(this);
}

void SessionImpl::Logoff() {
    state();
    backend_->detach(this);
    state_.reset();
}

Ref<mapi::InfoStores> SessionImpl::InfoStoresOf() {
    return makeInfoStores(state());
}

Ref<mapi::AddressLists> SessionImpl::AddressListsOf() {
    return Ref<mapi::AddressLists>(std::make_shared<AddressListsImpl>(state()));
}

Ref<mapi::AddressList> SessionImpl::AddressListByName(const QString& name) {
    return AddressListsImpl(state()).ItemByName(name);
}

Ref<mapi::Folder> SessionImpl::Outbox() {
    const SessionPtr& s = state();
    // The default store's: the account's when the profile has one.
    if (!s->accounts.empty()) return s->accounts.front()->outbox();
    try {
        return defaultFolder(s, 2);
    } catch (const mapi::Error& e) {
        if (e.number() != mapi::code::NotFound) throw;
    }
    for (const auto& store : profileStores(s)) {
        if (store->outbox()) {
            Ref<mapi::Folder> f = FolderImpl::load(s, *store->outbox());
            if (f) return f;
        }
    }
    // A profile without an embedded Outbox saves to its first account's.
    if (!s->accounts.empty()) return s->accounts.front()->outbox();
    mapi::raise(mapi::code::NotFound);
}

Ref<mapi::InfoStore> SessionImpl::GetInfoStore(const QString& storeId) {
    for (const auto& store : profileStores(state()))
        if (store->ID().compare(storeId.trimmed(), Qt::CaseInsensitive) == 0)
            return Ref<mapi::InfoStore>(store);
    for (const auto& account : state()->accounts)
        if (account->ownsStoreId(storeId)) return account->infoStore();
    mapi::raise(mapi::code::NotFound);
}

namespace {

// Whether the store row belongs to the profile and is the store `storeId`
// names (an empty `storeId` accepts any of the profile's stores).
bool storeAllowed(const SessionPtr& s, std::int64_t storeRow, const QString& storeId) {
    for (const auto& store : profileStores(s)) {
        if (store->rid() != storeRow) continue;
        return storeId.isEmpty() ||
               store->ID().compare(storeId.trimmed(), Qt::CaseInsensitive) == 0;
    }
    return false;
}

}  // namespace

Ref<mapi::Folder> findFolder(const SessionPtr& s, const QString& folderId, const QString& storeId) {
    for (const auto& account : s->accounts) {
        if (!storeId.trimmed().isEmpty() && !account->ownsStoreId(storeId)) continue;
        if (Ref<mapi::Folder> f = account->folderById(folderId)) return f;
    }
    Stmt& q = s->db->cached("SELECT rid, store FROM folders WHERE eid = ?1");
    q.bind(1, folderId.trimmed().toUpper());
    if (!q.step()) mapi::raise(mapi::code::NotFound);
    const std::int64_t rid = q.integer(0);
    const std::int64_t store = q.integer(1);
    q.reset();
    if (!storeAllowed(s, store, storeId)) mapi::raise(mapi::code::NotFound);
    Ref<mapi::Folder> f = FolderImpl::load(s, rid);
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

Ref<mapi::Folder> SessionImpl::GetFolder(const QString& folderId, const QString& storeId) {
    return findFolder(state(), folderId, storeId);
}

Ref<mapi::Message> SessionImpl::GetMessage(const QString& messageId, const QString& storeId) {
    const SessionPtr& s = state();
    for (const auto& account : s->accounts) {
        if (!storeId.trimmed().isEmpty() && !account->ownsStoreId(storeId)) continue;
        if (Ref<mapi::Message> m = account->messageById(messageId)) return m;
    }
    Stmt& q = s->db->cached(
        "SELECT m.rid, f.store FROM messages m JOIN folders f ON f.rid = m.folder WHERE m.eid = "
        "?1");
    q.bind(1, messageId.trimmed().toUpper());
    if (!q.step()) mapi::raise(mapi::code::NotFound);
    const std::int64_t rid = q.integer(0);
    const std::int64_t store = q.integer(1);
    q.reset();
    if (!storeAllowed(s, store, storeId)) mapi::raise(mapi::code::NotFound);
    std::shared_ptr<MessageImpl> m = MessageImpl::load(s, rid);
    if (!m) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Message>(m);
}

Ref<mapi::Recipients> SessionImpl::AddressBook(const mapi::AddressBookArgs& args) {
    const SessionPtr s = state();
    const std::vector<ChosenRecipient> chosen = runAddressBook(*this, args);
    auto out = std::make_shared<RecipientsImpl>(s);
    for (const ChosenRecipient& c : chosen) {
        auto r = std::make_shared<RecipientImpl>(s);
        r->name = c.name;
        r->address = c.address;
        r->addressType = c.addressType;
        r->type = c.type;
        r->displayType = c.displayType;
        r->entryId = c.entryId;
        out->items.push_back(r);
    }
    return Ref<mapi::Recipients>(out);
}

std::unique_ptr<mapi::WriteGroup> SessionImpl::BeginWriteGroup() {
    // One store transaction; the Update calls inside it join it.
    class Group : public mapi::WriteGroup {
      public:
        explicit Group(std::shared_ptr<Db> db) : db_(std::move(db)), tx_(*db_) {}
        void commit() override { tx_.commit(); }

      private:
        std::shared_ptr<Db> db_;  // kept open for as long as the transaction
        Db::Transaction tx_;
    };
    return std::make_unique<Group>(state()->db);
}

}  // namespace store
