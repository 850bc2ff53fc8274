#include "immediate/Completion.h"

#include <algorithm>

namespace immediate {

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Whether `pos` lies inside a string literal or a comment of the line.
bool inStringOrComment(const QString& line, qsizetype pos) {
    bool inString = false;
    for (qsizetype i = 0; i < pos; ++i) {
        const QChar c = line[i];
        if (c == u'"')
            inString = !inString;  // "" inside a string toggles twice
        else if (c == u'\'' && !inString)
            return true;
    }
    return inString;
}

QStringList sortedIgnoringCase(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    // A name spelled two ways is still one name, spelled as first given.
    names.erase(std::unique(names.begin(), names.end(),
                            [](const QString& a, const QString& b) {
                                return a.compare(b, Qt::CaseInsensitive) == 0;
                            }),
                names.end());
    return names;
}

}  // namespace

QStringList Completion::matches() const {
    QStringList out;
    for (const QString& c : candidates)
        if (c.startsWith(prefix, Qt::CaseInsensitive)) out << c;
    return out;
}

std::optional<Completion> completionAt(const QString& line, qsizetype cursor,
                                       const CompletionScope& scope, CompletionWant want) {
    if (cursor < 0 || cursor > line.size()) return std::nullopt;
    qsizetype start = cursor;
    while (start > 0 && isNameChar(line[start - 1])) --start;
    qsizetype end = cursor;
    while (end < line.size() && isNameChar(line[end])) ++end;
    if (start < cursor && line[start].isDigit()) return std::nullopt;
    if (inStringOrComment(line, start)) return std::nullopt;

    Completion c;
    c.start = start;
    c.end = end;
    c.prefix = line.mid(start, cursor - start);
    if (start > 0 && line[start - 1] == u'.') {
        const qsizetype dot = start - 1;
        qsizetype from = dot;
        while (from > 0 && isNameChar(line[from - 1])) --from;
        // A With block's ".Name" or a member of a member: what it holds is
        // known only by running it.
        if (from == dot || line[from].isDigit()) return std::nullopt;
        if (from > 0 && (line[from - 1] == u'.' || line[from - 1] == u'&')) return std::nullopt;
        if (!scope.members) return std::nullopt;
        c.candidates = sortedIgnoringCase(scope.members(line.mid(from, dot - from)));
        c.members = true;
    } else {
        // "&H1F": the digits of a number, not a name.
        if (want != CompletionWant::AnyWord || (start > 0 && line[start - 1] == u'&'))
            return std::nullopt;
        if (!scope.variables) return std::nullopt;
        c.candidates = sortedIgnoringCase(scope.variables());
    }
    if (c.candidates.isEmpty()) return std::nullopt;
    return c;
}

CompletedLine applyCompletion(const QString& line, const Completion& c, const QString& choice) {
    CompletedLine out;
    out.text = line.left(c.start) + choice + line.mid(c.end);
    out.cursor = c.start + choice.size();
    return out;
}

void noteSpellings(const QString& source, QHash<QString, QString>& spellings) {
    const qsizetype n = source.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = source[i];
        if (c == u'"') {
            const qsizetype close = source.indexOf(u'"', i + 1);
            i = close < 0 ? n : close + 1;
        } else if (c == u'\'') {
            const qsizetype eol = source.indexOf(u'\n', i);
            i = eol < 0 ? n : eol + 1;
        } else if (isNameChar(c)) {
            qsizetype j = i;
            while (j < n && isNameChar(source[j])) ++j;
            // A member after a dot is no variable; a number is no name.
            if (!c.isDigit() && (i == 0 || source[i - 1] != u'.')) {
                const QString word = source.mid(i, j - i);
                spellings.insert(word.toLower(), word);
            }
            i = j;
        } else {
            ++i;
        }
    }
}

}  // namespace immediate
