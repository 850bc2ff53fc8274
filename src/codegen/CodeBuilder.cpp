#include "codegen/CodeBuilder.h"

#include <vector>

namespace codegen {

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
                out += values[n];
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

Code& Code::blank() {
    text_ += kCrLf;
    return *this;
}

}  // namespace codegen
