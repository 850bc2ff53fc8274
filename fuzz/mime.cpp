// The MIME reader on any bytes: it never throws, and a message it returns
// always comes with the bytes it was read from. The same bytes as one header
// value go through the encoded-word reading on their own, and as an HTML body:
// the text keeps the layout rules (no non-breaking spaces, no blanks at line
// ends, never more than one blank line, no empty line first or last).
#include "FuzzInput.h"
#include "mime/HeaderText.h"
#include "mime/HtmlText.h"
#include "mime/MimeReader.h"

namespace {

void checkHtmlText(const QString& text) {
    if (text.contains(QChar::Nbsp) || text.contains(QLatin1String("\n\n\n"))) abort();
    if (text.startsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\n'))) abort();
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char(' ')) || line.endsWith(QLatin1Char('\t'))) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray raw = fuzz::bytes(data, size);
    const mime::ParseResult r = mime::parseMessage(raw);
    if (r.message && r.message->raw != raw) abort();
    if (r.message && r.message->bodyFromHtml) checkHtmlText(r.message->body);
    const qsizetype eol = raw.indexOf('\n');
    (void)mime::mboxSeparatorDate(eol < 0 ? raw : raw.left(eol + 1));
    (void)mime::decodeHeaderText(raw);
    (void)mime::joinEncodedWords(raw);
    checkHtmlText(mime::htmlToText(fuzz::text(data, size)));
    (void)mime::htmlDeclaredCharset(raw);
    return 0;
}
