#include <algorithm>

#include "imapstore/ImapObjects.h"

namespace imapstore {

using mapi::Ref;

Ref<mapi::Folder> ImapInfoStore::RootFolder() {
    return Ref<mapi::Folder>(std::make_shared<ImapRootFolder>(a_));
}

const std::vector<Ref<mapi::Folder>>& ImapFolders::items() {
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
    if (!filter_) filter_ = std::make_shared<ImapFilter>();
    return Ref<mapi::Filter>(filter_);
}

Ref<mapi::Message> ImapMessages::Add() {
    if (mailbox_.isEmpty()) mapi::raise(mapi::code::NoSupport);
    return Ref<mapi::Message>(std::make_shared<ImapMessage>(a_, mailbox_));
}

const std::vector<Ref<mapi::Message>>& ImapMessages::items() {
    if (!all_) {
        std::vector<Ref<mapi::Message>> out;
        if (!mailbox_.isEmpty()) {
            // Each new walk of a folder asks the server what changed since the last.
            const QList<imap::CachedSummary> list = a_->refresh(mailbox_);
            const quint32 validity = a_->uidValidity(mailbox_);
            out.reserve(list.size());
            for (const imap::CachedSummary& s : list)
                out.push_back(Ref<mapi::Message>(
                    std::make_shared<ImapMessage>(a_, MessageKey{mailbox_, validity, s.uid}, s)));
        }
        all_ = std::move(out);
    }
    if (!filter_ || filter_->isEmpty()) return *all_;
    // Filtered again only when the filter changed since the last pass.
    if (filteredFor_ == filter_->version()) return filtered_;
    // The server narrows the folder first, so only its candidates' bodies are ever
    // fetched; the local pass keeps the embedded store's meaning of each member.
    std::optional<QList<quint32>> found;
    if (const std::optional<imap::SearchCriteria> c = filter_->serverCriteria();
        c && !mailbox_.isEmpty())
        found = a_->search(mailbox_, *c);
    std::vector<Ref<mapi::Message>> passed;
    for (const Ref<mapi::Message>& m : *all_) {
        auto& message = static_cast<ImapMessage&>(*m);
        if (found && !std::binary_search(found->begin(), found->end(), message.uid())) continue;
        if (filter_->matches(message)) passed.push_back(m);
    }
    filtered_ = std::move(passed);
    filteredFor_ = filter_->version();
    return filtered_;
}

}  // namespace imapstore
