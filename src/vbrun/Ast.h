#pragma once

#include <QString>
#include <memory>
#include <variant>
#include <vector>

#include "messaging/Variant.h"

// The parsed program. Every statement and expression kind is a small struct of
// its own, held in a std::variant: the set of kinds is closed, and a visitor
// built with Overloaded that forgets one does not compile.
namespace vbrun {

struct Expr;
struct Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

// One lambda per node kind for std::visit.
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

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

namespace expr {

struct Literal {
    mapi::Variant value;
};

struct Name {
    QString name;  // as written
    QString key;   // lower case
};

// object.name; a null object is the innermost With's object: ".Subject".
struct Member {
    ExprPtr object;
    QString name;
    QString key;
};

// callee(args): an index, a call or a default member, known only when it runs.
struct Call {
    ExprPtr callee;
    std::vector<Arg> args;
    int line = 0;  // where "Sub or Function not defined" points
};

struct Unary {
    Op op = Op::Neg;  // Neg or Not
    ExprPtr operand;
};

struct Binary {
    Op op = Op::Add;
    ExprPtr lhs, rhs;
};

}  // namespace expr

struct Expr {
    std::variant<expr::Literal, expr::Name, expr::Member, expr::Call, expr::Unary, expr::Binary>
        node;

    template <class T>
    const T* as() const {
        return std::get_if<T>(&node);
    }
    template <class T>
    T* as() {
        return std::get_if<T>(&node);
    }
    template <class T>
    bool is() const {
        return std::holds_alternative<T>(node);
    }
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

namespace stmt {

// target = value; the target is a Name, Member or Call expression.
struct Let {
    ExprPtr target, value;
};

// Set target = value
struct Set {
    ExprPtr target, value;
};

// A procedure or method called as a statement: target (a Name, Member or
// Call expression) with the arguments written without parentheses.
struct Call {
    ExprPtr target;
    std::vector<Arg> args;
};

// Debug.Print items
struct Print {
    std::vector<PrintItem> items;
};

// conds[i] Then blocks[i], in order; elseBlock when none holds.
struct If {
    std::vector<ExprPtr> conds;
    std::vector<Block> blocks;
    Block elseBlock;
};

// For var = from To to [Step step]; var is a Name expression.
struct For {
    ExprPtr var, from, to, step;
    Block body;
};

// For Each var In collection
struct ForEach {
    ExprPtr var, collection;
    Block body;
};

// While cond ... Wend
struct While {
    ExprPtr cond;
    Block body;
};

// Do [While|Until cond] ... Loop [While|Until cond]; no cond loops until Exit Do.
struct Do {
    ExprPtr cond;
    bool condAtEnd = false;
    bool until = false;
    Block body;
};

// Select Case value
struct Select {
    ExprPtr value;
    std::vector<CaseClause> cases;
};

// With object ... End With
struct With {
    ExprPtr object;
    Block body;
};

// Exit For / Do / Sub / Function
struct Exit {
    ExitKind kind = ExitKind::For;
};

// On Error Resume Next (resumeNext) or On Error GoTo 0
struct OnError {
    bool resumeNext = false;
};

// Dim, ReDim [Preserve] and Const
struct Dim {
    std::vector<Decl> decls;
    bool redim = false, preserve = false, isConst = false;
};

// End: stops the run.
struct End {};

}  // namespace stmt

struct Stmt {
    int line = 0;
    std::variant<stmt::Let, stmt::Set, stmt::Call, stmt::Print, stmt::If, stmt::For, stmt::ForEach,
                 stmt::While, stmt::Do, stmt::Select, stmt::With, stmt::Exit, stmt::OnError,
                 stmt::Dim, stmt::End>
        node;
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
