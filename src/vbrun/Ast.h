#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "messaging/Variant.h"

namespace vbrun {

struct Expr;
struct Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

enum class Op {
    Neg,
    Not,  // unary
    Pow,
    Mul,
    Div,
    IntDiv,
    Mod,
    Add,
    Sub,
    Cat,  // arithmetic and &
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Is,
    Like,  // comparisons
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

struct Arg {
    QString name;   // lower case; empty for a positional argument
    ExprPtr value;  // null for an omitted argument: f(1, , 3)
};

enum class ExprKind {
    Literal,  // value
    Name,     // key (lower case), name (as written)
    Member,   // object . name; a null object is the innermost With's object
    Call,     // callee ( args ): an index, a call or a default member
    Unary,    // op lhs
    Binary,   // lhs op rhs
};

struct Expr {
    ExprKind kind = ExprKind::Literal;
    int line = 0;
    mapi::Variant value;
    QString name;
    QString key;
    ExprPtr object;  // Member
    ExprPtr callee;  // Call
    std::vector<Arg> args;
    bool parens = false;  // Call: written with parentheses
    Op op = Op::Add;
    ExprPtr lhs, rhs;
};

enum class StmtKind {
    Let,      // target = value
    Set,      // Set target = value
    Call,     // target (a Name, Member or Call expression) with args
    Print,    // Debug.Print items
    If,       // conds[i] -> blocks[i]; elseBlock
    For,      // var = from To to [Step step]
    ForEach,  // var In value
    While,    // While cond ... Wend
    Do,       // Do [While|Until] ... Loop [While|Until]
    Select,   // Select Case value
    With,     // With value
    Exit,     // Exit For / Do / Sub / Function
    OnError,  // On Error Resume Next (resumeNext) / GoTo 0
    Dim,      // Dim / ReDim / Const: decls
    End,      // End: stops the run
};

enum class ExitKind { For, Do, Sub, Function };

struct PrintItem {
    ExprPtr value;  // may be null (a bare separator)
    QChar sep;      // ',' ';' or 0 after the value
};

struct Decl {
    QString name;
    QString key;
    QString type;                 // lower case, "" when not given
    std::vector<ExprPtr> bounds;  // upper bounds of an array; empty for a scalar
    bool isArray = false;         // written with parentheses (possibly empty)
    ExprPtr init;                 // Const value
};

struct CaseClause {
    // Each test: a value (eq), a range (lo To hi) or Is op value.
    struct Test {
        ExprPtr lo, hi;
        Op op = Op::Eq;
        bool range = false;
    };
    std::vector<Test> tests;  // empty: Case Else
    Block body;
};

struct Stmt {
    StmtKind kind = StmtKind::Call;
    int line = 0;
    ExprPtr target;         // Let / Set / Call / For var (a Name) / ForEach var
    ExprPtr value;          // Let / Set / For from / ForEach collection / With / Select
    std::vector<Arg> args;  // Call without parentheses
    std::vector<PrintItem> print;
    std::vector<ExprPtr> conds;  // If
    std::vector<Block> blocks;   // If
    Block elseBlock;             // If
    bool hasElse = false;
    ExprPtr to, step;  // For
    Block body;        // loops, With
    ExprPtr cond;      // While, Do
    bool condAtEnd = false, until = false;
    std::vector<CaseClause> cases;
    ExitKind exit = ExitKind::For;
    bool resumeNext = false;
    std::vector<Decl> decls;
    bool redim = false, preserve = false, isConst = false;
};

struct Param {
    QString name;
    QString key;
    bool byVal = false;
    bool optional = false;
    ExprPtr defaultValue;
};

struct Procedure {
    QString name;
    QString key;
    bool isFunction = false;
    int line = 0;
    std::vector<Param> params;
    Block body;
};

struct Program {
    Block main;  // the statements outside any Sub or Function, in order
    std::vector<std::unique_ptr<Procedure>> procedures;
};

}  // namespace vbrun
