#include "vbrun/Parser.h"

#include <QSet>

#include "vbrun/ExpressionParser.h"
#include "vbrun/Lexer.h"
#include "vbrun/Resolver.h"
#include "vbrun/Types.h"

namespace vbrun {

namespace {

// Statements of the full language this interpreter does not run.
const QSet<QString>& unsupported() {
    static const QSet<QString> s = {
        QStringLiteral("goto"),       QStringLiteral("gosub"),  QStringLiteral("return"),
        QStringLiteral("resume"),     QStringLiteral("open"),   QStringLiteral("close"),
        QStringLiteral("print"),      QStringLiteral("input"),  QStringLiteral("line"),
        QStringLiteral("get"),        QStringLiteral("put"),    QStringLiteral("option"),
        QStringLiteral("type"),       QStringLiteral("enum"),   QStringLiteral("property"),
        QStringLiteral("declare"),    QStringLiteral("static"), QStringLiteral("stop"),
        QStringLiteral("erase"),      QStringLiteral("event"),  QStringLiteral("raiseevent"),
        QStringLiteral("implements"), QStringLiteral("friend"), QStringLiteral("randomize"),
        QStringLiteral("write"),      QStringLiteral("seek"),   QStringLiteral("lock"),
        QStringLiteral("unlock"),     QStringLiteral("lset"),   QStringLiteral("rset"),
    };
    return s;
}

QString lower(const QString& s) {
    return s.toLower();
}

// Procedures, blocks and statements; expressions come from the base class.
class Parser : ExpressionParser {
  public:
    explicit Parser(std::vector<Token> toks) : ExpressionParser(std::move(toks)) {}

    Program program() {
        Program p;
        for (;;) {
            skipEnds();
            if (cur().kind == Tok::End) break;
            if (atProcedure()) {
                p.procedures.push_back(procedure());
                continue;
            }
            p.main.push_back(statement());
        }
        return p;
    }

  private:
    bool inFunction_ = false;  // parsing the body of a Function

    // ---- procedures ---------------------------------------------------------

    bool atProcedure() const {
        size_t k = 0;
        if (isWord(cur(), "public") || isWord(cur(), "private")) k = 1;
        return isWord(peek(k), "sub") || isWord(peek(k), "function");
    }

    std::unique_ptr<Procedure> procedure() {
        acceptWord("public") || acceptWord("private");
        auto p = std::make_unique<Procedure>();
        p->line = line();
        p->isFunction = isWord("function");
        ++i_;
        p->name = ident("identifier");
        p->key = lower(p->name);
        if (acceptOp("(")) {
            while (!isOp(")")) {
                Param prm;
                prm.optional = acceptWord("optional");
                if (acceptWord("byval"))
                    prm.byVal = true;
                else
                    acceptWord("byref");
                prm.name = ident("identifier");
                prm.key = lower(prm.name);
                if (acceptOp("(")) expectOp(")");
                if (acceptWord("as")) typeName();
                if (acceptOp("=")) prm.defaultValue = expression();
                p->params.push_back(std::move(prm));
                if (!acceptOp(",")) break;
            }
            expectOp(")");
        }
        if (p->isFunction && acceptWord("as")) typeName();
        endOfStatement();
        inFunction_ = p->isFunction;
        p->body = block({p->isFunction ? "end function" : "end sub"});
        expectWord("end");
        ++i_;  // Sub / Function
        inFunction_ = false;
        return p;
    }

    QString typeName() {
        if (acceptWord("new")) fail(QStringLiteral("New is not supported"));
        QString name = ident("type name");
        while (acceptOp(".")) name += u'.' + t_[i_++].text;
        if (!typeFromName(name))
            fail(QStringLiteral("User-defined type not defined: %1").arg(name));
        return lower(name);
    }

    // ---- blocks -------------------------------------------------------------

    // True when the statement at the cursor is one of `ends` ("end if",
    // "next", "else" ...); the cursor stays put.
    bool atAny(std::initializer_list<const char*> ends) const {
        for (const char* e : ends) {
            const QString s = QLatin1String(e);
            const int sp = static_cast<int>(s.indexOf(u' '));
            if (sp < 0) {
                if (isWord(cur(), e)) return true;
            } else if (isWord(cur(), s.left(sp).toLatin1().constData()) &&
                       isWord(peek(), s.mid(sp + 1).toLatin1().constData())) {
                return true;
            }
        }
        return false;
    }

    // "If without End If" and the like, for a block the text never closes.
    static QString unclosed(const char* firstEnd) {
        static const std::pair<const char*, const char*> names[] = {
            {"elseif", "If without End If"},
            {"end if", "If without End If"},
            {"next", "For without Next"},
            {"wend", "While without Wend"},
            {"loop", "Do without Loop"},
            {"case", "Select Case without End Select"},
            {"end with", "With without End With"},
            {"end sub", "Sub without End Sub"},
            {"end function", "Function without End Function"},
        };
        for (const auto& [end, text] : names)
            if (qstrcmp(end, firstEnd) == 0) return QString::fromLatin1(text);
        return QStringLiteral("Block not closed");
    }

    Block block(std::initializer_list<const char*> ends) {
        Block b;
        const int start = line();
        for (;;) {
            skipEnds();
            if (cur().kind == Tok::End) throw CompileError(start, unclosed(*ends.begin()));
            if (atAny(ends)) return b;
            // A closer of an outer block: this one was never closed.
            if (atAny({"end if", "end with", "end select", "end sub", "end function", "next",
                       "wend", "loop", "else", "elseif", "case"}))
                throw CompileError(start, unclosed(*ends.begin()));
            if (atProcedure())
                fail(QStringLiteral("Expected: %1").arg(QLatin1String(*ends.begin())));
            b.push_back(statement());
        }
    }

    // ---- statements ---------------------------------------------------------

    template <class Node>
    static StmtPtr stmtAt(int line, Node node) {
        return std::make_unique<Stmt>(Stmt{line, std::move(node)});
    }

    StmtPtr statement() {
        const QString w = cur().kind == Tok::Ident ? lower(cur().text) : QString();
        StmtPtr s;
        if (w == u"dim" || w == u"redim" || w == u"const" ||
            ((w == u"public" || w == u"private") && !atProcedure()))
            s = dim();
        else if (w == u"set")
            s = assignment(true);
        else if (w == u"let") {
            ++i_;
            s = assignment(false);
        } else if (w == u"call")
            s = callStatement();
        else if (w == u"if")
            return ifStatement();
        else if (w == u"for")
            return forStatement();
        else if (w == u"while")
            return whileStatement();
        else if (w == u"do")
            return doStatement();
        else if (w == u"select")
            return selectStatement();
        else if (w == u"with")
            return withStatement();
        else if (w == u"exit")
            s = exitStatement();
        else if (w == u"on")
            s = onError();
        else if (w == u"end" && atStmtEndAfter(1)) {
            s = stmtAt(line(), stmt::End{});
            ++i_;
        } else if (w == u"debug" && peek().kind == Tok::Op && peek().text == u"." &&
                   isWord(peek(2), "print"))
            s = printStatement(3);
        else if (isOp("?"))  // the Immediate window's short form of Debug.Print
            s = printStatement(1);
        else if (unsupported().contains(w))
            fail(QStringLiteral("%1 is not supported").arg(cur().text));
        else if (w == u"else" || w == u"elseif")
            fail(QStringLiteral("%1 without If").arg(cur().text));
        else if (w == u"next")
            fail(QStringLiteral("Next without For"));
        else if (w == u"wend")
            fail(QStringLiteral("Wend without While"));
        else if (w == u"loop")
            fail(QStringLiteral("Loop without Do"));
        else if (w == u"case")
            fail(QStringLiteral("Case without Select Case"));
        else if (w == u"end")
            fail(QStringLiteral("End %1 without block").arg(peek().text));
        else if (w == u"sub" || w == u"function")
            // Only a single-line If gets here: a block stops at a procedure.
            fail(QStringLiteral("Expected: End %1").arg(inFunction_ ? u"Function" : u"Sub"));
        else
            s = simpleStatement();
        endOfStatement();
        return s;
    }

    StmtPtr dim() {
        const int ln = line();
        stmt::Dim s;
        const QString w = lower(t_[i_++].text);
        s.redim = w == u"redim";
        s.isConst = w == u"const" || acceptWord("const");
        if (!s.isConst && !s.redim) acceptWord("dim");
        if (s.redim) s.preserve = acceptWord("preserve");
        do {
            Decl d;
            d.name = ident("identifier");
            d.key = lower(d.name);
            if (acceptOp("(")) {
                d.isArray = true;
                while (!isOp(")")) {
                    ExprPtr e = expression();
                    if (acceptWord("to")) {
                        const auto* lowest = e->as<expr::Literal>();
                        if (!lowest || !(lowest->value == mapi::Variant::integer(0)))
                            fail(QStringLiteral(
                                "Array lower bounds other than 0 are not supported"));
                        e = expression();
                    }
                    d.bounds.push_back(std::move(e));
                    if (!acceptOp(",")) break;
                }
                expectOp(")");
                if (d.bounds.size() > 1)
                    fail(QStringLiteral("Arrays of more than one dimension are not supported"));
                if (s.redim && d.bounds.empty()) fail(QStringLiteral("Expected: array bound"));
            } else if (s.redim) {
                fail(QStringLiteral("Expected: ("));
            }
            if (acceptWord("as")) d.type = typeName();
            if (s.isConst) {
                expectOp("=");
                d.init = expression();
            }
            s.decls.push_back(std::move(d));
        } while (acceptOp(","));
        return stmtAt(ln, std::move(s));
    }

    StmtPtr assignment(bool isSet) {
        const int ln = line();
        if (isSet) ++i_;
        ExprPtr target = postfix();
        checkTarget(*target);
        expectOp("=");
        ExprPtr value = expression();
        if (isSet) return stmtAt(ln, stmt::Set{std::move(target), std::move(value)});
        return stmtAt(ln, stmt::Let{std::move(target), std::move(value)});
    }

    void checkTarget(const Expr& e) {
        if (e.is<expr::Name>() || e.is<expr::Member>() || e.is<expr::Call>()) return;
        fail(QStringLiteral("Expected: variable or property"));
    }

    StmtPtr callStatement() {
        const int ln = line();
        ++i_;
        ExprPtr target = postfix();
        if (target->is<expr::Literal>()) fail(QStringLiteral("Expected: procedure name"));
        return stmtAt(ln, stmt::Call{std::move(target), {}});
    }

    // "x = 1", "obj.Method a, b", "Foo", ".Update", "oMsgs(1).Delete"
    StmtPtr simpleStatement() {
        const int ln = line();
        if (cur().kind != Tok::Ident && !isOp(".")) fail(QStringLiteral("Syntax error"));
        ExprPtr target = postfix();
        if (target->is<expr::Literal>()) fail(QStringLiteral("Syntax error"));
        if (acceptOp("=")) {
            ExprPtr value = expression();
            return stmtAt(ln, stmt::Let{std::move(target), std::move(value)});
        }
        stmt::Call s;
        if (atStmtEnd()) {
            s.target = std::move(target);
            return stmtAt(ln, std::move(s));
        }
        // "Foo (1), 2": the parenthesised expression was the first argument.
        auto* call = target->as<expr::Call>();
        if (isOp(",") && call && call->args.size() == 1 && call->args[0].name.isEmpty()) {
            s.args.push_back(std::move(call->args[0]));
            s.target = std::move(call->callee);
            ++i_;
            argumentList(s.args, false);
            return stmtAt(ln, std::move(s));
        }
        if (call) fail(QStringLiteral("Expected: end of statement"));
        s.target = std::move(target);
        argumentList(s.args, false);
        return stmtAt(ln, std::move(s));
    }

    StmtPtr printStatement(size_t keywordTokens) {
        const int ln = line();
        stmt::Print s;
        i_ += keywordTokens;
        while (!atStmtEnd()) {
            PrintItem item;
            if (!isOp(",") && !isOp(";")) item.value = expression();
            if (acceptOp(","))
                item.sep = u',';
            else if (acceptOp(";"))
                item.sep = u';';
            else if (!atStmtEnd())
                fail(QStringLiteral("Expected: end of statement"));
            s.items.push_back(std::move(item));
        }
        return stmtAt(ln, std::move(s));
    }

    StmtPtr ifStatement() {
        const int ln = line();
        stmt::If s;
        ++i_;
        s.conds.push_back(expression());
        expectWord("then");
        if (cur().kind == Tok::EndStmt && cur().text == u"\n") {
            s.blocks.push_back(block({"elseif", "else", "end if"}));
            for (;;) {
                if (acceptWord("elseif")) {
                    s.conds.push_back(expression());
                    expectWord("then");
                    endOfStatement();
                    s.blocks.push_back(block({"elseif", "else", "end if"}));
                } else if (acceptWord("else")) {
                    if (isWord("if")) fail(QStringLiteral("Expected: ElseIf"));
                    s.elseBlock = block({"end if"});
                } else {
                    break;
                }
            }
            expectWord("end");
            expectWord("if");
            endOfStatement();
            return stmtAt(ln, std::move(s));
        }
        // Single-line If: statements separated by ':' up to the line break.
        if (cur().kind == Tok::EndStmt) ++i_;  // "If x Then: y"
        ++inlineIf_;
        s.blocks.push_back(inlineStatements());
        if (acceptWord("else")) s.elseBlock = inlineStatements();
        --inlineIf_;
        if (cur().kind == Tok::EndStmt && cur().text == u":") ++i_;
        if (!(cur().kind == Tok::EndStmt || cur().kind == Tok::End))
            fail(QStringLiteral("Expected: end of statement"));
        return stmtAt(ln, std::move(s));
    }

    Block inlineStatements() {
        Block b;
        for (;;) {
            if (cur().kind == Tok::End || (cur().kind == Tok::EndStmt && cur().text == u"\n") ||
                isWord("else"))
                return b;
            if (isWord("if") || isWord("for") || isWord("while") || isWord("do") ||
                isWord("select") || isWord("with"))
                fail(QStringLiteral("Block statements are not allowed in a single-line If"));
            b.push_back(statement());
            if (cur().kind == Tok::EndStmt && cur().text == u":") ++i_;
        }
    }

    StmtPtr forStatement() {
        const int ln = line();
        ++i_;
        if (acceptWord("each")) {
            stmt::ForEach s;
            s.var = nameExpr(ident("variable"));
            expectWord("in");
            s.collection = expression();
            endOfStatement();
            s.body = block({"next"});
            closeNext(*s.var->as<expr::Name>());
            return stmtAt(ln, std::move(s));
        }
        stmt::For s;
        s.var = nameExpr(ident("variable"));
        expectOp("=");
        s.from = expression();
        expectWord("to");
        s.to = expression();
        if (acceptWord("step")) s.step = expression();
        endOfStatement();
        s.body = block({"next"});
        closeNext(*s.var->as<expr::Name>());
        return stmtAt(ln, std::move(s));
    }

    void closeNext(const expr::Name& var) {
        expectWord("next");
        if (cur().kind == Tok::Ident && !atStmtEnd()) {
            const QString n = ident("variable");
            if (lower(n) != var.key)
                fail(QStringLiteral("Invalid Next control variable reference"));
            // "Next j, i" closes two loops at once: leave the rest for the outer For.
            if (isOp(",")) {
                t_[i_] = Token{Tok::Ident, QStringLiteral("Next"), {}, line(), true};
                return;
            }
        }
        endOfStatement();
    }

    StmtPtr whileStatement() {
        const int ln = line();
        stmt::While s;
        ++i_;
        s.cond = expression();
        endOfStatement();
        s.body = block({"wend"});
        ++i_;
        endOfStatement();
        return stmtAt(ln, std::move(s));
    }

    StmtPtr doStatement() {
        const int ln = line();
        stmt::Do s;
        ++i_;
        if (isWord("while") || isWord("until")) {
            s.until = isWord("until");
            ++i_;
            s.cond = expression();
        }
        endOfStatement();
        s.body = block({"loop"});
        ++i_;
        if (isWord("while") || isWord("until")) {
            if (s.cond) fail(QStringLiteral("Loop has a condition at both ends"));
            s.until = isWord("until");
            s.condAtEnd = true;
            ++i_;
            s.cond = expression();
        }
        endOfStatement();
        return stmtAt(ln, std::move(s));
    }

    StmtPtr selectStatement() {
        const int ln = line();
        stmt::Select s;
        ++i_;
        expectWord("case");
        s.value = expression();
        endOfStatement();
        skipEnds();
        while (acceptWord("case")) {
            CaseClause c;
            if (!acceptWord("else")) {
                do {
                    CaseClause::Test t;
                    if (acceptWord("is")) {
                        t.op = comparisonOp();
                        t.lo = concat();
                    } else {
                        t.lo = expression();
                        if (acceptWord("to")) {
                            t.range = true;
                            t.hi = expression();
                        }
                    }
                    c.tests.push_back(std::move(t));
                } while (acceptOp(","));
            }
            if (cur().kind == Tok::EndStmt) ++i_;
            c.body = block({"case", "end select"});
            s.cases.push_back(std::move(c));
        }
        expectWord("end");
        expectWord("select");
        endOfStatement();
        return stmtAt(ln, std::move(s));
    }

    Op comparisonOp() {
        static const std::pair<const char*, Op> ops[] = {{"=", Op::Eq}, {"<>", Op::Ne},
                                                         {"<", Op::Lt}, {"<=", Op::Le},
                                                         {">", Op::Gt}, {">=", Op::Ge}};
        for (const auto& [text, op] : ops)
            if (acceptOp(text)) return op;
        fail(QStringLiteral("Expected: comparison operator"));
    }

    StmtPtr withStatement() {
        const int ln = line();
        stmt::With s;
        ++i_;
        s.object = expression();
        endOfStatement();
        s.body = block({"end with"});
        i_ += 2;
        endOfStatement();
        return stmtAt(ln, std::move(s));
    }

    StmtPtr exitStatement() {
        const int ln = line();
        stmt::Exit s;
        ++i_;
        if (acceptWord("for"))
            s.kind = ExitKind::For;
        else if (acceptWord("do"))
            s.kind = ExitKind::Do;
        else if (acceptWord("sub"))
            s.kind = ExitKind::Sub;
        else if (acceptWord("function")) {
            if (!inFunction_) fail(QStringLiteral("Exit Function not allowed in Sub"));
            s.kind = ExitKind::Function;
        } else
            fail(QStringLiteral("Expected: Do or For or Sub or Function"));
        if (s.kind == ExitKind::Sub && inFunction_)
            fail(QStringLiteral("Exit Sub not allowed in Function"));
        return stmtAt(ln, s);
    }

    StmtPtr onError() {
        const int ln = line();
        ++i_;
        if (!acceptWord("error")) fail(QStringLiteral("On ... GoTo is not supported"));
        if (acceptWord("resume")) {
            expectWord("next");
            return stmtAt(ln, stmt::OnError{true});
        }
        expectWord("goto");
        if (cur().kind == Tok::Number && cur().text == u"0") {
            ++i_;
            return stmtAt(ln, stmt::OnError{false});
        }
        fail(QStringLiteral("On Error GoTo a label is not supported"));
    }
};

}  // namespace

Program parse(const QString& source, const QSet<QString>& knownVariables) {
    Program p = Parser(tokenize(source)).program();
    resolveNames(p, knownVariables);
    return p;
}

}  // namespace vbrun
