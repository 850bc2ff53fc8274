#include "privatefiles/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>

namespace privatefiles {

namespace {

constexpr mode_t kOthers = S_IRWXG | S_IRWXO;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Whether a file of this kind and owner is one to narrow: a device or a
// folder like /tmp given as a log or profile path must never be touched.
bool ours(const struct stat& st) {
    return (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) && st.st_uid == ::geteuid();
}

}  // namespace

bool narrow(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) return errno == ENOENT;
    if (!ours(st) || (st.st_mode & kOthers) == 0) return true;
    return ::chmod(native(path).constData(), st.st_mode & 07777 & ~kOthers) == 0;
}

bool makeFolder(const QString& path) {
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // From the top down, so that every folder this call creates gets the mode.
    QString at;
    for (const QString& part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at += QLatin1Char('/') + part;
        const QByteArray name = native(at);
        if (::mkdir(name.constData(), 0700) == 0) {
            // The umask may have taken the owner's own bits too.
            ::chmod(name.constData(), 0700);
        } else if (errno != EEXIST) {
            return false;
        }
    }
    return QFileInfo(target).isDir();
}

void narrowTree(const QString& folder) {
    narrow(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) narrow(it.next());
}

void prepareDatabase(const QString& path, bool create) {
    // SQLite's names for a database in memory or a temporary one are no files.
    if (path.isEmpty() || path == QLatin1String(":memory:") ||
        path.startsWith(QLatin1String("file:")))
        return;
    if (create) {
        const int fd = ::open(native(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
    }
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        narrow(path + QLatin1String(suffix));
}

bool openForAppend(QFile& file, const QString& path) {
    const int fd =
        ::open(native(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && ours(st) && (st.st_mode & kOthers) != 0)
        ::fchmod(fd, st.st_mode & 07777 & ~kOthers);
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QString replaceFile(const QString& path, const QByteArray& data) {
    QTemporaryFile tmp(path + QStringLiteral(".XXXXXX"));
    if (!tmp.open()) return tmp.errorString();
    ::fchmod(tmp.handle(), 0600);
    if (tmp.write(data) != data.size() || !tmp.flush() || ::fsync(tmp.handle()) != 0)
        return tmp.errorString();
    if (::rename(native(tmp.fileName()).constData(), native(path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    tmp.setAutoRemove(false);
    // The new name must survive a power cut as well as the bytes.
    const int dir = ::open(native(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return QString();
}

}  // namespace privatefiles
