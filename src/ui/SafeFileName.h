#pragma once

// File names suggested from names that come with the mail (attachments), which
// may hold anything: path separators, "..", control characters, thousands of
// characters. The suggestion must name a file inside the folder the user picks.

#include <QString>

namespace ui {

// The base name (after the last '/' or '\'), with control characters and
// characters file systems refuse (\ / : * ? " < > |) replaced by '_', leading
// dots replaced too (no hidden file, no "." or ".."), trailing blanks and dots
// dropped, and cut to 255 bytes of UTF-8 keeping a short extension. "attachment"
// when nothing is left.
QString safeFileName(const QString& name);

}  // namespace ui
