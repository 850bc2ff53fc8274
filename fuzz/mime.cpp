// The MIME reader on any bytes: it never throws, and a message it returns
// always comes with the bytes it was read from. The same bytes as one header
// value go through the encoded-word reading on their own.
#include "FuzzInput.h"
#include "mime/HeaderText.h"
#include "mime/MimeReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray raw = fuzz::bytes(data, size);
    const mime::ParseResult r = mime::parseMessage(raw);
    if (r.message && r.message->raw != raw) abort();
    const qsizetype eol = raw.indexOf('\n');
    (void)mime::mboxSeparatorDate(eol < 0 ? raw : raw.left(eol + 1));
    (void)mime::decodeHeaderText(raw);
    (void)mime::joinEncodedWords(raw);
    return 0;
}
