#include "import/MailSources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "mime/MimeReader.h"

namespace import {

namespace {

bool isMaildir(const QString& dir) {
    return QFileInfo(dir + QStringLiteral("/cur")).isDir() &&
           QFileInfo(dir + QStringLiteral("/new")).isDir();
}

qint64 treeBytes(const QString& dir) {
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

QString withoutMboxSuffix(const QFileInfo& fi) {
    const QString suffix = fi.suffix().toLower();
    if (suffix == QLatin1String("mbox") || suffix == QLatin1String("mbx"))
        return fi.completeBaseName();
    return fi.fileName();
}

bool isBlank(const QByteArray& line) {
    return line == "\n" || line == "\r\n" || line.isEmpty();
}

// A "From " line that starts a message: always one with a full date; after a
// blank line, anything that at least carries a time of day.
bool isSeparator(const QByteArray& line, bool afterBlank) {
    if (!line.startsWith("From ")) return false;
    if (mime::mboxSeparatorDate(line)) return true;
    if (!afterBlank) return false;
    for (qsizetype i = 5; i + 4 < line.size(); ++i) {
        const char* p = line.constData() + i;
        if (isdigit(static_cast<unsigned char>(p[0])) &&
            isdigit(static_cast<unsigned char>(p[1])) && p[2] == ':' &&
            isdigit(static_cast<unsigned char>(p[3])) && isdigit(static_cast<unsigned char>(p[4])))
            return true;
    }
    return false;
}

bool isQuotedFrom(const QByteArray& line) {
    qsizetype i = 0;
    while (i < line.size() && line[i] == '>') ++i;
    return i > 0 && line.mid(i, 5) == "From ";
}

QString readMbox(const Source& s, const std::function<void(RawMessage&&)>& sink) {
    QFile f(s.path);
    if (!f.open(QIODevice::ReadOnly)) return f.errorString();
    const QString name = withoutMboxSuffix(QFileInfo(s.path));
    RawMessage cur;
    bool inMessage = false;
    bool afterBlank = true;
    int number = 0;
    qint64 offset = 0, start = 0;
    auto flush = [&] {
        if (!inMessage) return;
        // The blank line before the next separator belongs to the mbox, not the message.
        if (cur.raw.endsWith("\r\n\r\n"))
            cur.raw.chop(2);
        else if (cur.raw.endsWith("\n\n"))
            cur.raw.chop(1);
        cur.consumed = offset - start;
        sink(std::move(cur));
        cur = RawMessage();
        inMessage = false;
    };
    while (!f.atEnd()) {
        QByteArray line = f.readLine();
        if (line.isEmpty() && f.error() != QFile::NoError) return f.errorString();
        if (isSeparator(line, afterBlank)) {
            flush();
            ++number;
            start = offset;
            inMessage = true;
            cur.folder = QStringList{name};
            cur.hints.received = mime::mboxSeparatorDate(line);
            cur.origin =
                QStringLiteral("%1, message %2 at byte %3").arg(s.path).arg(number).arg(offset);
        } else if (inMessage) {
            if (isQuotedFrom(line)) line.remove(0, 1);
            cur.raw += line;
        }
        afterBlank = isBlank(line);
        offset += line.size();
    }
    flush();
    return QString();
}

RawMessage fileMessage(const QString& path, const QStringList& folder, QString* error) {
    RawMessage m;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString();
        return m;
    }
    m.raw = f.readAll();
    m.folder = folder;
    m.origin = path;
    m.consumed = m.raw.size();
    return m;
}

QStringList sortedEntries(const QString& dir, QDir::Filters filters) {
    QDir d(dir);
    return d.entryList(filters | QDir::NoDotAndDotDot, QDir::Name);
}

void readMaildirFolder(const QString& dir, const QStringList& folder,
                       const std::function<void(RawMessage&&)>& sink) {
    for (const char* sub : {"new", "cur"}) {
        const QString subdir = dir + QLatin1Char('/') + QLatin1String(sub);
        for (const QString& file : sortedEntries(subdir, QDir::Files | QDir::Hidden)) {
            const QString path = subdir + QLatin1Char('/') + file;
            QString error;
            RawMessage m = fileMessage(path, folder, &error);
            if (!error.isEmpty()) continue;  // gone since the listing (a client moved it)
            const qsizetype info = file.lastIndexOf(QStringLiteral(":2,"));
            m.hints.maildirFlags = info >= 0 ? file.mid(info + 3) : QString();
            m.hints.received = QFileInfo(path).lastModified().toUTC();
            sink(std::move(m));
        }
    }
}

QString readMaildir(const Source& s, const std::function<void(RawMessage&&)>& sink) {
    readMaildirFolder(s.path, QStringList{QStringLiteral("Inbox")}, sink);
    // Maildir++: ".A.B" is folder B inside A, beside the Inbox.
    for (const QString& sub : sortedEntries(s.path, QDir::Dirs | QDir::Hidden)) {
        if (!sub.startsWith(QLatin1Char('.')) || sub.size() < 2) continue;
        const QString dir = s.path + QLatin1Char('/') + sub;
        if (!isMaildir(dir)) continue;
        QStringList path = sub.mid(1).split(QLatin1Char('.'), Qt::SkipEmptyParts);
        if (path.isEmpty()) continue;
        readMaildirFolder(dir, path, sink);
    }
    return QString();
}

void readEmlFolder(const QString& dir, const QStringList& folder,
                   const std::function<void(RawMessage&&)>& sink) {
    for (const QString& file : sortedEntries(dir, QDir::Files)) {
        if (!file.endsWith(QLatin1String(".eml"), Qt::CaseInsensitive)) continue;
        QString error;
        RawMessage m = fileMessage(dir + QLatin1Char('/') + file, folder, &error);
        if (error.isEmpty()) sink(std::move(m));
    }
    for (const QString& sub : sortedEntries(dir, QDir::Dirs))
        readEmlFolder(dir + QLatin1Char('/') + sub, folder + QStringList{sub}, sink);
}

}  // namespace

Recognized recognizeSource(const QString& path) {
    Recognized r;
    const QFileInfo fi(path);
    if (!fi.exists()) {
        r.error = QStringLiteral("%1: no such file or folder").arg(path);
        return r;
    }
    Source s;
    s.path = fi.absoluteFilePath();
    if (fi.isDir()) {
        if (!fi.isReadable()) {
            r.error = QStringLiteral("%1: the folder cannot be read").arg(path);
            return r;
        }
        s.kind = isMaildir(s.path) ? SourceKind::Maildir : SourceKind::EmlFolder;
        s.storeName = QDir(s.path).dirName();
        s.bytes = treeBytes(s.path);
        r.source = s;
        return r;
    }
    QFile f(s.path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("%1: cannot be read: %2").arg(path, f.errorString());
        return r;
    }
    const QByteArray head = f.peek(5);
    s.bytes = fi.size();
    if (head == "From ") {
        s.kind = SourceKind::Mbox;
        s.storeName = withoutMboxSuffix(fi);
    } else {
        // Anything else is taken as one message; the MIME reader tells mail from not.
        s.kind = SourceKind::EmlFile;
        s.storeName = fi.completeBaseName();
    }
    r.source = s;
    return r;
}

QString readSource(const Source& source, const std::function<void(RawMessage&&)>& sink) {
    switch (source.kind) {
        case SourceKind::Mbox:
            return readMbox(source, sink);
        case SourceKind::Maildir:
            return readMaildir(source, sink);
        case SourceKind::EmlFolder:
            readEmlFolder(source.path, QStringList{QDir(source.path).dirName()}, sink);
            return QString();
        case SourceKind::EmlFile: {
            QString error;
            RawMessage m = fileMessage(source.path, QStringList{QStringLiteral("Inbox")}, &error);
            if (!error.isEmpty()) return error;
            sink(std::move(m));
            return QString();
        }
    }
    return QString();
}

}  // namespace import
