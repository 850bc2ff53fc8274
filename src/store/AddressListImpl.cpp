#include "store/AddressListImpl.h"

#include "store/AddressEntriesImpl.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

Ref<mapi::AddressEntries> AddressListImpl::AddressEntriesOf() {
    return Ref<mapi::AddressEntries>(
        std::make_shared<AddressEntriesImpl>(s_, rid_, readOnly_, nullptr));
}

AddressListsImpl::AddressListsImpl(SessionPtr s) {
    Stmt& q = s->db->cached(
        "SELECT l.rid, l.eid, l.name, l.read_only FROM profile_lists p "
        "JOIN address_lists l ON l.rid = p.list WHERE p.profile = ?1 ORDER BY p.rowid");
    q.bind(1, s->profile);
    while (q.step())
        lists_.push_back(std::make_shared<AddressListImpl>(s, q.integer(0), q.text(1), q.text(2),
                                                           q.integer(3) != 0));
    q.reset();
}

Ref<mapi::AddressList> AddressListsImpl::ItemByName(const QString& name) {
    for (const auto& l : lists_)
        if (l->Name() == name) return Ref<mapi::AddressList>(l);
    for (const auto& l : lists_)
        if (l->Name().compare(name, Qt::CaseInsensitive) == 0) return Ref<mapi::AddressList>(l);
    mapi::raise(mapi::code::NotFound);
}

}  // namespace store
