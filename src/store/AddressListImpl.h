#pragma once

// The address lists of the profile.

#include <memory>
#include <vector>

#include "store/SessionState.h"

namespace store {

class AddressListImpl : public mapi::AddressList {
  public:
    AddressListImpl(SessionPtr s, std::int64_t rid, QString eid, QString name, bool readOnly)
        : s_(std::move(s)),
          rid_(rid),
          eid_(std::move(eid)),
          name_(std::move(name)),
          readOnly_(readOnly) {}
    QString ID() override { return eid_; }
    QString Name() override { return name_; }
    mapi::Ref<mapi::AddressEntries> AddressEntriesOf() override;
    std::int64_t rid() const { return rid_; }

  private:
    SessionPtr s_;
    std::int64_t rid_;
    QString eid_;
    QString name_;
    bool readOnly_;
};

class AddressListsImpl : public mapi::AddressLists {
  public:
    explicit AddressListsImpl(SessionPtr s);
    std::int32_t Count() override { return static_cast<std::int32_t>(lists_.size()); }
    mapi::Ref<mapi::AddressList> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::AddressList>> enumerate() override;
    mapi::Ref<mapi::AddressList> ItemByName(const QString& name) override;

  private:
    std::vector<std::shared_ptr<AddressListImpl>> lists_;
};

}  // namespace store
