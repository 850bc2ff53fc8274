#include "store/Rows.h"
#include "store/StoreObjects.h"

namespace store {

using mapi::Ref;

namespace {

std::optional<QString> optText(const Stmt& q, int col) {
    if (q.isNull(col)) return std::nullopt;
    return q.text(col);
}

class InfoStoresImpl : public model::ListCollection<mapi::InfoStore, mapi::InfoStores> {
  public:
    explicit InfoStoresImpl(std::vector<Ref<mapi::InfoStore>> all) : all_(std::move(all)) {}
    Ref<mapi::InfoStore> ItemByName(const QString& name) override {
        for (const auto& s : all_)
            if (s->Name() == name) return s;
        for (const auto& s : all_)
            if (s->Name().compare(name, Qt::CaseInsensitive) == 0) return s;
        mapi::raise(mapi::code::NotFound);
    }

  protected:
    const std::vector<Ref<mapi::InfoStore>>& held() override { return all_; }

  private:
    std::vector<Ref<mapi::InfoStore>> all_;
};

}  // namespace

std::vector<std::shared_ptr<InfoStoreImpl>> profileStores(const SessionPtr& s) {
    std::vector<std::shared_ptr<InfoStoreImpl>> out;
    Stmt& q = s->db->cached(
        "SELECT s.rid, s.eid, s.name, s.root, s.outbox FROM profile_stores p "
        "JOIN stores s ON s.rid = p.store WHERE p.profile = ?1 ORDER BY p.rowid");
    q.bind(1, s->profile);
    while (q.step()) {
        std::optional<std::int64_t> root, outbox;
        if (!q.isNull(3)) root = q.integer(3);
        if (!q.isNull(4)) outbox = q.integer(4);
        out.push_back(std::make_shared<InfoStoreImpl>(s, q.integer(0), q.text(1), optText(q, 2),
                                                      root, outbox));
    }
    q.reset();
    return out;
}

std::vector<std::int64_t> profileStoreRows(const SessionPtr& s) {
    std::vector<std::int64_t> out;
    for (const auto& st : profileStores(s)) out.push_back(st->rid());
    return out;
}

Ref<mapi::InfoStores> makeInfoStores(const SessionPtr& s) {
    std::vector<Ref<mapi::InfoStore>> all;
    for (const auto& store : profileStores(s)) all.push_back(Ref<mapi::InfoStore>(store));
    // The accounts' stores follow the embedded ones.
    for (const auto& account : s->accounts) all.push_back(account->infoStore());
    return Ref<mapi::InfoStores>(std::make_shared<InfoStoresImpl>(std::move(all)));
}

QString InfoStoreImpl::Name() {
    if (!name_) mapi::raise(mapi::code::NotFound);
    return *name_;
}

Ref<mapi::Folder> InfoStoreImpl::RootFolder() {
    if (!root_) mapi::raise(mapi::code::NotFound);
    Ref<mapi::Folder> f = FolderImpl::load(s_, *root_);
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

// ---- folders --------------------------------------------------------------------

Ref<mapi::Folder> FolderImpl::load(const SessionPtr& s, std::int64_t rid) {
    Stmt& q = s->db->cached("SELECT eid, name FROM folders WHERE rid = ?1");
    q.bind(1, rid);
    Ref<mapi::Folder> out;
    if (q.step())
        out = Ref<mapi::Folder>(std::make_shared<FolderImpl>(s, rid, q.text(0), optText(q, 1)));
    q.reset();
    return out;
}

QString FolderImpl::Name() {
    if (!name_) mapi::raise(mapi::code::NotFound);
    return *name_;
}

Ref<mapi::Folders> FolderImpl::FoldersOf() {
    return Ref<mapi::Folders>(std::make_shared<FoldersImpl>(s_, rid_));
}

Ref<mapi::Messages> FolderImpl::MessagesOf() {
    return Ref<mapi::Messages>(std::make_shared<MessagesImpl>(s_, rid_));
}

std::vector<std::int64_t> FoldersImpl::rows() const {
    std::vector<std::int64_t> out;
    Stmt& q = s_->db->cached("SELECT rid FROM folders WHERE parent = ?1 ORDER BY rid");
    q.bind(1, parent_);
    while (q.step()) out.push_back(q.integer(0));
    q.reset();
    return out;
}

Ref<mapi::Folder> FoldersImpl::Item(std::int32_t index) {
    // Read afresh every time: folders are few.
    Ref<mapi::Folder> f = FolderImpl::load(s_, RowWalk().at(index, [this] { return rows(); }));
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

FoldersImpl::Load FoldersImpl::loader() const {
    return [s = s_](const std::vector<std::int64_t>& rows, std::size_t i) {
        return FolderImpl::load(s, rows[i]);
    };
}

}  // namespace store
