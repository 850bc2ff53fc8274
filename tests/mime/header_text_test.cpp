// Encoded words as mailers write them: words split at any byte, padded base64
// followed by more words, several charsets in one header, and the malformed
// words that must come through untouched; then where the reader meets them.
#include <gtest/gtest.h>

#include <ostream>

#include "mime/HeaderText.h"
#include "mime/MimeReader.h"
#include "support/JsonCases.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// header_text.json: [raw header, its text]; the "Join" group gives the header
// as joinEncodedWords rewrites it.
class HeaderText : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(HeaderText, DecodesExactly) {
    const QByteArray raw = GetParam().fields[0].toUtf8();
    if (GetParam().name.rfind("Join_", 0) == 0)
        EXPECT_EQ(mime::joinEncodedWords(raw).toStdString(), GetParam().field(1));
    else
        EXPECT_EQ(mime::decodeHeaderText(raw).toStdString(), GetParam().field(1));
}

INSTANTIATE_TEST_SUITE_P(Cases, HeaderText,
                         testing::ValuesIn(jsoncases::read(CASES_DIR "/header_text.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

TEST(HeaderTextRaw, EightBitTextIsForgiven) {
    EXPECT_EQ(mime::decodeHeaderText("Gr\xfc\xdf"
                                     "e"),
              QStringLiteral("Grüße"));
}

// The same words where the reader meets them: subject, sender and recipient names,
// attachment names in name= and filename= (RFC 2047) and filename* (RFC 2231).
struct MessageCase {
    const char* headers;
    const char* subject;
    const char* sender;
    const char* recipients;  // names joined by "|"
};

QString joined(const QStringList& l) {
    return l.join(QLatin1Char('|'));
}

TEST(HeaderText, TheReaderDecodesEveryHeaderItShows) {
    const MessageCase cases[] = {
        {"Subject: =?utf-8?b?R3LDvMOfZQ==?= =?utf-8?b?YWI=?=\r\n"
         "From: =?utf-8?b?R3LDvMOfZQ==?=\r\n =?utf-8?b?YWI=?= <ann@example.com>\r\n"
         "To: \"=?utf-8?q?J=C3=B6?= =?utf-8?q?rg?=\" <jo@example.com>, bob@example.com\r\n"
         "Cc: =?iso-8859-1?q?Ren=E9?= =?utf-8?b?w6k=?= <cc@example.com>\r\n",
         "Grüßeab", "Grüßeab", "Jörg|bob@example.com|Renéé"},
        {"Subject: Re: =?utf-8?q?caf=C3=A9?= =?utf-8?q?_au_lait?=\r\n"
         "Sender: =?utf-8?q?S=C3=B8?= =?utf-8?q?ren?= <s@example.com>\r\n",
         "Re: café au lait", "Søren", ""},
    };
    for (const MessageCase& c : cases) {
        const QByteArray raw = QByteArray(c.headers) + "\r\nbody\r\n";
        const mime::ParseResult r = mime::parseMessage(raw);
        ASSERT_TRUE(r.message) << c.headers;
        EXPECT_EQ(r.message->subject, QString::fromUtf8(c.subject)) << c.headers;
        EXPECT_EQ(r.message->senderName, QString::fromUtf8(c.sender)) << c.headers;
        QStringList names;
        for (const mime::Recipient& p : r.message->recipients) names << p.name;
        EXPECT_EQ(joined(names), QString::fromUtf8(c.recipients)) << c.headers;
    }
}

TEST(HeaderText, AttachmentNamesDecodeInEveryForm) {
    const char* const parts[] = {
        "Content-Type: application/pdf; name=\"=?utf-8?b?R3LDvMOfZQ==?= =?utf-8?b?LnBkZg==?=\"",
        "Content-Type: application/pdf\r\nContent-Disposition: attachment;\r\n"
        " filename=\"=?utf-8?q?R=C3=A9sum=C3=A9?= =?utf-8?q?=2Epdf?=\"",
        "Content-Type: application/pdf\r\nContent-Disposition: attachment;\r\n"
        " filename*=utf-8''%E3%83%86%E3%82%B9%E3%83%88.pdf",
        "Content-Type: application/pdf\r\nContent-Disposition: attachment;\r\n"
        " filename*0*=iso-8859-1''Gr%FC%DF;\r\n filename*1=e.pdf",
        "Content-Type: message/rfc822",
    };
    QByteArray raw =
        "From: a@example.com\r\nSubject: parts\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/plain\r\n\r\nbody\r\n";
    for (const char* p : parts) {
        raw += "--b\r\n" + QByteArray(p) + "\r\n\r\n";
        raw += QByteArray(p).contains("rfc822")
                   ? "Subject: =?utf-8?b?SW5uZXIg?= =?utf-8?b?w6k=?=\r\n\r\ninner\r\n"
                   : "data\r\n";
    }
    raw += "--b--\r\n";
    const mime::ParseResult r = mime::parseMessage(raw);
    ASSERT_TRUE(r.message);
    QStringList names;
    for (const mime::Attachment& a : r.message->attachments) names << a.name;
    EXPECT_EQ(joined(names),
              QStringLiteral("Grüße.pdf|Résumé.pdf|テスト.pdf|Grüße.pdf|Inner é.eml"));

    // The message itself as the one part.
    const mime::ParseResult single = mime::parseMessage(
        "From: a@example.com\r\nContent-Type: application/pdf;\r\n"
        " name=\"=?utf-8?b?R3LDvMOfZQ==?= =?utf-8?b?LnBkZg==?=\"\r\n\r\ndata\r\n");
    ASSERT_TRUE(single.message);
    ASSERT_EQ(single.message->attachments.size(), 1u);
    EXPECT_EQ(single.message->attachments.front().name, QStringLiteral("Grüße.pdf"));
}

}  // namespace
