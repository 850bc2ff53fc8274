#pragma once

#include "mime/ParsedMessage.h"

namespace mime {

// Reads one message. Never throws on bad input: what can be read is returned
// with warnings; only bytes that hold no mail header at all are unreadable.
// An HTML-only body is given as the text a reader shows for it (HtmlText.h).
// Safe to call from several threads at once.
ParseResult parseMessage(QByteArray raw, const EnvelopeHints& hints = {});

// The date of an mbox "From " separator line ("From addr Mon Jan  1 10:00:00 2001"),
// read as UTC.
std::optional<QDateTime> mboxSeparatorDate(const QByteArray& line);

}  // namespace mime
