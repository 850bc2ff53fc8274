#include "imapstore/MessageData.h"

#include "messaging/Error.h"
#include "mime/MimeReader.h"

namespace imapstore {

namespace {

// Envelope texts come back unquoted; a display name with specials must be quoted
// again before the header block is read.
QByteArray phrase(const QByteArray& name) {
    static const QByteArray specials("()<>[]:;@\\,.\"");
    bool quote = false;
    for (char c : name)
        if (specials.contains(c)) quote = true;
    if (!quote) return name;
    QByteArray out("\"");
    for (char c : name) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

QByteArray addressList(const QList<imap::Address>& list) {
    QByteArrayList parts;
    for (const imap::Address& a : list) {
        // Group markers (no host) carry no address of their own.
        if (a.mailbox.isEmpty()) continue;
        if (a.name.isEmpty())
            parts << a.email();
        else
            parts << phrase(a.name) + " <" + a.email() + '>';
    }
    return parts.join(", ");
}

void header(QByteArray& block, const char* name, const QByteArray& value) {
    if (value.isEmpty()) return;
    block += name;
    block += ": ";
    block += value;
    block += "\r\n";
}

}  // namespace

MessageData fromSummary(const imap::MessageSummary& s) {
    const imap::Envelope& e = s.envelope;
    QByteArray block;
    header(block, "Date", e.date);
    header(block, "Subject", e.subject);
    header(block, "From", addressList(e.from));
    header(block, "Sender", addressList(e.sender));
    header(block, "To", addressList(e.to));
    header(block, "Cc", addressList(e.cc));
    header(block, "Bcc", addressList(e.bcc));
    // The reader wants at least one header line to call it mail.
    if (block.isEmpty()) block = "X-Empty: \r\n";
    block += "\r\n";

    MessageData d;
    const mime::ParseResult parsed = mime::parseMessage(block);
    if (parsed.message) {
        const mime::ParsedMessage& m = *parsed.message;
        d.subject = m.subject;
        d.hasSender = m.hasSender;
        d.senderName = m.senderName;
        d.senderAddress = m.senderAddress;
        d.recipients = m.recipients;
        d.sent = m.sent;
    }
    if (s.internalDate.isValid()) d.received = s.internalDate;
    d.size = s.size;
    d.unread = (s.flags & imap::Seen) == 0;
    d.draft = (s.flags & imap::Draft) != 0;
    return d;
}

std::optional<QString> plainSubject(const imap::MessageSummary& s) {
    return plainSubject(s.envelope.subject);
}

std::optional<QString> plainSubject(const QByteArray& t) {
    // Encoded words, folding, edge or runs of blanks and anything beyond printable
    // ASCII are the MIME reader's to interpret.
    if (t.contains("=?") || t.startsWith(' ') || t.endsWith(' ') || t.contains("  "))
        return std::nullopt;
    for (char c : t)
        if (c < 0x20 || c > 0x7e) return std::nullopt;
    return QString::fromLatin1(t);
}

void completeFrom(MessageData& d, const QByteArray& raw) {
    const mime::ParseResult parsed = mime::parseMessage(raw);
    // Nothing readable (a server that sent no bytes for the message, say) is no
    // empty text: the message stays incomplete and the next read asks again.
    if (!parsed.message)
        mapi::raise(mapi::code::Corrupt,
                    QStringLiteral("The message sent by the server could not be read: %1.")
                        .arg(parsed.unreadable));
    d.complete = true;
    const mime::ParsedMessage& m = *parsed.message;
    d.importance = m.importance;
    d.messageClass = m.messageClass;
    d.body = m.body;
    d.attachments = m.attachments;
}

}  // namespace imapstore
