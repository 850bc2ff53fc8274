#include "vbrun/Lexer.h"

#include "vbrun/CompileError.h"

namespace vbrun {

namespace {

bool isIdentStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

mapi::Variant numberValue(const QString& digits, bool isFloat, bool hex) {
    bool ok = false;
    if (hex) {
        const qlonglong v = digits.toLongLong(&ok, 16);
        if (v <= 0xFFFF) return mapi::Variant::integer(static_cast<std::int16_t>(v));
        return mapi::Variant(static_cast<std::int32_t>(v));
    }
    if (!isFloat) {
        const qlonglong v = digits.toLongLong(&ok);
        if (ok && v <= 32767) return mapi::Variant::integer(static_cast<std::int16_t>(v));
        if (ok && v <= 2147483647LL) return mapi::Variant(static_cast<std::int32_t>(v));
    }
    return mapi::Variant(digits.toDouble());
}

}  // namespace

std::vector<Token> tokenize(const QString& src) {
    std::vector<Token> out;
    int line = 1;
    const int n = static_cast<int>(src.size());
    int i = 0;
    bool space = false;
    auto push = [&](Tok k, QString text, mapi::Variant v = {}) {
        out.push_back(Token{k, std::move(text), std::move(v), line, space});
        space = false;
    };
    // A line break dominates a ':' just before it: a single-line If ends at the
    // line break, not at a separator.
    auto endStmt = [&](QChar kind) {
        if (!out.empty() && out.back().kind == Tok::EndStmt) {
            if (kind == u'\n') out.back().text = QStringLiteral("\n");
            return;
        }
        if (!out.empty()) push(Tok::EndStmt, QString(kind));
    };
    while (i < n) {
        const QChar c = src[i];
        if (c == u'\r' || c == u'\n') {
            endStmt(u'\n');
            if (c == u'\r' && i + 1 < n && src[i + 1] == u'\n') ++i;
            ++i;
            ++line;
            continue;
        }
        if (c == u' ' || c == u'\t') {
            space = true;
            ++i;
            continue;
        }
        if (c == u'\'') {
            while (i < n && src[i] != u'\r' && src[i] != u'\n') ++i;
            continue;
        }
        // " _" followed by the end of the line continues the statement.
        if (c == u'_' && space) {
            int j = i + 1;
            while (j < n && (src[j] == u' ' || src[j] == u'\t')) ++j;
            if (j >= n || src[j] == u'\r' || src[j] == u'\n') {
                if (j < n && src[j] == u'\r' && j + 1 < n && src[j + 1] == u'\n') ++j;
                i = j + 1;
                ++line;
                space = true;
                continue;
            }
        }
        if (c == u'"') {
            QString text;
            ++i;
            for (;;) {
                if (i >= n || src[i] == u'\r' || src[i] == u'\n')
                    throw CompileError(line, QStringLiteral("Expected: end of string"));
                if (src[i] == u'"') {
                    if (i + 1 < n && src[i + 1] == u'"') {
                        text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += src[i++];
            }
            push(Tok::String, text, mapi::Variant(text));
            continue;
        }
        if (c.isDigit() || (c == u'.' && i + 1 < n && src[i + 1].isDigit())) {
            const int start = i;
            bool isFloat = false;
            while (i < n && src[i].isDigit()) ++i;
            if (i < n && src[i] == u'.') {
                isFloat = true;
                ++i;
                while (i < n && src[i].isDigit()) ++i;
            }
            if (i < n && (src[i] == u'e' || src[i] == u'E')) {
                int j = i + 1;
                if (j < n && (src[j] == u'+' || src[j] == u'-')) ++j;
                if (j < n && src[j].isDigit()) {
                    isFloat = true;
                    i = j;
                    while (i < n && src[i].isDigit()) ++i;
                }
            }
            const QString digits = src.mid(start, i - start);
            // Type suffixes: & Long, # Double, ! Single, % Integer.
            if (i < n && (src[i] == u'#' || src[i] == u'!')) {
                ++i;
                push(Tok::Number, digits, mapi::Variant(digits.toDouble()));
                continue;
            }
            if (i < n && src[i] == u'&' && !isFloat) {
                ++i;
                push(Tok::Number, digits,
                     mapi::Variant(static_cast<std::int32_t>(digits.toLong())));
                continue;
            }
            if (i < n && src[i] == u'%') ++i;
            push(Tok::Number, digits, numberValue(digits, isFloat, false));
            continue;
        }
        if (c == u'&' && i + 1 < n && (src[i + 1] == u'H' || src[i + 1] == u'h')) {
            int j = i + 2;
            while (j < n && (src[j].isDigit() || QStringLiteral("abcdefABCDEF").contains(src[j])))
                ++j;
            if (j > i + 2) {
                const QString digits = src.mid(i + 2, j - i - 2);
                i = j;
                if (i < n && src[i] == u'&') ++i;
                push(Tok::Number, digits, numberValue(digits, false, true));
                continue;
            }
        }
        if (isIdentStart(c)) {
            const int start = i;
            while (i < n && isIdentChar(src[i])) ++i;
            // Type-declaration characters on names (sName$, iCount%) are dropped.
            if (i < n && QStringLiteral("$%&!#").contains(src[i]) &&
                (i + 1 >= n || !isIdentChar(src[i + 1])) && src[i] != u'&')
                ++i;
            QString word = src.mid(start, i - start);
            if (word.endsWith(u'$') || word.endsWith(u'%') || word.endsWith(u'!') ||
                word.endsWith(u'#'))
                word.chop(1);
            if (word.compare(u"Rem", Qt::CaseInsensitive) == 0 &&
                (out.empty() || out.back().kind == Tok::EndStmt)) {
                while (i < n && src[i] != u'\r' && src[i] != u'\n') ++i;
                continue;
            }
            push(Tok::Ident, word);
            continue;
        }
        if (c == u':') {
            if (i + 1 < n && src[i + 1] == u'=') {
                push(Tok::Op, QStringLiteral(":="));
                i += 2;
                continue;
            }
            endStmt(u':');
            ++i;
            continue;
        }
        if (c == u'<' || c == u'>') {
            QString op(c);
            if (i + 1 < n && (src[i + 1] == u'=' || (c == u'<' && src[i + 1] == u'>')))
                op += src[i + 1];
            i += static_cast<int>(op.size());
            push(Tok::Op, op);
            continue;
        }
        if (QStringLiteral("(),.;=+-*/\\^&#?").contains(c)) {
            push(Tok::Op, QString(c));
            ++i;
            continue;
        }
        throw CompileError(line, QStringLiteral("Invalid character '%1'").arg(c));
    }
    endStmt(u'\n');
    push(Tok::End, QString());
    return out;
}

}  // namespace vbrun
