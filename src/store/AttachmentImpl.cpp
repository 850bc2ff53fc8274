#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "store/AttachmentImpl.h"
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
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) mapi::raise(mapi::code::NotFound);
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) mapi::raise(mapi::code::NoAccess);
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) mapi::raise(mapi::code::NoAccess);
    data_ = std::move(bytes);
    storedRid_ = 0;
    storedSize_ = data_->size();
}

void AttachmentImpl::WriteToFile(const QString& path) {
    if (!data_ && storedRid() == 0) mapi::raise(mapi::code::NotFound);
    if (path.isEmpty() || QFileInfo(path).isDir()) mapi::raise(mapi::code::NoAccess);
    // Written beside the target and renamed over it, so a failed write leaves
    // no half-written file behind.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) mapi::raise(mapi::code::NoAccess);
    bool written = true;
    if (data_) {
        written = f.write(*data_) == data_->size();
    } else {
        // Straight from the store, a piece at a time.
        written = s_->db->readBlob("attachments", "data", storedRid_,
                                   [&f](const char* d, int n) { return f.write(d, n) == n; });
    }
    if (!written || !f.commit()) mapi::raise(mapi::code::NoAccess);
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
