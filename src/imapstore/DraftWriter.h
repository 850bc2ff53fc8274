#pragma once

// A new message as the bytes an IMAP APPEND stores, built with GMime.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "mime/ParsedMessage.h"

namespace imapstore {

struct Draft {
    QString fromName;
    QString fromAddress;
    QString subject;
    QString body;
    int importance = 1;  // 0 low, 1 normal, 2 high
    std::vector<mime::Recipient> recipients;
    std::vector<mime::Attachment> attachments;
    bool deliveryReceipt = false;
    bool readReceipt = false;
    // Without the angle brackets; none is written when empty. It is what finds the
    // draft on the server again when the answer to its APPEND was lost.
    QString messageId;
    // The Date header; now when unset.
    std::optional<QDateTime> date;
};

// A new, unique Message-ID for mail from `address`, without the angle brackets.
QString newMessageId(const QString& address);

// CRLF line ends, as IMAP wants them.
QByteArray writeDraft(const Draft& d);

}  // namespace imapstore
