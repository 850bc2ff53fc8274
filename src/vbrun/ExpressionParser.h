#pragma once

#include "vbrun/Ast.h"
#include "vbrun/TokenCursor.h"

namespace vbrun {

// Expressions, from Imp (the loosest) down to a name, literal, member or call:
// what the statement parser asks for wherever the language takes a value.
class ExpressionParser : protected TokenCursor {
  protected:
    using TokenCursor::TokenCursor;

    ExprPtr expression();
    // A name, member or call with its postfix parts: an assignment target or
    // the procedure of a call statement.
    ExprPtr postfix();
    // The operand of "Case Is <": binds tighter than the comparison itself.
    ExprPtr concat();
    ExprPtr nameExpr(const QString& name);
    // Arguments up to ')' (inParens) or the end of the statement; "Name:=" for
    // a named one, nothing between two commas for an omitted one.
    void argumentList(std::vector<Arg>& args, bool inParens);

  private:
    template <class Node>
    static ExprPtr exprOf(Node node) {
        return std::make_unique<Expr>(Expr{std::move(node)});
    }
    ExprPtr binary(Op op, ExprPtr l, ExprPtr r);
    // The operators of `level` and the tighter ones (see levels()).
    ExprPtr operand(std::size_t level);
    ExprPtr negation();
    ExprPtr power();
    ExprPtr member(ExprPtr object);
    ExprPtr primary();
};

}  // namespace vbrun
