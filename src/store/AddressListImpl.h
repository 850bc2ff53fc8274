#pragma once

// The address lists of the profile.

#include <memory>
#include <vector>

#include "model/Enumeration.h"
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

class AddressListsImpl : public model::ListCollection<mapi::AddressList, mapi::AddressLists,
                                                      std::shared_ptr<AddressListImpl>> {
  public:
    explicit AddressListsImpl(SessionPtr s);
    mapi::Ref<mapi::AddressList> ItemByName(const QString& name) override;

  protected:
    const std::vector<std::shared_ptr<AddressListImpl>>& held() override { return lists_; }

  private:
    std::vector<std::shared_ptr<AddressListImpl>> lists_;
};

}  // namespace store
