#pragma once

// The subfolders of a folder.

#include <vector>

#include "store/Rows.h"
#include "store/SessionState.h"

namespace store {

class FoldersImpl : public RowCollection<mapi::Folder, mapi::Folders> {
  public:
    FoldersImpl(SessionPtr s, std::int64_t parent) : s_(std::move(s)), parent_(parent) {}
    mapi::Ref<mapi::Folder> Item(std::int32_t index) override;
    mapi::Ref<mapi::Folder> Add(const QString& name) override;
    std::vector<std::int64_t> rows() const override;

  private:
    Load loader() const override;
    SessionPtr s_;
    std::int64_t parent_;
};

}  // namespace store
