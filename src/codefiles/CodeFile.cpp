#include "codefiles/CodeFile.h"

#include <iconv.h>

#include <cerrno>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

namespace codefiles {

namespace {

// Windows-1252 through the C library's converter: every byte but five
// unassigned ones has a character there; those five are kept as the C1
// controls of the same number, as browsers do.
QString fromWindows1252(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return QString::fromLatin1(bytes);
    QString out;
    QByteArray buffer(4 * 1024, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = static_cast<size_t>(buffer.size());
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out += QString::fromUtf8(buffer.constData(), buffer.size() - static_cast<int>(outLeft));
        if (rc == static_cast<size_t>(-1) && errno == EILSEQ) {
            out += QChar(static_cast<unsigned char>(*in));  // an unassigned byte
            ++in;
            --inLeft;
        } else if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            break;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

QByteArray encodeCode(const QString& text) {
    return text.toUtf8();
}

QString decodeCode(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        throw CodeFileError{QStringLiteral("it holds NUL bytes, so it is not a text file")};
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) text = fromWindows1252(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.replace(lineBreak, QStringLiteral("\r\n"));
}

void writeCodeFile(const QString& path, const QString& text) {
    QSaveFile f(path);
    const QByteArray bytes = encodeCode(text);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw CodeFileError{f.errorString()};
}

QString readCodeFile(const QString& path) {
    QFile f(path);
    if (QFileInfo(path).isDir()) throw CodeFileError{QStringLiteral("it is a folder")};
    if (!f.open(QIODevice::ReadOnly)) throw CodeFileError{f.errorString()};
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) throw CodeFileError{f.errorString()};
    return decodeCode(bytes);
}

}  // namespace codefiles
