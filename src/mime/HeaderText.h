#pragma once

// RFC 2047 encoded words in header values, read the way the RFC says: each word
// decoded on its own, the blanks between adjacent words dropped, and the bytes of
// adjacent words in one charset joined before conversion, so a character a mailer
// split across two words comes out whole. Blanks between a word and plain text
// stay; anything that is not a well-formed word is left as it is.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace mime {

// An unstructured header (Subject and the like) from its raw, possibly folded value.
// Unencoded 8-bit text is read as UTF-8, else Windows-1252, as bodies are.
QString decodeHeaderText(QByteArrayView raw);

// The raw value with each run of two or more adjacent encoded words replaced by one
// UTF-8 word holding the run's text, so a structured header (addresses, parameters)
// can be parsed as before while its words decode as above.
QByteArray joinEncodedWords(QByteArrayView raw);

}  // namespace mime
