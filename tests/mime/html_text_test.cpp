// HTML bodies as a reader shows them, with no GUI application in the process:
// the rules a browser's layout applies to text, case by case, and the same
// through the MIME reader for an HTML-only message.
#include <gtest/gtest.h>

#include "mime/HtmlText.h"
#include "mime/MimeReader.h"

namespace {

struct Case {
    const char* what;
    const char* html;
    const char* text;
};

const Case cases[] = {
    {"head, title, script and style are not shown",
     "<html><head><title>T</title><style>p{color:red}</style></head>"
     "<body><script>var x = 1;</script>Shown<style>.a{}</style></body></html>",
     "Shown"},
    {"named, numeric and legacy entities",
     "Fish &amp; chips &lt;today&gt; &eacute;t&#233; &#x263A; &copy 2002 &#150; &#147;q&#148;",
     "Fish & chips <today> \u00e9t\u00e9 \u263a \u00a9 2002 \u2013 \u201cq\u201d"},
    {"non-breaking spaces are blanks and are not collapsed", "a&nbsp;&nbsp;&nbsp;b&nbsp;", "a   b"},
    {"white space collapses across elements", "  one\n\t two  <b> three </b>  four\r\n",
     "one two three four"},
    {"br ends a line, also an empty one", "a<br>b<br><br>c<br>", "a\nb\n\nc"},
    {"a trailing br in a block adds no line", "<div>a<br></div><div>b</div>", "a\nb"},
    {"an empty block with a br is an empty line", "<div>a</div><div><br></div><div>b</div>",
     "a\n\nb"},
    {"blocks on lines of their own, paragraphs apart by a blank line",
     "x<div>one</div>y<p>two</p><h1>three</h1><ul><li>four<li>five</ul>z",
     "x\none\ny\n\ntwo\n\nthree\n\nfour\nfive\nz"},
    {"never more than one blank line", "<p>a</p><p></p><p>&nbsp;</p><br><br><br><p>b</p>",
     "a\n\nb"},
    {"table cells apart by a tab, rows on lines, empty cells dropped",
     "<table><tr><td>Item</td><td></td><th>Price</th></tr>"
     "<tr><td>Tea</td><td> </td><td>$2</td></tr></table>",
     "Item\tPrice\nTea\t$2"},
    {"a table nested in a cell is a block of its own",
     "<table><tr><td><table><tr><td>in</td></tr></table></td><td>out</td></tr></table>", "in\nout"},
    {"pre keeps its white space and line breaks", "before<pre>  a  b\n\n    c\n</pre>after",
     "before\n\n  a  b\n\n    c\n\nafter"},
    {"an image is its alternative text, unless too small to show it",
     "Buy<img src=x.gif alt=\"NOW\">here<img src=y.gif><img src=t.gif width=1 height=1 alt=T>",
     "Buy NOW here"},
    {"form fields are boxes apart from their labels, buttons show their text",
     "Name:<input name=n>Phone:<input name=p><input type=submit value=Send>", "Name: Phone: Send"},
    {"comments, conditional comments and bogus comments are not shown",
     "a<!-- hidden --><![if !vml]>b<![endif]><!3279hxfp6-161>c", "abc"},
    {"text after the end of the document still shows",
     "<html><body>a</body></html>\n-- \nList footer", "a -- List footer"},
    {"text stray in a table comes before it, as a browser puts it",
     "<table>stray<tr><td>cell</td></tr></table>", "stray\ncell"},
    {"unclosed and misnested markup", "<p><b>bold <i>both</b> italic</p><p>next",
     "bold both italic\n\nnext"},
    {"nothing but markup", "<html><head><title>x</title></head><body> </body></html>", ""},
};

TEST(HtmlText, AsAReaderShowsIt) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(mime::htmlToText(QString::fromUtf8(c.html)).toStdString(), c.text);
    }
}

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
}

}  // namespace
