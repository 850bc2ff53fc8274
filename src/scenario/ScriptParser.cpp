#include "scenario/ScriptParser.h"

#include <QHash>
#include <cmath>

namespace scenario::script {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

struct Shape {
    Verb verb;
    int min;
    int max;
    const char* usage;
};

const QHash<QString, Shape>& shapes() {
    static const QHash<QString, Shape> table = {
#define QUORVANE_SCRIPT_SHAPE(id, name, min, max, usage) \
    {QStringLiteral(name), {Verb::id, min, max, usage}},
        QUORVANE_SCRIPT_COMMANDS(QUORVANE_SCRIPT_SHAPE)
#undef QUORVANE_SCRIPT_SHAPE
    };
    return table;
}

std::optional<QString> checkCommand(Command& c) {
    const auto it = shapes().constFind(c.name);
    if (it == shapes().constEnd()) return QStringLiteral("unknown command \"%1\"").arg(c.name);
    const Shape& s = *it;
    c.verb = s.verb;
    const int n = int(c.argc());
    const QString usage = QStringLiteral("usage: ") + QLatin1String(s.usage);
    if (n < s.min || (s.max >= 0 && n > s.max)) return usage;

    if (c.verb == Verb::Key && !keyByName(c.arg(1)))
        return QStringLiteral(
                   "unknown key \"%1\" (Enter, Escape, Tab, F5, Ctrl+G, Ctrl+O, Ctrl+S, Ctrl+Q or "
                   "one "
                   "character)")
            .arg(c.arg(1));
    if (c.verb == Verb::Header) {
        bool ok = false;
        const int col = c.arg(1).toInt(&ok);
        if (!ok || col < 0)
            return QStringLiteral("column must be a number from 0: \"%1\"").arg(c.arg(1));
    }
    if (c.verb == Verb::Resize) {
        for (std::size_t i = 1; i < 3; ++i) {
            bool ok = false;
            const double twips = c.arg(i).toDouble(&ok);
            if (!ok || !std::isfinite(twips) || twips <= 0)
                return QStringLiteral("size must be a number of twips above 0: \"%1\"")
                    .arg(c.arg(i));
        }
    }
    if (c.verb == Verb::Select && n > 2) {
        for (std::size_t i = 1; i < c.argc(); ++i)
            if (keyForm(c.args[i])) return usage;
    }
    if (c.verb == Verb::Dump) {
        const QString what = c.arg(0);
        if (what == u"code") return std::nullopt;
        if (what == u"clipboard") return n == 1 ? std::nullopt : std::optional<QString>(usage);
        if (what == u"tree" || what == u"list" || what == u"control" || what == u"layout" ||
            what == u"selection")
            return n == 2 ? std::nullopt : std::optional<QString>(usage);
        return QStringLiteral("unknown dump \"%1\"; ").arg(what) + usage;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<Token>> tokenize(QStringView line, QString* error) {
    std::vector<Token> out;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && isBlank(line[i])) ++i;
        if (i >= n) break;
        Token t;
        t.quoted = line[i] == u'"';
        while (i < n && !isBlank(line[i])) {
            if (line[i] != u'"') {
                t.text += line[i++];
                continue;
            }
            const qsizetype open = i++;
            bool closed = false;
            while (i < n) {
                const QChar c = line[i++];
                if (c == u'"') {
                    closed = true;
                    break;
                }
                if (c != u'\\') {
                    t.text += c;
                    continue;
                }
                if (i >= n) break;
                const QChar e = line[i++];
                switch (e.unicode()) {
                    case '"':
                        t.text += u'"';
                        break;
                    case '\\':
                        t.text += u'\\';
                        break;
                    case 'n':
                        t.text += u'\n';
                        break;
                    case 'r':
                        t.text += u'\r';
                        break;
                    case 't':
                        t.text += u'\t';
                        break;
                    default:
                        if (error) *error = QStringLiteral("unknown escape \\%1").arg(e);
                        return std::nullopt;
                }
            }
            if (!closed) {
                if (error)
                    *error = QStringLiteral("unterminated quoted argument starting in column %1")
                                 .arg(open + 1);
                return std::nullopt;
            }
        }
        out.push_back(std::move(t));
    }
    return out;
}

ParseResult parseScript(const QString& text) {
    ParseResult result;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r')) line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;

        QString error;
        auto tokens = tokenize(line, &error);
        if (!tokens) {
            result.commands.clear();
            result.error = ParseError{i + 1, error};
            return result;
        }
        Command c;
        c.line = i + 1;
        c.name = tokens->front().text;
        c.args.assign(std::make_move_iterator(tokens->begin() + 1),
                      std::make_move_iterator(tokens->end()));
        if (auto problem = checkCommand(c)) {
            result.commands.clear();
            result.error = ParseError{i + 1, *problem};
            return result;
        }
        result.commands.push_back(std::move(c));
    }
    return result;
}

std::optional<KeySpec> keyByName(const QString& name) {
    static const QHash<QString, KeySpec> named = {
        {"Enter", {Qt::Key_Return, "\r"}},
        {"Escape", {Qt::Key_Escape, "\x1b"}},
        {"Tab", {Qt::Key_Tab, "\t"}},
        {"Backspace", {Qt::Key_Backspace, "\b"}},
        {"Delete", {Qt::Key_Delete, ""}},
        {"Space", {Qt::Key_Space, " "}},
        {"Up", {Qt::Key_Up, ""}},
        {"Down", {Qt::Key_Down, ""}},
        {"Left", {Qt::Key_Left, ""}},
        {"Right", {Qt::Key_Right, ""}},
        {"Home", {Qt::Key_Home, ""}},
        {"End", {Qt::Key_End, ""}},
        // The shortcuts of the main window's menus.
        {"F5", {Qt::Key_F5, ""}},
        {"Ctrl+G", {Qt::Key_G, "\x07", Qt::ControlModifier}},
        {"Ctrl+O", {Qt::Key_O, "\x0f", Qt::ControlModifier}},
        {"Ctrl+S", {Qt::Key_S, "\x13", Qt::ControlModifier}},
        {"Ctrl+Q", {Qt::Key_Q, "\x11", Qt::ControlModifier}},
        // Completion in the Immediate window's input line.
        {"Ctrl+Space", {Qt::Key_Space, "", Qt::ControlModifier}},
    };
    if (auto it = named.constFind(name); it != named.constEnd()) return *it;
    if (name.size() != 1) return std::nullopt;
    const QChar c = name[0];
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return std::nullopt;
    // Qt key codes of printable characters are their upper-case code points.
    return KeySpec{int(c.toUpper().unicode()), name};
}

QString escape(QStringView s, bool quotes) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        switch (c.unicode()) {
            case '\\':
                out += u"\\\\";
                break;
            case '"':
                out += quotes ? QStringView(u"\\\"") : QStringView(u"\"");
                break;
            case '\n':
                out += u"\\n";
                break;
            case '\r':
                out += u"\\r";
                break;
            case '\t':
                out += u"\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

QString quote(QStringView s) {
    return u'"' + escape(s) + u'"';
}

std::optional<QString> keyForm(const Token& t) {
    if (t.quoted || !t.text.startsWith(u"key=")) return std::nullopt;
    return t.text.mid(4);
}

}  // namespace scenario::script
