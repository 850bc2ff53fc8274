#include <vector>

#include "messaging/Objects.h"
#include "messaging/ReadOnly.h"

namespace mapi {

namespace {

// PR_SENSITIVITY, a Long.
constexpr std::int32_t kSensitivityTag = 0x00360003;

[[noreturn]] void unsupported() {
    raise(code::NoSupport);
}

}  // namespace

// ---- message --------------------------------------------------------------------

Ref<Folder> Message::Parent() {
    unsupported();
}

Variant Message::Sensitivity() {
    // Mail that never said otherwise is of no particular sensitivity.
    try {
        const Variant v = FieldsOf()->ItemByTag(kSensitivityTag)->Value();
        if (v.type() == VarType::Long) return v;
        if (v.type() == VarType::Integer) return Variant(std::int32_t{v.asInteger()});
        return Variant(std::int32_t{0});
    } catch (const Error& e) {
        if (e.number() == code::NotFound) return Variant(std::int32_t{0});
        throw;
    }
}

void Message::SetSensitivity(std::int32_t v) {
    if (v < 0 || v > 3) raise(code::InvalidParameter);
    FieldsOf()->Add(Variant(kSensitivityTag), static_cast<std::int16_t>(VarType::Long), Variant(v));
}

Ref<Message> Message::CopyTo(const QString&, const QString&) {
    unsupported();
}

Ref<Message> Message::MoveTo(const QString&, const QString&) {
    unsupported();
}

Ref<Message> Message::Forward() {
    unsupported();
}

Ref<Message> Message::Reply() {
    unsupported();
}

Ref<Message> Message::ReplyAll() {
    unsupported();
}

MessageCopy Message::exportCopy() {
    unsupported();
}

// ---- messages -------------------------------------------------------------------

Ref<Message> Messages::GetLast() {
    back_ = Count();
    if (back_ <= 0) {
        back_ = 0;
        return {};
    }
    return Item(back_);
}

Ref<Message> Messages::GetPrevious() {
    if (back_ <= 1) {
        back_ = 0;
        return {};
    }
    return Item(--back_);
}

void Messages::Sort(std::int32_t, std::uint32_t) {
    unsupported();
}

void Messages::Delete() {
    checkSessionWritable();
    // The whole list first: deleting while walking would skip every other one.
    std::vector<Ref<Message>> all;
    for (auto e = enumerate(); Ref<Message> m = e->next();) all.push_back(m);
    for (const Ref<Message>& m : all) m->Delete();
}

// ---- folders and stores ---------------------------------------------------------

Ref<Object> Folder::Parent() {
    unsupported();
}

void Folder::Delete() {
    unsupported();
}

Ref<Folder> Folder::CopyTo(const QString&, const QString&, const QString&, bool) {
    unsupported();
}

Ref<Folder> Folder::MoveTo(const QString&, const QString&) {
    unsupported();
}

Ref<Message> Folder::importCopy(Message&) {
    unsupported();
}

Ref<Folder> Folders::Add(const QString&) {
    unsupported();
}

QString InfoStore::ProviderName() {
    unsupported();
}

Ref<Folder> InfoStore::defaultFolder(std::int32_t) {
    unsupported();
}

Ref<AddressEntry> InfoStore::owner() {
    unsupported();
}

// ---- session --------------------------------------------------------------------

Ref<AddressEntry> Session::CurrentUser() {
    unsupported();
}

QString Session::Name() {
    unsupported();
}

Ref<Folder> Session::GetDefaultFolder(std::int32_t) {
    unsupported();
}

Ref<AddressEntry> Session::GetAddressEntry(const QString&) {
    unsupported();
}

}  // namespace mapi
