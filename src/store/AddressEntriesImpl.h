#pragma once

// The entries of an address list, or the members of a distribution list.

#include <memory>
#include <vector>

#include "store/FilterImpl.h"
#include "store/Rows.h"
#include "store/SessionState.h"

namespace store {

class AddressEntryImpl;

class AddressEntriesImpl : public RowCollection<mapi::AddressEntry, mapi::AddressEntries> {
  public:
    // The top-level entries of a list, or the members of a distribution list.
    AddressEntriesImpl(SessionPtr s, std::int64_t list, bool readOnly,
                       std::shared_ptr<AddressEntryImpl> parent)
        : s_(std::move(s)), list_(list), readOnly_(readOnly), parent_(std::move(parent)) {}
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::AddressEntry> Add(const QString& type, const QString& name) override;

    std::vector<std::int64_t> rows() const override;

  private:
    Load loader() const override;
    SessionPtr s_;
    std::int64_t list_;
    bool readOnly_;
    std::shared_ptr<AddressEntryImpl> parent_;
    std::shared_ptr<FilterImpl> filter_;
};

}  // namespace store
