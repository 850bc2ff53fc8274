#pragma once

// The reader's header values read from GMime's objects through HeaderText.h:
// GMime 3.2.13 decodes a run of adjacent encoded words of one charset as one
// continuous stream, and its base64 decoder stops for good at the first padding
// '=', so every word after a padded one was lost ("Grüße" for "Grüße" + "ab").
// Here each header is taken raw and its runs joined before GMime reads it.

#include <gmime/gmime.h>

#include <QString>

namespace mime {

// GMime is set up once for the whole program, whichever thread reads first.
void initGMime();

// How the reader asks GMime to read mail: loose, with UTF-8 then Windows-1252
// for unlabelled 8-bit text.
void setReaderOptions(GMimeParserOptions* options);

// The reader's options without a warning callback (the message's own parse has
// warned already), shared read-only by every thread; GMime is set up by the first call.
GMimeParserOptions* headerOptions();

// The first header `name` of `obj` as unstructured text; empty when absent.
QString headerText(GMimeObject* obj, const char* name);

// Appends the addresses of every header `name` of `obj`, as GMime joins them.
void appendAddresses(GMimeObject* obj, const char* name, InternetAddressList* out);

// The part's file name: Content-Disposition's filename, else Content-Type's name,
// RFC 2231 or RFC 2047 encoded; empty when neither is given.
QString partFileName(GMimeObject* part);

}  // namespace mime
