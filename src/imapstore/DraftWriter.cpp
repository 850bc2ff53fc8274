#include "imapstore/DraftWriter.h"

#include <gmime/gmime.h>

#include <mutex>

#include "mime/GMimeHandles.h"

namespace imapstore {

namespace {

void addAddress(GMimeMessage* msg, GMimeAddressType kind, const QString& name,
                const QString& address) {
    // An unresolved recipient has only its name; it stands as the address too.
    const QByteArray n = name.toUtf8();
    const QByteArray a = (address.isEmpty() ? name : address).toUtf8();
    g_mime_message_add_mailbox(msg, kind, n == a ? nullptr : n.constData(), a.constData());
}

GMimeAddressType kindOf(mime::RecipientType t) {
    switch (t) {
        case mime::RecipientType::Cc:
            return GMIME_ADDRESS_TYPE_CC;
        case mime::RecipientType::Bcc:
            return GMIME_ADDRESS_TYPE_BCC;
        case mime::RecipientType::To:
            break;
    }
    return GMIME_ADDRESS_TYPE_TO;
}

GMimeObject* attachmentPart(const mime::Attachment& a) {
    const QByteArray type =
        a.mimeType.isEmpty() ? QByteArray("application/octet-stream") : a.mimeType.toUtf8();
    const qsizetype slash = type.indexOf('/');
    GMimePart* part =
        g_mime_part_new_with_type(type.left(slash).constData(), type.mid(slash + 1).constData());
    g_mime_part_set_filename(part, a.name.toUtf8().constData());
    mime::GRef<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(a.data.constData(), a.data.size()));
    mime::GRef<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, content.get());
    g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
    return GMIME_OBJECT(part);
}

void initGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

}  // namespace

QString newMessageId(const QString& address) {
    initGMime();
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    const QString domain = at < 0 ? QString() : address.mid(at + 1);
    const QByteArray host = (domain.isEmpty() ? QStringLiteral("localhost") : domain).toUtf8();
    const mime::GString_ id(g_mime_utils_generate_message_id(host.constData()));
    return QString::fromUtf8(id.get());
}

QByteArray writeDraft(const Draft& d) {
    initGMime();

    mime::GRef<GMimeMessage> msg(g_mime_message_new(TRUE));
    addAddress(msg.get(), GMIME_ADDRESS_TYPE_FROM, d.fromName, d.fromAddress);
    for (const mime::Recipient& r : d.recipients)
        addAddress(msg.get(), kindOf(r.type), r.name, r.address);
    g_mime_message_set_subject(msg.get(), d.subject.toUtf8().constData(), "utf-8");
    mime::GDate when(d.date && d.date->isValid()
                         ? g_date_time_new_from_unix_local(d.date->toSecsSinceEpoch())
                         : g_date_time_new_now_local());
    g_mime_message_set_date(msg.get(), when.get());
    if (!d.messageId.isEmpty())
        g_mime_message_set_message_id(msg.get(), d.messageId.toUtf8().constData());
    if (d.importance != 1)
        g_mime_object_set_header(GMIME_OBJECT(msg.get()), "Importance",
                                 d.importance == 0 ? "low" : "high", nullptr);
    if (d.readReceipt)
        g_mime_object_set_header(GMIME_OBJECT(msg.get()), "Disposition-Notification-To",
                                 d.fromAddress.toUtf8().constData(), nullptr);

    mime::GRef<GMimeTextPart> text(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(text.get(), d.body.toUtf8().constData());
    // Written out, a text part always ends with a line break; a text without one
    // goes in base64 so it reads back exactly as it was typed.
    if (!d.body.endsWith(QLatin1Char('\n')))
        g_mime_part_set_content_encoding(GMIME_PART(text.get()), GMIME_CONTENT_ENCODING_BASE64);
    if (d.attachments.empty()) {
        g_mime_message_set_mime_part(msg.get(), GMIME_OBJECT(text.get()));
    } else {
        mime::GRef<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
        g_mime_multipart_add(mixed.get(), GMIME_OBJECT(text.get()));
        for (const mime::Attachment& a : d.attachments) {
            mime::GRef<GMimeObject> part(attachmentPart(a));
            g_mime_multipart_add(mixed.get(), part.get());
        }
        g_mime_message_set_mime_part(msg.get(), GMIME_OBJECT(mixed.get()));
    }

    GMimeFormatOptions* options = g_mime_format_options_clone(nullptr);
    g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
    mime::GString_ out(g_mime_object_to_string(GMIME_OBJECT(msg.get()), options));
    g_mime_format_options_free(options);
    return QByteArray(out.get());
}

}  // namespace imapstore
