#include "codegen/CodeBuilder.h"

#include <vector>

namespace codegen {

namespace {

// A value written between two quote characters must stay one string literal
// whatever it holds: quotes doubled, line breaks spliced in as constants
// (CR LF as vbCrLf, a lone LF or CR as vbLf or vbCr, so the value is exact).
QString asLiteralBody(const QString& v) {
    QString out;
    out.reserve(v.size() + 8);
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == u'"') {
            out += QStringLiteral("\"\"");
        } else if (c == u'\r' && i + 1 < v.size() && v[i + 1] == u'\n') {
            out += QStringLiteral("\" & vbCrLf & \"");
            ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\" & vbLf & \"");
        } else if (c == u'\r') {
            out += QStringLiteral("\" & vbCr & \"");
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

QString Code::expand(QStringView tmpl, std::initializer_list<QString> args) const {
    const std::vector<QString> values(args);
    QString out;
    out.reserve(tmpl.size() + 32);
    for (qsizetype i = 0; i < tmpl.size(); ++i) {
        const QChar c = tmpl[i];
        if (c == QLatin1Char('{')) {
            const qsizetype close = tmpl.indexOf(QLatin1Char('}'), i + 1);
            if (close > i) {
                const QString key = tmpl.mid(i + 1, close - i - 1).toString();
                if (const QString* name = names_.bySettingsKey(key)) {
                    out += *name;
                    i = close;
                    continue;
                }
            }
        } else if (c == QLatin1Char('%') && i + 1 < tmpl.size() &&
                   tmpl[i + 1] >= QLatin1Char('1') && tmpl[i + 1] <= QLatin1Char('9')) {
            const auto n = static_cast<std::size_t>(tmpl[i + 1].unicode() - '1');
            if (n < values.size()) {
                const bool quoted = i > 0 && tmpl[i - 1] == QLatin1Char('"') &&
                                    i + 2 < tmpl.size() && tmpl[i + 2] == QLatin1Char('"');
                out += quoted ? asLiteralBody(values[n]) : values[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

Code& Code::line(QStringView tmpl, std::initializer_list<QString> args) {
    text_ += expand(tmpl, args);
    text_ += kCrLf;
    return *this;
}

Code& Code::lines(QStringView block, std::initializer_list<QString> args) {
    if (block.startsWith(QLatin1Char('\n'))) block = block.sliced(1);
    if (block.endsWith(QLatin1Char('\n'))) block.chop(1);
    for (qsizetype from = 0;;) {
        const qsizetype end = block.indexOf(QLatin1Char('\n'), from);
        line(block.sliced(from, (end < 0 ? block.size() : end) - from), args);
        if (end < 0) return *this;
        from = end + 1;
    }
}

Code& Code::blank() {
    text_ += kCrLf;
    return *this;
}

}  // namespace codegen
