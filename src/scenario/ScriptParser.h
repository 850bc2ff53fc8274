#pragma once

// The scenario script language: one command per line, arguments separated by
// blanks, double quotes around an argument with blanks (escapes \" \\ \n \r \t),
// blank lines and lines starting with # ignored. Parsing checks every line
// before anything runs, so a typo near the end never leaves a half-run script.

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// Every command of the language: its verb, its name, how many arguments it takes
// (min, max; -1 for no upper bound) and the usage line shown when a line does not
// fit. The parser checks lines against this list and the runner dispatches on it
// (to ScenarioRunner::cmdVERB), so a command is added in one place.
#define QUORVANE_SCRIPT_COMMANDS(X)                                                         \
    X(Click, "click", 1, 1, "click NAME")                                                   \
    X(Tab, "tab", 1, 1, "tab CAPTION")                                                      \
    X(Set, "set", 2, 2, "set NAME TEXT")                                                    \
    X(Key, "key", 2, 2, "key NAME KEY")                                                     \
    X(Focus, "focus", 1, 1, "focus NAME")                                                   \
    X(Choose, "choose", 2, 2, "choose NAME ITEM")                                           \
    X(Select, "select", 2, -1, "select TREE TEXT... | select TREE key=KEY")                 \
    X(DblClick, "dblclick", 1, 1, "dblclick NAME")                                          \
    X(Edit, "edit", 2, 2, "edit TREE TEXT")                                                 \
    X(Answer, "answer", 1, 2, "answer BUTTON [TEXT]")                                       \
    X(File, "file", 1, 1, "file PATH")                                                      \
    X(FileCancel, "file-cancel", 0, 0, "file-cancel")                                       \
    X(Header, "header", 2, 2, "header NAME COLUMN")                                         \
    X(Resize, "resize", 3, 3, "resize WINDOW WIDTH HEIGHT")                                 \
    X(Trigger, "trigger", 1, 1, "trigger NAME")                                             \
    X(Dump, "dump", 1, 2,                                                                   \
      "dump code [PATH] | dump tree NAME | dump list NAME | dump clipboard | dump control " \
      "NAME | dump layout NAME | dump selection NAME")

namespace scenario::script {

enum class Verb {
#define QUORVANE_SCRIPT_VERB(id, ...) id,
    QUORVANE_SCRIPT_COMMANDS(QUORVANE_SCRIPT_VERB)
#undef QUORVANE_SCRIPT_VERB
};

struct Token {
    QString text;
    bool quoted = false;  // the token started with a double quote
};

struct Command {
    int line = 0;  // 1-based line in the script
    Verb verb = Verb::Click;
    QString name;  // "click", "dump", "file-cancel", ...
    std::vector<Token> args;

    QString arg(std::size_t i) const { return i < args.size() ? args[i].text : QString(); }
    std::size_t argc() const { return args.size(); }
};

struct ParseError {
    int line = 0;
    QString message;
};

struct ParseResult {
    std::vector<Command> commands;
    std::optional<ParseError> error;  // the first bad line; commands is empty then
};

// Splits one line into tokens. A token may mix plain text and quoted parts
// (key="a b" gives key=a b); escapes count only inside quotes. Returns nullopt
// and sets *error on an unterminated quote or an unknown escape.
std::optional<std::vector<Token>> tokenize(QStringView line, QString* error);

// Tokenizes and checks the whole script: known command names, argument
// counts, key names of `key`, the column of `header`.
ParseResult parseScript(const QString& text);

// The key named in a `key` command: Qt key code and the text it types.
struct KeySpec {
    int key = 0;
    QString text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
std::optional<KeySpec> keyByName(const QString& name);

// The escapes of the script language applied to `s`, so that any text fits on
// one line: backslash, double quote, CR, LF and tab.
// With `quotes` false a double quote stays as it is (for text shown unquoted).
QString escape(QStringView s, bool quotes = true);
// escape(s) between double quotes.
QString quote(QStringView s);

// The node key of `select TREE key=KEY`, or nullopt when the token is a text.
std::optional<QString> keyForm(const Token& t);

}  // namespace scenario::script
