#pragma once

#include <QString>
#include <vector>

#include "messaging/Variant.h"

namespace vbrun {

enum class Tok {
    Ident,    // names and keywords alike; the parser tells them apart
    Number,   // value holds an Integer, Long or Double
    String,   // value holds the text with doubled quotes undone
    Op,       // text holds the operator or punctuation: ( ) , . ; = <> <= >= < > + - * / \ ^ & :=
    EndStmt,  // a line break or a ':' separator
    End,
};

struct Token {
    Tok kind = Tok::End;
    QString text;  // as written (identifiers keep their spelling)
    mapi::Variant value;
    int line = 1;
    bool spaceBefore = false;  // tells "a (1)" from "a(1)" where it matters
};

// Splits source text into tokens; comments vanish and " _" at a line end joins
// the next line. Throws CompileError on a character the language has no use for.
std::vector<Token> tokenize(const QString& source);

}  // namespace vbrun
