#include "vbrun/ExpressionParser.h"

namespace vbrun {

ExprPtr ExpressionParser::nameExpr(const QString& name) {
    return exprOf(expr::Name{name, name.toLower()});
}

ExprPtr ExpressionParser::binary(Op op, ExprPtr l, ExprPtr r) {
    return exprOf(expr::Binary{op, std::move(l), std::move(r)});
}

namespace {

struct BinaryOp {
    const char* token;  // a keyword when it starts with a letter
    Op op;
};

// The binary operators from the loosest to the tightest, one level a row; all
// associate to the left. Not stands between And and the comparisons.
const std::vector<std::vector<BinaryOp>>& levels() {
    static const std::vector<std::vector<BinaryOp>> all = {
        {{"imp", Op::Imp}},
        {{"eqv", Op::Eqv}},
        {{"xor", Op::Xor}},
        {{"or", Op::Or}},
        {{"and", Op::And}},
        {},  // the prefix Not
        {{"=", Op::Eq},
         {"<>", Op::Ne},
         {"<=", Op::Le},
         {">=", Op::Ge},
         {"<", Op::Lt},
         {">", Op::Gt},
         {"is", Op::Is},
         {"like", Op::Like}},
        {{"&", Op::Cat}},
        {{"+", Op::Add}, {"-", Op::Sub}},
        {{"mod", Op::Mod}},
        {{"\\", Op::IntDiv}},
        {{"*", Op::Mul}, {"/", Op::Div}},
    };
    return all;
}

constexpr std::size_t kNotLevel = 5;
constexpr std::size_t kConcatLevel = 7;

}  // namespace

ExprPtr ExpressionParser::expression() {
    return operand(0);
}

ExprPtr ExpressionParser::concat() {
    return operand(kConcatLevel);
}

ExprPtr ExpressionParser::operand(std::size_t level) {
    if (level == levels().size()) return negation();
    if (level == kNotLevel) {
        if (acceptWord("not")) return exprOf(expr::Unary{Op::Not, operand(level)});
        return operand(level + 1);
    }
    ExprPtr l = operand(level + 1);
    for (;;) {
        const BinaryOp* found = nullptr;
        for (const BinaryOp& b : levels()[level]) {
            const bool word = QChar::fromLatin1(b.token[0]).isLetter();
            if (word ? acceptWord(b.token) : acceptOp(b.token)) {
                found = &b;
                break;
            }
        }
        if (!found) return l;
        l = binary(found->op, std::move(l), operand(level + 1));
    }
}

ExprPtr ExpressionParser::negation() {
    if (acceptOp("-")) return exprOf(expr::Unary{Op::Neg, negation()});
    if (acceptOp("+")) return negation();
    return power();
}

ExprPtr ExpressionParser::power() {
    ExprPtr l = postfix();
    while (acceptOp("^")) {
        ExprPtr r;
        if (isOp("-")) {
            r = negation();
        } else {
            r = postfix();
        }
        l = binary(Op::Pow, std::move(l), std::move(r));
    }
    return l;
}

ExprPtr ExpressionParser::postfix() {
    ExprPtr e = primary();
    for (;;) {
        if (isOp(".") && !cur().spaceBefore) {
            ++i_;
            e = member(std::move(e));
        } else if (isOp("(") && !e->is<expr::Literal>()) {
            ++i_;
            expr::Call c{std::move(e), {}, line()};
            argumentList(c.args, true);
            expectOp(")");
            e = exprOf(std::move(c));
        } else {
            return e;
        }
    }
}

ExprPtr ExpressionParser::member(ExprPtr object) {
    if (cur().kind != Tok::Ident) fail(QStringLiteral("Expected: identifier"));
    const QString name = t_[i_++].text;
    return exprOf(expr::Member{std::move(object), name, name.toLower()});
}

void ExpressionParser::argumentList(std::vector<Arg>& args, bool inParens) {
    auto atEnd = [&] { return inParens ? isOp(")") : atStmtEnd(); };
    if (atEnd()) return;
    for (;;) {
        Arg a;
        if (cur().kind == Tok::Ident && peek().kind == Tok::Op && peek().text == u":=") {
            a.name = cur().text.toLower();
            i_ += 2;
        }
        if (!isOp(",") && !atEnd())
            a.value = expression();
        else if (!a.name.isEmpty())
            fail(QStringLiteral("Expected: expression"));
        const bool named = !a.name.isEmpty();
        if (!named && !args.empty() && !args.back().name.isEmpty())
            fail(QStringLiteral("Expected: named parameter"));
        args.push_back(std::move(a));
        if (!acceptOp(",")) break;
    }
    if (!atEnd())
        fail(inParens ? QStringLiteral("Expected: )")
                      : QStringLiteral("Expected: end of statement"));
}

ExprPtr ExpressionParser::primary() {
    const Token& t = cur();
    if (t.kind == Tok::Number || t.kind == Tok::String) {
        ++i_;
        return exprOf(expr::Literal{t.value});
    }
    if (t.kind == Tok::Op && t.text == u"(") {
        ++i_;
        ExprPtr e = expression();
        expectOp(")");
        // A parenthesised name is a value, never a callee: "(x)(1)" is rare
        // enough that it is simply not special.
        return e;
    }
    if (t.kind == Tok::Op && t.text == u".") {
        ++i_;
        return member(nullptr);
    }
    if (t.kind == Tok::Ident) {
        const QString k = t.text.toLower();
        if (k == u"true" || k == u"false") {
            ++i_;
            return exprOf(expr::Literal{mapi::Variant(k == u"true")});
        }
        if (k == u"null" || k == u"empty") {
            ++i_;
            return exprOf(expr::Literal{k == u"null" ? mapi::Variant::null() : mapi::Variant()});
        }
        if (k == u"nothing") {
            ++i_;
            return exprOf(expr::Literal{mapi::Variant(std::shared_ptr<mapi::Object>())});
        }
        if (k == u"new") fail(QStringLiteral("New is not supported"));
        if (isReserved(k)) fail(QStringLiteral("Expected: expression"));
        ++i_;
        return nameExpr(t_[i_ - 1].text);
    }
    if (t.kind == Tok::EndStmt || t.kind == Tok::End) fail(QStringLiteral("Expected: expression"));
    fail(QStringLiteral("Expected: expression"));
}

}  // namespace vbrun
