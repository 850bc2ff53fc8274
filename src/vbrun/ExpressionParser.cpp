#include "vbrun/ExpressionParser.h"

namespace vbrun {

ExprPtr ExpressionParser::nameExpr(const QString& name) {
    return exprOf(expr::Name{name, name.toLower()});
}

ExprPtr ExpressionParser::binary(Op op, ExprPtr l, ExprPtr r) {
    return exprOf(expr::Binary{op, std::move(l), std::move(r)});
}

ExprPtr ExpressionParser::expression() {
    return imp();
}

ExprPtr ExpressionParser::imp() {
    ExprPtr l = eqv();
    while (acceptWord("imp")) l = binary(Op::Imp, std::move(l), eqv());
    return l;
}

ExprPtr ExpressionParser::eqv() {
    ExprPtr l = xorExpr();
    while (acceptWord("eqv")) l = binary(Op::Eqv, std::move(l), xorExpr());
    return l;
}

ExprPtr ExpressionParser::xorExpr() {
    ExprPtr l = orExpr();
    while (acceptWord("xor")) l = binary(Op::Xor, std::move(l), orExpr());
    return l;
}

ExprPtr ExpressionParser::orExpr() {
    ExprPtr l = andExpr();
    while (acceptWord("or")) l = binary(Op::Or, std::move(l), andExpr());
    return l;
}

ExprPtr ExpressionParser::andExpr() {
    ExprPtr l = notExpr();
    while (acceptWord("and")) l = binary(Op::And, std::move(l), notExpr());
    return l;
}

ExprPtr ExpressionParser::notExpr() {
    if (acceptWord("not")) return exprOf(expr::Unary{Op::Not, notExpr()});
    return compare();
}

ExprPtr ExpressionParser::compare() {
    ExprPtr l = concat();
    for (;;) {
        Op op;
        if (acceptOp("="))
            op = Op::Eq;
        else if (acceptOp("<>"))
            op = Op::Ne;
        else if (acceptOp("<="))
            op = Op::Le;
        else if (acceptOp(">="))
            op = Op::Ge;
        else if (acceptOp("<"))
            op = Op::Lt;
        else if (acceptOp(">"))
            op = Op::Gt;
        else if (acceptWord("is"))
            op = Op::Is;
        else if (acceptWord("like"))
            op = Op::Like;
        else
            return l;
        l = binary(op, std::move(l), concat());
    }
}

ExprPtr ExpressionParser::concat() {
    ExprPtr l = additive();
    while (acceptOp("&")) l = binary(Op::Cat, std::move(l), additive());
    return l;
}

ExprPtr ExpressionParser::additive() {
    ExprPtr l = modulo();
    for (;;) {
        if (acceptOp("+"))
            l = binary(Op::Add, std::move(l), modulo());
        else if (acceptOp("-"))
            l = binary(Op::Sub, std::move(l), modulo());
        else
            return l;
    }
}

ExprPtr ExpressionParser::modulo() {
    ExprPtr l = intDiv();
    while (acceptWord("mod")) l = binary(Op::Mod, std::move(l), intDiv());
    return l;
}

ExprPtr ExpressionParser::intDiv() {
    ExprPtr l = multiplicative();
    while (acceptOp("\\")) l = binary(Op::IntDiv, std::move(l), multiplicative());
    return l;
}

ExprPtr ExpressionParser::multiplicative() {
    ExprPtr l = negation();
    for (;;) {
        if (acceptOp("*"))
            l = binary(Op::Mul, std::move(l), negation());
        else if (acceptOp("/"))
            l = binary(Op::Div, std::move(l), negation());
        else
            return l;
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
