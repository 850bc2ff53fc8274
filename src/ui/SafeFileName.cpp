#include "ui/SafeFileName.h"

#include <algorithm>
#include <string_view>

namespace ui {

namespace {

constexpr qsizetype kMaxBytes = 255;  // NAME_MAX of the common Linux file systems
constexpr qsizetype kMaxExtension = 16;

bool unsafe(char32_t c) {
    if (c < 0x80)
        return c < 0x20 || c == 0x7f ||
               std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos;
    return c < 0xa0 || c == 0x2028 || c == 0x2029 || c > 0x10ffff;
}

// Drops whole characters from the end of `s` until it fits in `bytes` of UTF-8.
QString fitBytes(QString s, qsizetype bytes) {
    while (!s.isEmpty() && s.toUtf8().size() > bytes) {
        s.chop(1);
        if (!s.isEmpty() && s.back().isHighSurrogate()) s.chop(1);
    }
    return s;
}

}  // namespace

QString safeFileName(const QString& name) {
    const qsizetype cut =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    QString out;
    for (char32_t c : QStringView(name).mid(cut + 1).toUcs4()) {
        if (unsafe(c))
            out += QLatin1Char('_');
        else
            out += QString::fromUcs4(&c, 1);
    }
    for (qsizetype i = 0; i < out.size() && out[i] == QLatin1Char('.'); ++i)
        out[i] = QLatin1Char('_');
    while (!out.isEmpty() && (out.back() == QLatin1Char(' ') || out.back() == QLatin1Char('.')))
        out.chop(1);
    if (out.toUtf8().size() > kMaxBytes) {
        const qsizetype dot = out.lastIndexOf(QLatin1Char('.'));
        const QString ext = dot > 0 && out.size() - dot <= kMaxExtension ? out.mid(dot) : QString();
        out = fitBytes(out.left(out.size() - ext.size()), kMaxBytes - ext.toUtf8().size()) + ext;
    }
    return out.isEmpty() ? QStringLiteral("attachment") : out;
}

}  // namespace ui
