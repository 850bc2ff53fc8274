#include "immediate/VbHighlighter.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace immediate {

namespace {

// Sorted, lower case: looked up without building a string per word, since the
// highlighter sees every line of a code window that may hold megabytes.
constexpr std::array<std::string_view, 66> kKeywords = {
    "and",   "as",      "boolean", "byref", "byval",  "call",   "case",     "const",   "currency",
    "date",  "debug",   "dim",     "do",    "double", "each",   "else",     "elseif",  "empty",
    "end",   "eqv",     "error",   "exit",  "false",  "for",    "function", "goto",    "if",
    "imp",   "in",      "integer", "is",    "let",    "like",   "long",     "loop",    "mod",
    "next",  "not",     "nothing", "null",  "object", "on",     "optional", "or",      "preserve",
    "print", "private", "public",  "redim", "rem",    "resume", "select",   "set",     "single",
    "step",  "string",  "sub",     "then",  "to",     "true",   "until",    "variant", "wend",
    "while", "with",    "xor"};
static_assert(std::is_sorted(kKeywords.begin(), kKeywords.end()));
constexpr std::size_t kLongestKeyword = 8;

// The word in lower case when it could be a keyword, else an empty view.
std::string_view lowered(QStringView word, std::array<char, kLongestKeyword>& buffer) {
    if (word.size() > qsizetype(kLongestKeyword)) return {};
    for (qsizetype k = 0; k < word.size(); ++k) {
        const char16_t c = word[k].unicode();
        if (c >= 0x80) return {};
        buffer[std::size_t(k)] = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return {buffer.data(), std::size_t(word.size())};
}

bool isKeyword(std::string_view lower) {
    return !lower.empty() && std::binary_search(kKeywords.begin(), kKeywords.end(), lower);
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
            std::array<char, kLongestKeyword> buffer{};
            const std::string_view word = lowered(QStringView(text).mid(i, j - i), buffer);
            if (statementStart && word == "rem") {
                setFormat(static_cast<int>(i), static_cast<int>(n - i), comment_);
                return;
            }
            if (!member && isKeyword(word))
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
