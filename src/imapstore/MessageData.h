#pragma once

// The values of one message on the server: the envelope part from the header
// cache, the rest from the whole message once something asks for it.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "imap/ImapTypes.h"
#include "mime/ParsedMessage.h"

namespace imapstore {

struct MessageData {
    QString subject;
    bool hasSender = false;
    QString senderName;
    QString senderAddress;
    std::vector<mime::Recipient> recipients;
    std::optional<QDateTime> sent;      // UTC
    std::optional<QDateTime> received;  // UTC
    qint64 size = 0;
    bool unread = true;
    bool draft = false;
    // Known only after the whole message was read.
    bool complete = false;
    int importance = 1;
    QString messageClass = QStringLiteral("IPM.Note");
    QString body;
    std::vector<mime::Attachment> attachments;
};

// Subject, sender, recipients and dates exactly as the file importer would read
// them from the same headers; flags, INTERNALDATE and RFC822.SIZE from the server.
MessageData fromSummary(const imap::MessageSummary& s);

// The subject fromSummary() would give, without reading the headers, when the
// server's text needs no decoding; nullopt otherwise.
std::optional<QString> plainSubject(const imap::MessageSummary& s);
std::optional<QString> plainSubject(const QByteArray& rawSubject);

// Adds what only the whole message says (body, attachments, importance, class).
// Bytes that hold no message fail with MAPI_E_CORRUPT_DATA and leave `d` as it was.
void completeFrom(MessageData& d, const QByteArray& raw);

}  // namespace imapstore
