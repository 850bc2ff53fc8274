#include "model/AttachmentFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "messaging/Error.h"

namespace model {

QByteArray readAttachmentFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) mapi::raise(mapi::code::NotFound);
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) mapi::raise(mapi::code::NoAccess);
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) mapi::raise(mapi::code::NoAccess);
    return bytes;
}

void writeAttachmentFile(const QString& path, const std::function<bool(QIODevice&)>& write) {
    if (path.isEmpty() || QFileInfo(path).isDir()) mapi::raise(mapi::code::NoAccess);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) mapi::raise(mapi::code::NoAccess);
    if (!write(f) || !f.commit()) mapi::raise(mapi::code::NoAccess);
}

}  // namespace model
