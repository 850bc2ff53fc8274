#include "store/AttachmentImpl.h"
#include "model/AttachmentFile.h"
#include "store/Required.h"

namespace store {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

QString AttachmentImpl::Name() {
    return required(name);
}
std::int32_t AttachmentImpl::Type() {
    return required(type);
}
std::int32_t AttachmentImpl::Position() {
    return required(position);
}

void AttachmentImpl::ReadFromFile(const QString& path) {
    data_ = model::readAttachmentFile(path);
    storedRid_ = 0;
    storedSize_ = data_->size();
}

void AttachmentImpl::WriteToFile(const QString& path) {
    if (!data_ && storedRid() == 0) mapi::raise(mapi::code::NotFound);
    model::writeAttachmentFile(path, [&](QIODevice& f) {
        if (data_) return f.write(*data_) == data_->size();
        // Straight from the store, a piece at a time.
        return s_->db->readBlob("attachments", "data", storedRid_,
                                [&f](const char* d, int n) { return f.write(d, n) == n; });
    });
}

std::int64_t AttachmentImpl::dataSize() const {
    return data_ ? data_->size() : storedSize_;
}

void AttachmentImpl::stored(SessionPtr s, std::int64_t rid) {
    s_ = std::move(s);
    storedRid_ = rid;
    storedSize_ = dataSize();
    data_.reset();
}

Ref<mapi::Attachment> AttachmentsImpl::Add() {
    auto a = std::make_shared<AttachmentImpl>();
    a->name = QString();
    a->type = 1;
    a->position = static_cast<std::int32_t>(items.size());
    items.push_back(a);
    return Ref<mapi::Attachment>(a);
}

}  // namespace store
