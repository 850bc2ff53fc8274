#pragma once

// A message as one store hands it to another for CopyTo and MoveTo: the raw
// RFC 822 bytes when the source has them (mail read from a server or imported
// from a file), and always the values a store without a parser keeps.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace mapi {

struct MessageCopy {
    struct Recipient {
        QString name;
        QString address;
        std::int32_t type = 1;  // 1 To, 2 Cc, 3 Bcc
    };
    struct Attachment {
        QString name;
        QByteArray data;
    };
    QByteArray raw;  // empty when the source has no RFC 822 form
    QString subject;
    QString body;
    QString messageClass = QStringLiteral("IPM.Note");
    std::int32_t importance = 1;
    bool hasSender = false;
    QString senderName;
    QString senderAddress;
    std::optional<QDateTime> timeSent;      // local time
    std::optional<QDateTime> timeReceived;  // local time
    bool unread = false;
    bool sent = false;
    std::vector<Recipient> recipients;
    std::vector<Attachment> attachments;
};

}  // namespace mapi
