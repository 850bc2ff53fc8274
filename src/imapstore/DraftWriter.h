#pragma once

// A new message as the bytes an IMAP APPEND stores, built with GMime.

#include <QByteArray>
#include <QString>
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
};

// CRLF line ends, as IMAP wants them.
QByteArray writeDraft(const Draft& d);

}  // namespace imapstore
