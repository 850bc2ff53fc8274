#pragma once

// The entries of an address list, or the members of a distribution list.

#include <memory>
#include <vector>

#include "store/FilterImpl.h"
#include "store/Rows.h"
#include "store/SessionState.h"

namespace store {

class AddressEntryImpl;

class AddressEntriesImpl : public mapi::AddressEntries {
  public:
    // The top-level entries of a list, or the members of a distribution list.
    AddressEntriesImpl(SessionPtr s, std::int64_t list, bool readOnly,
                       std::shared_ptr<AddressEntryImpl> parent)
        : s_(std::move(s)), list_(list), readOnly_(readOnly), parent_(std::move(parent)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::AddressEntry> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> enumerate() override;
    mapi::Ref<mapi::AddressEntry> GetFirst() override;
    mapi::Ref<mapi::AddressEntry> GetNext() override;
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::AddressEntry> Add(const QString& type, const QString& name) override;

    std::vector<std::int64_t> rows() const;

  private:
    SessionPtr s_;
    std::int64_t list_;
    bool readOnly_;
    std::shared_ptr<AddressEntryImpl> parent_;
    std::shared_ptr<FilterImpl> filter_;
    RowWalk walk_;
};

}  // namespace store
