// Encoded words as mailers write them: words split at any byte, padded base64
// followed by more words, several charsets in one header, and the malformed
// words that must come through untouched.
#include <gtest/gtest.h>

#include <ostream>

#include "mime/HeaderText.h"
#include "mime/MimeReader.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct Case {
    const char* raw;
    const char* text;
};

TEST(HeaderText, EachWordDecodesOnItsOwnAndAdjacentWordsJoin) {
    const Case cases[] = {
        // Padding ends one word, not the run.
        {"=?utf-8?b?R3LDvMOfZQ==?= =?utf-8?b?YWI=?=", "Grüßeab"},
        {"=?utf-8?b?R3LDvA==?= =?utf-8?b?w59l?=", "Grüße"},
        // A long subject folded by its mailer, a character split between the words.
        {"=?utf-8?b?R3LDvMOfZSBhdXMgS8O2bG46IMOcbsOvY8O2ZMOpIOM=?=\r\n "
         "=?utf-8?b?g4bjgrnjg4gg8J+YgA==?=",
         "Grüße aus Köln: Ünïcödé テスト 😀"},
        {"=?utf-8?q?=F0=9F?= =?utf-8?q?=98=80?=", "😀"},
        {"=?utf-8?b?R3LD?= =?UTF-8?b?vMOfZQ==?=", "Grüße"},
        // Several charsets: each converts its own bytes, the blanks between still go.
        {"=?iso-8859-1?q?Gr=FC?= =?koi8-r?b?8NLJ18XU?= =?utf-8?q?_=E2=9C=93?=", "GrüПривет ✓"},
        // Q: underscore is a blank, an encoded underscore is an underscore.
        {"=?utf-8?q?a_b=5Fc?=", "a b_c"},
        // Blanks between a word and plain text are text.
        {"Re: =?utf-8?q?Gr=C3=BC=C3=9Fe?= und  mehr", "Re: Grüße und  mehr"},
        {"=?utf-8?q?x?=\t=?utf-8?q?y?= z =?utf-8?q?w?=", "xy z w"},
        {"  folded\r\n\tsubject  ", "folded\tsubject"},
        // Forgiven: missing padding, an unknown charset, a language, raw 8-bit text.
        {"=?utf-8?b?YWI?=", "ab"},
        {"=?x-unknown?q?caf=C3=A9?=", "café"},
        {"=?utf-8*de?q?Gr=C3=BC=C3=9Fe?=", "Grüße"},
        {"Gr\xfc\xdf"
         "e",
         "Grüße"},
        // Malformed words stay as they are, and do not end a run around them.
        {"=?utf-8?x?abc?= =?utf-8?q?a b?=", "=?utf-8?x?abc?= =?utf-8?q?a b?="},
        {"=??q?abc?= =?utf-8?q?open", "=??q?abc?= =?utf-8?q?open"},
        {"=?utf-8?q?ok?= =?utf-8?q?not ok?=", "ok =?utf-8?q?not ok?="},
        {"=?utf-8?q?unended =?utf-8?q?ok?=", "=?utf-8?q?unended ok"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mime::decodeHeaderText(c.raw), QString::fromUtf8(c.text)) << c.raw;
}

TEST(HeaderText, JoiningRewritesOnlyTheRunsOfAStructuredHeader) {
    const Case cases[] = {
        {"\"=?utf-8?b?R3LDvMOfZQ==?= =?utf-8?b?YWI=?=\" <a@b.example>",
         "\"=?UTF-8?b?R3LDvMOfZWFi?=\" <a@b.example>"},
        {"Ann <ann@example.com>, bob@example.com", "Ann <ann@example.com>, bob@example.com"},
        // A lone word is GMime's to read, and one in an address is part of it.
        {"attachment; filename==?utf-8?q?a?=", "attachment; filename==?utf-8?q?a?="},
        {"=?iso-2022-jp?B?MTIx?=@example.org", "=?iso-2022-jp?B?MTIx?=@example.org"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mime::joinEncodedWords(c.raw), QByteArray(c.text)) << c.raw;
}

// The same words where the reader meets them: subject, sender and recipient names,
// attachment names in name= and filename= (RFC 2047) and filename* (RFC 2231).
struct MessageCase {
    const char* headers;
    const char* subject;
    const char* sender;
    const char* recipients;   // names joined by "|"
    const char* attachments;  // names joined by "|"
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
         "Grüßeab", "Grüßeab", "Jörg|bob@example.com|Renéé", ""},
        {"Subject: Re: =?utf-8?q?caf=C3=A9?= =?utf-8?q?_au_lait?=\r\n"
         "Sender: =?utf-8?q?S=C3=B8?= =?utf-8?q?ren?= <s@example.com>\r\n",
         "Re: café au lait", "Søren", "", ""},
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
