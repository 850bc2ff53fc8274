// HTML bodies as a reader shows them, with no GUI application in the process:
// the rules a browser's layout applies to text, case by case (html_text.json),
// and the same through the MIME reader for an HTML-only message.
#include <gtest/gtest.h>

#include "mime/HtmlText.h"
#include "mime/MimeReader.h"
#include "support/JsonCases.h"

namespace {

class HtmlText : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(HtmlText, AsAReaderShowsIt) {
    EXPECT_EQ(mime::htmlToText(GetParam().fields[1]).toStdString(), GetParam().field(2));
}

INSTANTIATE_TEST_SUITE_P(Cases, HtmlText,
                         testing::ValuesIn(jsoncases::read(CASES_DIR "/html_text.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

// Elements nested far deeper than a call stack would take, as broken mail
// with thousands of unclosed tags has them.
TEST(HtmlText, DeepNestingNeitherCrashesNorLosesText) {
    QString html;
    for (int i = 0; i < 2500; ++i) html += QStringLiteral("<div><font>");
    html += QStringLiteral("deep");
    EXPECT_EQ(mime::htmlToText(html).toStdString(), "deep");
}

TEST(HtmlText, TheMimeReaderGivesAnHtmlOnlyMessageAsText) {
    const QByteArray htmlOnly =
        "From: a@example.com\r\nSubject: s\r\nContent-Type: text/html; charset=iso-8859-1\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "<p>Caf=E9 =96 <b>open</b></p><p>Line=\r\n two</p>\r\n";
    const mime::ParseResult r = mime::parseMessage(htmlOnly);
    ASSERT_TRUE(r.message);
    EXPECT_TRUE(r.message->bodyFromHtml);
    // Latin-1 labelled mail with 0x80-0x9F is Windows-1252, as readers take it.
    EXPECT_EQ(r.message->body.toStdString(), "Caf\u00e9 \u2013 open\n\nLine two");

    // No charset in the header: the one the document names, else a guess.
    const QByteArray metaOnly =
        "From: a@example.com\r\nSubject: s\r\nContent-Type: text/html\r\n\r\n"
        "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=koi8-r\">"
        "</head><body>\xf0\xd2\xc9\xd7\xc5\xd4</body></html>\r\n";
    EXPECT_EQ(mime::parseMessage(metaOnly).message->body.toStdString(),
              "\u041f\u0440\u0438\u0432\u0435\u0442");
    const QByteArray unlabelled =
        "From: a@example.com\r\nSubject: s\r\nContent-Type: text/html\r\n\r\n"
        "<p>na\xefve \x93quoted\x94</p>\r\n";
    EXPECT_EQ(mime::parseMessage(unlabelled).message->body.toStdString(),
              "na\u00efve \u201cquoted\u201d");

    const QByteArray both =
        "From: a@example.com\r\nSubject: s\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/alternative; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/plain\r\n\r\nPlain <b>text</b>\r\n"
        "--b\r\nContent-Type: text/html\r\n\r\n<p>HTML</p>\r\n--b--\r\n";
    const mime::ParseResult p = mime::parseMessage(both);
    ASSERT_TRUE(p.message);
    EXPECT_FALSE(p.message->bodyFromHtml);
    EXPECT_EQ(p.message->body.toStdString(), "Plain <b>text</b>");

    // A text part that is neither plain nor HTML (an invitation shown inline)
    // is an attachment, never the body.
    const QByteArray invitation =
        "From: a@example.com\r\nSubject: s\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/calendar; method=REQUEST\r\n\r\n"
        "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n--b--\r\n";
    const mime::ParseResult c = mime::parseMessage(invitation);
    ASSERT_TRUE(c.message);
    EXPECT_TRUE(c.message->body.isEmpty()) << c.message->body.toStdString();
    ASSERT_EQ(c.message->attachments.size(), 1u);
    EXPECT_EQ(c.message->attachments[0].mimeType.toStdString(), "text/calendar");
}

}  // namespace
