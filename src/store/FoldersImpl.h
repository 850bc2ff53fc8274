#pragma once

// The subfolders of a folder.

#include <vector>

#include "store/Rows.h"
#include "store/SessionState.h"

namespace store {

class FoldersImpl : public mapi::Folders {
  public:
    FoldersImpl(SessionPtr s, std::int64_t parent) : s_(std::move(s)), parent_(parent) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Folder> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Folder>> enumerate() override;
    mapi::Ref<mapi::Folder> GetFirst() override;
    mapi::Ref<mapi::Folder> GetNext() override;

  private:
    std::vector<std::int64_t> rows() const;
    SessionPtr s_;
    std::int64_t parent_;
    RowWalk walk_;
};

}  // namespace store
