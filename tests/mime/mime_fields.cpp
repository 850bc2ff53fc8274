// Prints what the MIME reader makes of each mail file, one JSON object a line, for
// comparison with another mail parser: mime_fields DIR (every file under it, sorted).
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "mime/MimeReader.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mime_fields DIR\n");
        return 2;
    }
    const QDir root(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
    QStringList files;
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << root.relativeFilePath(it.next());
    files.sort();
    for (const QString& name : files) {
        QFile f(root.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "mime_fields: cannot read %s\n", qPrintable(f.fileName()));
            return 1;
        }
        const mime::ParseResult r = mime::parseMessage(f.readAll());
        QJsonObject o{{QStringLiteral("file"), name}};
        if (const auto& m = r.message) {
            o[QStringLiteral("subject")] = m->subject;
            o[QStringLiteral("from_name")] = m->senderName;
            o[QStringLiteral("from_addr")] = m->senderAddress;
            QJsonArray to, cc, attachments;
            for (const mime::Recipient& p : m->recipients)
                (p.type == mime::RecipientType::Cc ? cc : to).append(p.name);
            for (const mime::Attachment& a : m->attachments)
                attachments.append(QJsonArray{a.name, a.mimeType});
            o[QStringLiteral("to")] = to;
            o[QStringLiteral("cc")] = cc;
            o[QStringLiteral("attachments")] = attachments;
        } else {
            o[QStringLiteral("unreadable")] = r.unreadable;
        }
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
