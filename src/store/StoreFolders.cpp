#include "store/StoreObjects.h"

namespace store {

using mapi::Ref;

namespace {

std::optional<QString> optText(const Stmt& q, int col) {
    if (q.isNull(col)) return std::nullopt;
    return q.text(col);
}

template <class T>
class VectorEnum : public mapi::Enumerator<T> {
  public:
    explicit VectorEnum(std::vector<Ref<T>> items) : items_(std::move(items)) {}
    Ref<T> next() override { return i_ < items_.size() ? items_[i_++] : Ref<T>(); }

  private:
    std::vector<Ref<T>> items_;
    std::size_t i_ = 0;
};

class InfoStoresImpl : public mapi::InfoStores {
  public:
    explicit InfoStoresImpl(std::vector<Ref<mapi::InfoStore>> all) : all_(std::move(all)) {}
    std::int32_t Count() override { return static_cast<std::int32_t>(all_.size()); }
    Ref<mapi::InfoStore> Item(std::int32_t index) override {
        if (index < 1 || static_cast<std::size_t>(index) > all_.size())
            mapi::raise(mapi::code::NotFound);
        return all_[index - 1];
    }
    std::unique_ptr<mapi::Enumerator<mapi::InfoStore>> enumerate() override {
        return std::make_unique<VectorEnum<mapi::InfoStore>>(all_);
    }
    Ref<mapi::InfoStore> ItemByName(const QString& name) override {
        for (const auto& s : all_)
            if (s->Name() == name) return s;
        for (const auto& s : all_)
            if (s->Name().compare(name, Qt::CaseInsensitive) == 0) return s;
        mapi::raise(mapi::code::NotFound);
    }

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

std::int32_t FoldersImpl::Count() {
    snapshot_ = rows();
    return static_cast<std::int32_t>(snapshot_.size());
}

Ref<mapi::Folder> FoldersImpl::Item(std::int32_t index) {
    const std::vector<std::int64_t> all = rows();
    if (index < 1 || static_cast<std::size_t>(index) > all.size())
        mapi::raise(mapi::code::NotFound);
    Ref<mapi::Folder> f = FolderImpl::load(s_, all[index - 1]);
    if (!f) mapi::raise(mapi::code::NotFound);
    return f;
}

namespace {
class FolderEnum : public mapi::Enumerator<mapi::Folder> {
  public:
    FolderEnum(SessionPtr s, std::vector<std::int64_t> rows)
        : s_(std::move(s)), rows_(std::move(rows)) {}
    Ref<mapi::Folder> next() override {
        while (i_ < rows_.size()) {
            Ref<mapi::Folder> f = FolderImpl::load(s_, rows_[i_++]);
            if (f) return f;
        }
        return {};
    }

  private:
    SessionPtr s_;
    std::vector<std::int64_t> rows_;
    std::size_t i_ = 0;
};
}  // namespace

std::unique_ptr<mapi::Enumerator<mapi::Folder>> FoldersImpl::enumerate() {
    return std::make_unique<FolderEnum>(s_, rows());
}

Ref<mapi::Folder> FoldersImpl::GetFirst() {
    snapshot_ = rows();
    cursor_ = -1;
    return GetNext();
}

Ref<mapi::Folder> FoldersImpl::GetNext() {
    if (cursor_ < -1) return {};
    while (static_cast<std::size_t>(cursor_ + 1) < snapshot_.size()) {
        ++cursor_;
        Ref<mapi::Folder> f = FolderImpl::load(s_, snapshot_[cursor_]);
        if (f) return f;
    }
    cursor_ = static_cast<std::int64_t>(snapshot_.size());
    return {};
}

}  // namespace store
