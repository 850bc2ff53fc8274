#pragma once

// One mail message as the object model sees it, read from its raw bytes.
// Plain values only, so any back-end can store or serve them.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace mime {

// The recipient types of the object model.
enum class RecipientType { To = 1, Cc = 2, Bcc = 3 };

struct Recipient {
    QString name;  // the display name, else the address
    QString address;
    RecipientType type = RecipientType::To;
};

struct Attachment {
    QString name;
    QString mimeType;  // "application/pdf", "message/rfc822", ...
    QByteArray data;   // decoded
};

struct ParsedMessage {
    QString subject;
    bool hasSender = false;
    QString senderName;
    QString senderAddress;
    std::vector<Recipient> recipients;
    std::optional<QDateTime> sent;      // UTC; empty when Date is missing or unreadable
    std::optional<QDateTime> received;  // UTC
    QString body;
    bool bodyFromHtml = false;
    std::vector<Attachment> attachments;
    int importance = 1;  // 0 low, 1 normal, 2 high
    bool unread = true;
    QString messageClass = QStringLiteral("IPM.Note");
    qint64 size = 0;
    QString messageId;  // without the angle brackets
    QByteArray raw;
    QStringList warnings;  // what the parser had to guess or repair
};

// What the container knew about the message besides its bytes.
struct EnvelopeHints {
    std::optional<QDateTime> received;    // mbox separator date, Maildir file time
    std::optional<QString> maildirFlags;  // the letters after ":2,"
};

// Either a message (possibly with warnings) or the reason it cannot be one.
struct ParseResult {
    std::optional<ParsedMessage> message;
    QString unreadable;
};

}  // namespace mime
