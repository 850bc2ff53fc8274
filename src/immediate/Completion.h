#pragma once

// Which word of a typed line is being completed and with what: the members
// of the object a variable holds after "variable.", else the variables in
// scope. Plain text and a cursor position in, no widgets.

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace immediate {

struct CompletionScope {
    // The members of the object the variable (any case) holds; empty when it
    // holds none.
    std::function<QStringList(const QString& variable)> members;
    // The variables that exist now, as the user spells them.
    std::function<QStringList()> variables;
};

struct Completion {
    qsizetype start = 0;  // the word being completed is [start, end)
    qsizetype end = 0;
    QString prefix;          // its part before the cursor
    QStringList candidates;  // every name that fits here, sorted ignoring case
    bool members = false;    // after "variable."

    // The candidates that begin with the prefix, ignoring case.
    QStringList matches() const;
};

enum class CompletionWant {
    Members,  // only after "variable." (a dot was typed)
    AnyWord,  // members there, else the variables (Ctrl+Space)
};

// The completion at `cursor` in `line`; nullopt inside a string or a comment,
// after a member of a member (a.b.c), when a number is being written, or
// when nothing could fit.
std::optional<Completion> completionAt(const QString& line, qsizetype cursor,
                                       const CompletionScope& scope, CompletionWant want);

struct CompletedLine {
    QString text;
    qsizetype cursor = 0;
};

// The line with the word replaced by `choice`, the cursor after it.
CompletedLine applyCompletion(const QString& line, const Completion& c, const QString& choice);

// Notes how `source` spells each name it uses, by lower-case name; a later
// spelling replaces an earlier one. Strings and comments are skipped.
void noteSpellings(const QString& source, QHash<QString, QString>& spellings);

}  // namespace immediate
