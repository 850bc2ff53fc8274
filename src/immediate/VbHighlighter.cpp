#include "immediate/VbHighlighter.h"

#include <QSet>

namespace immediate {

namespace {

const QSet<QString>& keywords() {
    static const QSet<QString> k = [] {
        QSet<QString> s;
        for (const char* w :
             {"and",      "as",       "boolean", "byref",    "byval", "call",    "case",   "const",
              "currency", "date",     "debug",   "dim",      "do",    "double",  "each",   "else",
              "elseif",   "empty",    "end",     "eqv",      "error", "exit",    "false",  "for",
              "function", "goto",     "if",      "imp",      "in",    "integer", "is",     "like",
              "long",     "loop",     "mod",     "next",     "not",   "nothing", "null",   "object",
              "on",       "optional", "or",      "preserve", "print", "private", "public", "redim",
              "resume",   "select",   "set",     "single",   "step",  "string",  "sub",    "then",
              "to",       "true",     "until",   "variant",  "wend",  "while",   "with",   "xor",
              "let",      "rem"})
            s.insert(QString::fromLatin1(w));
        return s;
    }();
    return k;
}

}  // namespace

VbHighlighter::VbHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    keyword_.setForeground(QColor(0x00, 0x00, 0x80));
    keyword_.setFontWeight(QFont::Bold);
    string_.setForeground(QColor(0x80, 0x00, 0x00));
    comment_.setForeground(QColor(0x00, 0x80, 0x00));
    number_.setForeground(QColor(0x80, 0x00, 0x80));
}

void VbHighlighter::highlightBlock(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool statementStart = true;  // "Rem" is a comment only where a statement starts
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\'') {
            setFormat(static_cast<int>(i), static_cast<int>(n - i), comment_);
            return;
        }
        if (c == u'"') {
            qsizetype j = i + 1;
            while (j < n) {
                if (text[j] == u'"') {
                    if (j + 1 < n && text[j + 1] == u'"') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            setFormat(static_cast<int>(i), static_cast<int>(j - i), string_);
            i = j;
            statementStart = false;
            continue;
        }
        if (c.isDigit()) {
            qsizetype j = i;
            while (j < n && (text[j].isDigit() || text[j] == u'.')) ++j;
            setFormat(static_cast<int>(i), static_cast<int>(j - i), number_);
            i = j;
            statementStart = false;
            continue;
        }
        if (c.isLetter() || c == u'_') {
            qsizetype j = i;
            while (j < n && (text[j].isLetterOrNumber() || text[j] == u'_')) ++j;
            const bool member = i > 0 && text[i - 1] == u'.';
            const QString word = text.mid(i, j - i).toLower();
            if (statementStart && word == u"rem") {
                setFormat(static_cast<int>(i), static_cast<int>(n - i), comment_);
                return;
            }
            if (!member && keywords().contains(word))
                setFormat(static_cast<int>(i), static_cast<int>(j - i), keyword_);
            i = j;
            statementStart = false;
            continue;
        }
        if (c == u':') statementStart = true;
        ++i;
    }
}

}  // namespace immediate
