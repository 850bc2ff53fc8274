#include "mime/MimeReader.h"

#include <gmime/gmime.h>

#include <QRegularExpression>
#include <QTimeZone>
#include <cstring>

#include "mime/GMimeHandles.h"
#include "mime/HeaderFields.h"
#include "mime/HtmlText.h"

namespace mime {

namespace {

QString utf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

const char* warningText(GMimeParserWarning code) {
    switch (code) {
        case GMIME_WARN_DUPLICATED_HEADER:
            return "duplicated header";
        case GMIME_WARN_DUPLICATED_PARAMETER:
            return "duplicated header parameter";
        case GMIME_WARN_UNENCODED_8BIT_HEADER:
            return "unencoded 8-bit header";
        case GMIME_WARN_INVALID_CONTENT_TYPE:
            return "invalid content type";
        case GMIME_WARN_INVALID_RFC2047_HEADER_VALUE:
            return "invalid encoded word";
        case GMIME_WARN_MALFORMED_MULTIPART:
            return "malformed multipart";
        case GMIME_WARN_TRUNCATED_MESSAGE:
            return "truncated message";
        case GMIME_WARN_MALFORMED_MESSAGE:
            return "malformed message";
        case GMIME_CRIT_INVALID_HEADER_NAME:
            return "invalid header name";
        case GMIME_CRIT_CONFLICTING_HEADER:
            return "conflicting header";
        case GMIME_CRIT_CONFLICTING_PARAMETER:
            return "conflicting header parameter";
        case GMIME_CRIT_MULTIPART_WITHOUT_BOUNDARY:
            return "multipart without boundary";
        case GMIME_WARN_INVALID_PARAMETER:
            return "invalid header parameter";
        case GMIME_WARN_INVALID_ADDRESS_LIST:
            return "invalid address list";
        case GMIME_CRIT_NESTING_OVERFLOW:
            return "parts nested too deeply";
        case GMIME_WARN_PART_WITHOUT_CONTENT:
            return "part without content";
        case GMIME_CRIT_PART_WITHOUT_HEADERS_OR_CONTENT:
            return "part without headers or content";
    }
    return "parser warning";
}

void collectWarning(gint64, GMimeParserWarning code, const gchar* item, gpointer user) {
    auto* out = static_cast<QStringList*>(user);
    // A hostile message can raise thousands; the first few say enough.
    if (out->size() >= 20) return;
    QString w = QString::fromLatin1(warningText(code));
    if (item && *item) w += QStringLiteral(": ") + QString::fromUtf8(item).left(80);
    if (!out->contains(w)) out->append(w);
}

std::optional<QDateTime> toQt(GDateTime* d) {
    if (!d) return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(d), QTimeZone::utc());
}

void addAddresses(InternetAddressList* list, RecipientType type, std::vector<Recipient>& out) {
    if (!list) return;
    const int n = internet_address_list_length(list);
    for (int i = 0; i < n; ++i) {
        InternetAddress* a = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(a)) {
            addAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(a)), type, out);
        } else if (INTERNET_ADDRESS_IS_MAILBOX(a)) {
            Recipient r;
            r.address = utf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)));
            r.name = utf8(internet_address_get_name(a)).trimmed();
            if (r.name.isEmpty()) r.name = r.address;
            r.type = type;
            out.push_back(std::move(r));
        }
    }
}

QByteArray bytesOf(GMimeStream* mem) {
    GByteArray* a = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem));
    return QByteArray(reinterpret_cast<const char*>(a->data), static_cast<qsizetype>(a->len));
}

QByteArray decodedContent(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content) return {};
    GRef<GMimeStream> mem(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, mem.get());
    return bytesOf(mem.get());
}

QByteArray serialized(GMimeObject* obj) {
    GRef<GMimeStream> mem(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(obj, nullptr, mem.get());
    return bytesOf(mem.get());
}

QString mimeTypeOf(GMimeObject* obj) {
    GMimeContentType* ct = g_mime_object_get_content_type(obj);
    if (!ct) return QStringLiteral("application/octet-stream");
    GString_ t(g_mime_content_type_get_mime_type(ct));
    return utf8(t.get()).toLower();
}

// Walks the MIME tree collecting the body candidates and the attachments.
class PartWalker {
  public:
    PartWalker(ParsedMessage& m, GMimeParserOptions* options) : m_(m), options_(options) {}
    void walk(GMimeObject* obj, int depth);
    QString plain;
    QString html;
    bool havePlain = false;
    bool haveHtml = false;

  private:
    void leaf(GMimePart* part);
    void attachedMessage(GMimeMessagePart* part);
    QString fallbackName(const QString& ext) {
        return QStringLiteral("attachment%1%2").arg(m_.attachments.size() + 1).arg(ext);
    }
    QString text(GMimeTextPart* part, bool html);
    ParsedMessage& m_;
    GMimeParserOptions* options_;
};

bool isLatin1Label(const char* charset) {
    const char* canon = g_mime_charset_canon_name(charset);
    for (const char* label : {"iso-8859-1", "latin1", "l1", "us-ascii", "ascii"})
        if (g_ascii_strcasecmp(canon, label) == 0) return true;
    return false;
}

// The part's text in UTF-8. An HTML part without a charset in its header is
// read in the one its <meta> names, as readers do; a charset iconv does not
// know, or none at all, is guessed from the bytes (UTF-8, else Windows-1252)
// instead of leaving replacement characters.
QString PartWalker::text(GMimeTextPart* part, bool html) {
    QByteArray charset = g_mime_text_part_get_charset(part);
    if (charset.isEmpty() && html) charset = htmlDeclaredCharset(decodedContent(GMIME_PART(part)));
    // What is labelled Latin-1 or ASCII is written in Windows-1252 (quotes
    // and dashes in 0x80-0x9F), and browsers and readers decode it so.
    if (!charset.isEmpty() && isLatin1Label(charset.constData())) charset = "windows-1252";
    bool known = false;
    if (!charset.isEmpty()) {
        iconv_t cd = g_mime_iconv_open("UTF-8", charset.constData());
        known = cd != reinterpret_cast<iconv_t>(-1);
        if (known) {
            g_mime_iconv_close(cd);
            g_mime_text_part_set_charset(part, charset.constData());
        } else {
            m_.warnings.append(QStringLiteral("unknown charset: %1").arg(utf8(charset).left(40)));
        }
    }
    if (!known) {
        const QByteArray bytes = decodedContent(GMIME_PART(part));
        GString_ t(g_mime_utils_decode_8bit(options_, bytes.constData(),
                                            static_cast<size_t>(bytes.size())));
        return utf8(t.get());
    }
    GString_ t(g_mime_text_part_get_text(part));
    return utf8(t.get());
}

void PartWalker::walk(GMimeObject* obj, int depth) {
    if (!obj || depth > 50) return;
    if (GMIME_IS_MULTIPART(obj)) {
        GMimeMultipart* mp = GMIME_MULTIPART(obj);
        const int n = g_mime_multipart_get_count(mp);
        for (int i = 0; i < n; ++i) walk(g_mime_multipart_get_part(mp, i), depth + 1);
    } else if (GMIME_IS_MESSAGE_PART(obj)) {
        attachedMessage(GMIME_MESSAGE_PART(obj));
    } else if (GMIME_IS_PART(obj)) {
        leaf(GMIME_PART(obj));
    }
}

void PartWalker::leaf(GMimePart* part) {
    GMimeObject* obj = GMIME_OBJECT(part);
    GMimeContentType* ct = g_mime_object_get_content_type(obj);
    const bool isPlain = ct && g_mime_content_type_is_type(ct, "text", "plain");
    const bool isHtml = ct && g_mime_content_type_is_type(ct, "text", "html");
    const bool attached = g_mime_part_is_attachment(part);
    if ((isPlain || isHtml) && !attached && GMIME_IS_TEXT_PART(part)) {
        // Only the first of each kind is the body; later inline texts stay in the raw bytes.
        if ((isPlain && !havePlain) || (isHtml && !haveHtml)) {
            if (isPlain) {
                plain = text(GMIME_TEXT_PART(part), false);
                havePlain = true;
            } else {
                html = text(GMIME_TEXT_PART(part), true);
                haveHtml = true;
            }
        }
        return;
    }
    Attachment a;
    a.mimeType = mimeTypeOf(obj);
    a.name = partFileName(obj);
    if (a.name.isEmpty())
        a.name =
            fallbackName(ct && g_mime_content_type_is_type(ct, "text", "*") ? QStringLiteral(".txt")
                                                                            : QString());
    a.data = decodedContent(part);
    m_.attachments.push_back(std::move(a));
}

void PartWalker::attachedMessage(GMimeMessagePart* part) {
    GMimeMessage* inner = g_mime_message_part_get_message(part);
    Attachment a;
    a.mimeType = QStringLiteral("message/rfc822");
    a.name = partFileName(GMIME_OBJECT(part));
    if (a.name.isEmpty() && inner) {
        QString subject = headerText(GMIME_OBJECT(inner), "Subject").simplified();
        // A subject is no file name: keep it readable but safe to save.
        subject.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
        if (!subject.isEmpty()) a.name = subject.left(100) + QStringLiteral(".eml");
    }
    if (a.name.isEmpty()) a.name = fallbackName(QStringLiteral(".eml"));
    if (inner) a.data = serialized(GMIME_OBJECT(inner));
    m_.attachments.push_back(std::move(a));
}

int importanceOf(GMimeObject* obj) {
    const QString imp = utf8(g_mime_object_get_header(obj, "Importance")).trimmed().toLower();
    if (imp.startsWith(QLatin1String("high"))) return 2;
    if (imp.startsWith(QLatin1String("low"))) return 0;
    if (imp.startsWith(QLatin1String("normal"))) return 1;
    const QString prio = utf8(g_mime_object_get_header(obj, "X-Priority")).trimmed();
    if (!prio.isEmpty() && prio[0].isDigit()) {
        const int p = prio[0].digitValue();
        if (p == 1 || p == 2) return 2;
        if (p == 4 || p == 5) return 0;
        if (p == 3) return 1;
    }
    const QString ms = utf8(g_mime_object_get_header(obj, "X-MSMail-Priority")).trimmed().toLower();
    if (ms.startsWith(QLatin1String("high"))) return 2;
    if (ms.startsWith(QLatin1String("low"))) return 0;
    return 1;
}

std::optional<QDateTime> firstReceivedDate(GMimeObject* obj) {
    const char* received = g_mime_object_get_header(obj, "Received");
    if (!received) return std::nullopt;
    const char* semi = strrchr(received, ';');
    if (!semi) return std::nullopt;
    GDate d(g_mime_utils_header_decode_date(semi + 1));
    return toQt(d.get());
}

bool looksLikeMail(GMimeObject* obj) {
    static const char* const known[] = {"From",        "To",           "Cc",           "Subject",
                                        "Date",        "Message-ID",   "Received",     "Sender",
                                        "Return-Path", "MIME-Version", "Content-Type", "Reply-To"};
    for (const char* h : known)
        if (g_mime_object_get_header(obj, h)) return true;
    return false;
}

}  // namespace

ParseResult parseMessage(QByteArray raw, const EnvelopeHints& hints) {
    initGMime();
    ParseResult result;
    ParsedMessage m;
    GRef<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(raw.constData(), static_cast<size_t>(raw.size())));
    GRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    std::unique_ptr<GMimeParserOptions, void (*)(GMimeParserOptions*)> popts(
        g_mime_parser_options_new(), g_mime_parser_options_free);
    setReaderOptions(popts.get());
    g_mime_parser_options_set_warning_callback(popts.get(), collectWarning, &m.warnings);
    GRef<GMimeMessage> msg(g_mime_parser_construct_message(parser.get(), popts.get()));
    if (!msg) {
        result.unreadable = QStringLiteral("not a mail message (no header could be read)");
        return result;
    }
    GMimeObject* top = GMIME_OBJECT(msg.get());
    if (!looksLikeMail(top)) {
        result.unreadable = QStringLiteral("not a mail message (no mail header)");
        return result;
    }

    m.subject = headerText(top, "Subject");
    const auto addresses = [&](const char* header, RecipientType type,
                               std::vector<Recipient>& out) {
        GRef<InternetAddressList> list(internet_address_list_new());
        appendAddresses(top, header, list.get());
        addAddresses(list.get(), type, out);
    };
    std::vector<Recipient> from;
    addresses("From", RecipientType::To, from);
    if (from.empty()) addresses("Sender", RecipientType::To, from);
    if (!from.empty()) {
        m.hasSender = true;
        m.senderName = from.front().name;
        m.senderAddress = from.front().address;
    }
    addresses("To", RecipientType::To, m.recipients);
    addresses("Cc", RecipientType::Cc, m.recipients);
    addresses("Bcc", RecipientType::Bcc, m.recipients);

    m.sent = toQt(g_mime_message_get_date(msg.get()));
    if (!m.sent) {
        m.warnings.append(g_mime_object_get_header(top, "Date") ? QStringLiteral("unreadable Date")
                                                                : QStringLiteral("no Date"));
    }
    m.received = hints.received;
    if (!m.received) m.received = firstReceivedDate(top);
    if (!m.received) m.received = m.sent;

    PartWalker walker(m, popts.get());
    GMimeObject* content = g_mime_message_get_mime_part(msg.get());
    walker.walk(content, 0);
    if (walker.havePlain) {
        m.body = walker.plain;
    } else if (walker.haveHtml) {
        m.body = htmlToText(walker.html);
        m.bodyFromHtml = true;
    } else if (content && GMIME_IS_MULTIPART(content) &&
               g_mime_multipart_get_count(GMIME_MULTIPART(content)) == 0) {
        // A missing or wrong boundary leaves all the text before the first
        // boundary that never came: show that rather than nothing.
        const char* prologue = g_mime_multipart_get_prologue(GMIME_MULTIPART(content));
        if (prologue) {
            GString_ text(g_mime_utils_decode_8bit(popts.get(), prologue, strlen(prologue)));
            m.body = utf8(text.get());
        }
    }
    // One line-end convention for every source, as typed text has.
    m.body.replace(QLatin1String("\r\n"), QLatin1String("\n"));

    m.importance = importanceOf(top);
    if (hints.maildirFlags) {
        m.unread = !hints.maildirFlags->contains(QLatin1Char('S'));
    } else {
        const char* status = g_mime_object_get_header(top, "Status");
        m.unread = !(status && strchr(status, 'R'));
    }
    m.messageId = utf8(g_mime_message_get_message_id(msg.get()));
    m.size = raw.size();
    m.raw = std::move(raw);
    result.message = std::move(m);
    return result;
}

std::optional<QDateTime> mboxSeparatorDate(const QByteArray& line) {
    // "From SENDER DAY MON DD HH:MM:SS YYYY", sometimes with a zone before the year.
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() < 7) return std::nullopt;
    const QDate date = QDate::fromString(QString::fromLatin1(f[3] + ' ' + f[4] + ' ' + f.back()),
                                         QStringLiteral("MMM d yyyy"));
    const QTime time = QTime::fromString(QString::fromLatin1(f[5]), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time, QTimeZone::utc());
}

}  // namespace mime
