#include "store/DurableFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace store {

namespace {

bool syncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool commitFile(const QString& path, const QString& target) {
    if (!syncPath(path, O_RDONLY)) return false;
    // link() refuses an existing target, where rename() would replace it.
    const QByteArray from = QFile::encodeName(path), to = QFile::encodeName(target);
    if (::link(from.constData(), to.constData()) != 0) return false;
    ::unlink(from.constData());
    // Without the folder flushed, the new name may be lost in a power cut.
    syncPath(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

void removeStoreFiles(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

}  // namespace store
