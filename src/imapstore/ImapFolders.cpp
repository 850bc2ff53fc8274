#include <algorithm>

#include "imapstore/ImapObjects.h"

namespace imapstore {

using mapi::Ref;

Ref<mapi::Folder> ImapInfoStore::RootFolder() {
    return Ref<mapi::Folder>(std::make_shared<ImapRootFolder>(a_));
}

const std::vector<Ref<mapi::Folder>>& ImapFolders::held() {
    if (items_) return *items_;
    const std::vector<MailboxNode>& all = a_->mailboxes();
    auto listed = [&](const QString& name) {
        return std::any_of(all.begin(), all.end(),
                           [&](const MailboxNode& n) { return n.name == name; });
    };
    std::vector<Ref<mapi::Folder>> out;
    for (const MailboxNode& n : all) {
        // A mailbox whose parent the server does not list sits at the top.
        const QString parent = listed(n.parent) ? n.parent : QString();
        if (parent == parent_)
            out.push_back(Ref<mapi::Folder>(std::make_shared<ImapFolder>(a_, n.name)));
    }
    items_ = std::move(out);
    return *items_;
}

Ref<mapi::Folders> ImapRootFolder::FoldersOf() {
    return Ref<mapi::Folders>(std::make_shared<ImapFolders>(a_, QString()));
}

Ref<mapi::Messages> ImapRootFolder::MessagesOf() {
    return Ref<mapi::Messages>(std::make_shared<ImapMessages>(a_, QString()));
}

QString ImapFolder::Name() {
    const std::optional<MailboxNode> n = a_->mailbox(mailbox_);
    if (!n) mapi::raise(mapi::code::NotFound);
    return n->display;
}

Ref<mapi::Folders> ImapFolder::FoldersOf() {
    return Ref<mapi::Folders>(std::make_shared<ImapFolders>(a_, mailbox_));
}

Ref<mapi::Messages> ImapFolder::MessagesOf() {
    const std::optional<MailboxNode> n = a_->mailbox(mailbox_);
    if (!n) mapi::raise(mapi::code::NotFound);
    return Ref<mapi::Messages>(
        std::make_shared<ImapMessages>(a_, n->selectable ? mailbox_ : QString()));
}

Ref<mapi::Filter> ImapMessages::FilterOf() {
    if (!filter_) filter_ = std::make_shared<model::FilterObject>(model::FilterKind::Messages);
    return Ref<mapi::Filter>(filter_);
}

Ref<mapi::Message> ImapMessages::Add() {
    if (mailbox_.isEmpty()) mapi::raise(mapi::code::NoSupport);
    return Ref<mapi::Message>(std::make_shared<ImapMessage>(a_, mailbox_));
}

namespace {

// For-each over the listing as it was when the walk began; a filter set during
// the walk applies to the next one.
class ListingWalk : public mapi::Enumerator<mapi::Message> {
  public:
    explicit ListingWalk(std::shared_ptr<ImapMessages> owner)
        : owner_(std::move(owner)), count_(owner_->listedCount()) {}
    Ref<mapi::Message> next() override { return i_ < count_ ? owner_->listed(i_++) : nullptr; }

  private:
    std::shared_ptr<ImapMessages> owner_;
    std::size_t count_;
    std::size_t i_ = 0;
};

}  // namespace

const QList<imap::CachedSummary>& ImapMessages::listing() {
    if (!all_) {
        QList<imap::CachedSummary> list;
        if (!mailbox_.isEmpty()) {
            // Each new walk of a folder asks the server what changed since the last.
            list = a_->refresh(mailbox_);
            validity_ = a_->uidValidity(mailbox_);
        }
        made_.assign(static_cast<std::size_t>(list.size()), {});
        all_ = std::move(list);
        applySort();
    }
    return *all_;
}

std::size_t ImapMessages::listedCount() {
    return static_cast<std::size_t>(listing().size());
}

Ref<mapi::Message> ImapMessages::listed(std::size_t i) {
    const imap::CachedSummary& s = listing()[static_cast<qsizetype>(i)];
    if (std::shared_ptr<ImapMessage> m = made_[i].lock()) return Ref<mapi::Message>(m);
    const MessageKey key{mailbox_, validity_, s.uid};
    // Not make_shared: the object's memory goes back as soon as the walk lets go
    // of it, while made_ still watches its control block.
    std::shared_ptr<ImapMessage> m(new ImapMessage(a_, key, s));
    if (a_->wasDeleted(key)) m->markDeleted();
    made_[i] = m;
    return Ref<mapi::Message>(m);
}

void ImapMessages::applyFilter() {
    // Filtered again only when the filter changed since the last pass.
    if (filteredFor_ == filter_->version()) return;
    // Every member is read first: a value the filter cannot use fails the walk
    // whatever the folder holds, as on the embedded store.
    const model::FilterCriteria c = filter_->criteria();
    // The server narrows the folder first, so only its candidates' bodies are ever
    // fetched; the local pass keeps the embedded store's meaning of each member.
    std::optional<QList<quint32>> found;
    if (const std::optional<imap::SearchCriteria> search = serverCriteria(c);
        search && !mailbox_.isEmpty())
        found = a_->search(mailbox_, *search);
    std::vector<Ref<mapi::Message>> passed;
    const std::size_t n = listedCount();
    for (std::size_t i = 0; i < n; ++i) {
        if (found && !std::binary_search(found->begin(), found->end(),
                                         (*all_)[static_cast<qsizetype>(i)].uid))
            continue;
        Ref<mapi::Message> m = listed(i);
        if (passes(c, static_cast<ImapMessage&>(*m))) passed.push_back(std::move(m));
    }
    filtered_ = std::move(passed);
    filteredFor_ = filter_->version();
}

std::size_t ImapMessages::size() {
    const std::size_t n = listedCount();
    if (!filtering()) return n;
    applyFilter();
    return filtered_.size();
}

Ref<mapi::Message> ImapMessages::at(std::size_t i) {
    return filtering() ? filtered_[i] : listed(i);
}

Ref<mapi::Message> ImapMessages::Item(std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > size()) mapi::raise(mapi::code::NotFound);
    return at(static_cast<std::size_t>(index - 1));
}

std::unique_ptr<mapi::Enumerator<mapi::Message>> ImapMessages::enumerate() {
    if (filtering()) {
        applyFilter();
        return std::make_unique<VectorEnum<mapi::Message>>(filtered_);
    }
    return std::make_unique<ListingWalk>(
        std::static_pointer_cast<ImapMessages>(shared_from_this()));
}

Ref<mapi::Message> ImapMessages::GetNext() {
    const std::size_t n = size();
    if (cursor_ < 0 || static_cast<std::size_t>(cursor_) >= n) {
        cursor_ = -1;
        return {};
    }
    return at(static_cast<std::size_t>(cursor_++));
}

}  // namespace imapstore
