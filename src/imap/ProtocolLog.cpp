#include "imap/ProtocolLog.h"

#include "privatefiles/PrivateFiles.h"

namespace imap {

FileProtocolLog::FileProtocolLog(const QString& path) : file_(path) {
    // The log holds the mail that passed (only the passwords are masked).
    privatefiles::openForAppend(file_, path);
}

void FileProtocolLog::write(Direction direction, const QByteArray& data) {
    const QMutexLocker lock(&mutex_);
    if (!file_.isOpen()) return;
    const QByteArray prefix = direction == Direction::Sent ? "C: " : "S: ";
    QByteArray text = data;
    if (text.endsWith("\r\n")) text.chop(2);
    for (const QByteArray& line : text.split('\n')) {
        QByteArray clean = line;
        if (clean.endsWith('\r')) clean.chop(1);
        file_.write(prefix + clean + '\n');
    }
    file_.flush();
}

}  // namespace imap
