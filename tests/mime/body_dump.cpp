// Prints the body the MIME reader gives each message file named on the command
// line, under a line with the name as given; says so when the body is not
// from an HTML-only message or the file is no message.
#include <QFile>
#include <cstdio>

#include "mime/MimeReader.h"

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::printf("=== %s\n", argv[i]);
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::printf("(cannot open)\n");
            status = 1;
            continue;
        }
        const mime::ParseResult r = mime::parseMessage(file.readAll());
        if (!r.message) {
            std::printf("(unreadable: %s)\n", qPrintable(r.unreadable));
            continue;
        }
        if (!r.message->bodyFromHtml) std::printf("(not HTML-only)\n");
        const QByteArray body = r.message->body.toUtf8();
        std::fwrite(body.constData(), 1, static_cast<size_t>(body.size()), stdout);
        std::printf("\n");
    }
    return status;
}
