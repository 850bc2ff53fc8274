#pragma once

// A folder of a store.

#include <optional>

#include "store/SessionState.h"

namespace store {

class FolderImpl : public mapi::Folder {
  public:
    FolderImpl(SessionPtr s, std::int64_t rid, QString eid, std::optional<QString> name)
        : s_(std::move(s)), rid_(rid), eid_(std::move(eid)), name_(std::move(name)) {}
    static mapi::Ref<mapi::Folder> load(const SessionPtr& s, std::int64_t rid);
    QString ID() override { return eid_; }
    QString Name() override;
    mapi::Ref<mapi::Folders> FoldersOf() override;
    mapi::Ref<mapi::Messages> MessagesOf() override;
    mapi::Ref<mapi::Object> Parent() override;
    void Delete() override;
    mapi::Ref<mapi::Folder> CopyTo(const QString& folderId, const QString& storeId,
                                   const QString& name, bool subfolders) override;
    mapi::Ref<mapi::Folder> MoveTo(const QString& folderId, const QString& storeId) override;
    mapi::Ref<mapi::Message> importCopy(mapi::Message& source) override;
    std::int64_t rid() const { return rid_; }

  private:
    SessionPtr s_;
    std::int64_t rid_;
    QString eid_;
    std::optional<QString> name_;
};

}  // namespace store
