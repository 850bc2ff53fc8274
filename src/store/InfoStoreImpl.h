#pragma once

// A store of the profile, and the profile's stores.

#include <optional>
#include <vector>

#include "store/SessionState.h"

namespace store {

class InfoStoreImpl : public mapi::InfoStore {
  public:
    InfoStoreImpl(SessionPtr s, std::int64_t rid, QString eid, std::optional<QString> name,
                  std::optional<std::int64_t> root, std::optional<std::int64_t> outbox)
        : s_(std::move(s)),
          rid_(rid),
          eid_(std::move(eid)),
          name_(std::move(name)),
          root_(root),
          outbox_(outbox) {}
    QString ID() override { return eid_; }
    QString Name() override;
    mapi::Ref<mapi::Folder> RootFolder() override;
    QString ProviderName() override { return QStringLiteral("Embedded store"); }
    mapi::Ref<mapi::Folder> defaultFolder(std::int32_t kind) override;
    mapi::Ref<mapi::AddressEntry> owner() override;
    std::int64_t rid() const { return rid_; }
    std::optional<std::int64_t> root() const { return root_; }
    std::optional<std::int64_t> outbox() const { return outbox_; }

  private:
    SessionPtr s_;
    std::int64_t rid_;
    QString eid_;
    std::optional<QString> name_;
    std::optional<std::int64_t> root_;
    std::optional<std::int64_t> outbox_;
};

// Stores of the session's profile, in profile order.
std::vector<std::shared_ptr<InfoStoreImpl>> profileStores(const SessionPtr& s);
mapi::Ref<mapi::InfoStores> makeInfoStores(const SessionPtr& s);
// The folder `folderId` of store `storeId` ("" for any) among the session's
// stores and accounts; MAPI_E_NOT_FOUND when none has it.
mapi::Ref<mapi::Folder> findFolder(const SessionPtr& s, const QString& folderId,
                                   const QString& storeId);
// The default store's folder of that kind (see mapi::Session::GetDefaultFolder).
mapi::Ref<mapi::Folder> defaultFolder(const SessionPtr& s, std::int32_t kind);
// Row ids of the profile's stores, for the identifier look-ups.
std::vector<std::int64_t> profileStoreRows(const SessionPtr& s);

}  // namespace store
