#pragma once

// What the targets share: the input as Qt text and a scratch file per process.

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline QString text(const std::uint8_t* data, std::size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The readers under test take a path; the input is written there first.
inline QString scratchFile(const QByteArray& content, const char* suffix) {
    const QString path =
        QDir::tempPath() +
        QStringLiteral("/quorvane-fuzz-%1%2").arg(getpid()).arg(QLatin1String(suffix));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) abort();
    f.write(content);
    return path;
}

}  // namespace fuzz
