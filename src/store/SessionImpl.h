#pragma once

// A session of the embedded store.

#include <memory>

#include "store/SessionState.h"

namespace store {

class Backend;

class SessionImpl : public mapi::Session {
  public:
    explicit SessionImpl(std::shared_ptr<Backend> backend) : backend_(std::move(backend)) {}
    ~SessionImpl() override;
    void Logon(const mapi::LogonArgs& args) override;
    void Logoff() override;
    mapi::Ref<mapi::InfoStores> InfoStoresOf() override;
    mapi::Ref<mapi::AddressLists> AddressListsOf() override;
    mapi::Ref<mapi::AddressList> AddressListByName(const QString& name) override;
    mapi::Ref<mapi::Folder> Outbox() override;
    mapi::Ref<mapi::InfoStore> GetInfoStore(const QString& storeId) override;
    mapi::Ref<mapi::Folder> GetFolder(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> GetMessage(const QString& messageId, const QString& storeId) override;
    mapi::Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs& args) override;
    std::unique_ptr<mapi::WriteGroup> BeginWriteGroup() override;
    mapi::Ref<mapi::AddressEntry> CurrentUser() override;
    QString Name() override;
    mapi::Ref<mapi::Folder> GetDefaultFolder(std::int32_t kind) override;
    mapi::Ref<mapi::AddressEntry> GetAddressEntry(const QString& entryId) override;

    bool loggedOn() const { return static_cast<bool>(state_); }
    std::int64_t profile() const { return state_ ? state_->profile : 0; }
    QString storePath() const { return state_ ? state_->db->path() : QString(); }

  private:
    const SessionPtr& state() const;  // MAPI_E_NOT_INITIALIZED when logged off
    std::shared_ptr<Backend> backend_;
    SessionPtr state_;
};

}  // namespace store
