#pragma once

#include <QString>
#include <vector>

#include "vbrun/CompileError.h"
#include "vbrun/Lexer.h"

namespace vbrun {

// True for a word (lower case) that can never name a variable; seen where an
// expression should start it is a syntax error rather than an implicit variable.
bool isReserved(const QString& key);

// The parser's position in the token list and the small tests and moves every
// part of it makes: is this word or operator next, take it, or fail with the
// line of the token at hand.
class TokenCursor {
  protected:
    explicit TokenCursor(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    std::vector<Token> t_;
    size_t i_ = 0;
    int inlineIf_ = 0;  // depth of single-line Ifs, where "Else" ends a statement

    const Token& cur() const { return t_[i_]; }
    const Token& peek(size_t k = 1) const { return t_[std::min(i_ + k, t_.size() - 1)]; }
    int line() const { return cur().line; }

    static bool isWord(const Token& t, const char* w) {
        return t.kind == Tok::Ident && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isWord(const char* w) const { return isWord(cur(), w); }
    bool isOp(const char* o) const {
        return cur().kind == Tok::Op && cur().text == QLatin1String(o);
    }
    bool acceptWord(const char* w) {
        if (!isWord(w)) return false;
        ++i_;
        return true;
    }
    bool acceptOp(const char* o) {
        if (!isOp(o)) return false;
        ++i_;
        return true;
    }
    [[noreturn]] void fail(const QString& msg) const { throw CompileError(line(), msg); }
    void expectWord(const char* w) {
        if (!acceptWord(w)) fail(QStringLiteral("Expected: %1").arg(QLatin1String(w)));
    }
    void expectOp(const char* o) {
        if (!acceptOp(o)) fail(QStringLiteral("Expected: %1").arg(QLatin1String(o)));
    }
    // A name that is no reserved word, else "Expected: <what>".
    QString ident(const char* what);
    void skipEnds() {
        while (cur().kind == Tok::EndStmt) ++i_;
    }
    // At a line break or ':', at the end of the text, or at the Else of a
    // single-line If; atStmtEndAfter(k) asks the same k tokens ahead.
    bool atStmtEnd() const;
    bool atStmtEndAfter(size_t k) const;
    void endOfStatement() {
        if (!atStmtEnd()) fail(QStringLiteral("Expected: end of statement"));
    }
};

}  // namespace vbrun
