#pragma once

// Code files as the program keeps them: the code window's text byte for byte
// (CR LF line breaks), UTF-8 without a byte-order mark. Read back, a file is
// UTF-8 when it is valid UTF-8 (with or without the mark) and Windows-1252
// otherwise, as older code files are, with any line breaks made CR LF.

#include <QByteArray>
#include <QString>

namespace codefiles {

QByteArray encodeCode(const QString& text);

// The text of a code file's bytes; throws CodeFileError for bytes that are not
// text (a NUL byte).
QString decodeCode(const QByteArray& bytes);

struct CodeFileError {
    QString message;
};

// Writes through a temporary file renamed over `path`, so that a failed write
// leaves an existing file as it was. Throws CodeFileError saying why.
void writeCodeFile(const QString& path, const QString& text);
QString readCodeFile(const QString& path);

}  // namespace codefiles
