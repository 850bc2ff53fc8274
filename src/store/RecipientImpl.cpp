#include "store/RecipientImpl.h"

#include "store/AddressEntryImpl.h"
#include "store/Required.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

QString RecipientImpl::Name() {
    return required(name);
}
std::int32_t RecipientImpl::Type() {
    return required(type);
}
QString RecipientImpl::Address() {
    return required(address);
}
std::int32_t RecipientImpl::DisplayType() {
    return required(displayType);
}
void RecipientImpl::SetName(const QString& v) {
    name = v;
}
void RecipientImpl::SetType(std::int32_t v) {
    // Stores hold types beyond To, Cc and Bcc (the originator, the resend
    // flag ORed in), so any value is kept as given.
    type = v;
}
void RecipientImpl::SetAddress(const QString& v) {
    address = v;
}

void RecipientImpl::Resolve() {
    const QString wanted = required(name);
    const auto found = findEntries(s_, wanted);
    if (found.empty()) mapi::raise(mapi::code::NotFound);
    if (found.size() > 1) mapi::raise(mapi::code::AmbiguousRecip);
    const auto& e = found.front();
    name = e->Name();
    address = e->Address();
    addressType = e->Type();
    displayType = e->DisplayType();
    entryId = e->ID();
}

Ref<mapi::Recipient> RecipientsImpl::Add(const QString& name, std::int32_t type) {
    auto r = std::make_shared<RecipientImpl>(s_);
    r->name = name;
    r->type = type;
    r->displayType = 0;
    items.push_back(r);
    return Ref<mapi::Recipient>(r);
}

}  // namespace store
