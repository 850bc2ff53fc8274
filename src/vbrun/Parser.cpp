#include "vbrun/Parser.h"

#include <QSet>

#include "vbrun/Builtins.h"
#include "vbrun/Lexer.h"
#include "vbrun/Types.h"

namespace vbrun {

namespace {

// Words that can never name a variable; seen where an expression should start
// they are a syntax error rather than an implicit variable.
const QSet<QString>& reserved() {
    static const QSet<QString> s = {
        QStringLiteral("and"),    QStringLiteral("as"),    QStringLiteral("call"),
        QStringLiteral("case"),   QStringLiteral("const"), QStringLiteral("dim"),
        QStringLiteral("do"),     QStringLiteral("each"),  QStringLiteral("else"),
        QStringLiteral("elseif"), QStringLiteral("end"),   QStringLiteral("eqv"),
        QStringLiteral("exit"),   QStringLiteral("for"),   QStringLiteral("function"),
        QStringLiteral("goto"),   QStringLiteral("if"),    QStringLiteral("imp"),
        QStringLiteral("in"),     QStringLiteral("is"),    QStringLiteral("like"),
        QStringLiteral("loop"),   QStringLiteral("mod"),   QStringLiteral("new"),
        QStringLiteral("next"),   QStringLiteral("not"),   QStringLiteral("on"),
        QStringLiteral("or"),     QStringLiteral("redim"), QStringLiteral("select"),
        QStringLiteral("set"),    QStringLiteral("step"),  QStringLiteral("sub"),
        QStringLiteral("then"),   QStringLiteral("to"),    QStringLiteral("until"),
        QStringLiteral("wend"),   QStringLiteral("while"), QStringLiteral("with"),
        QStringLiteral("xor"),
    };
    return s;
}

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

class Parser {
  public:
    explicit Parser(std::vector<Token> toks) : t_(std::move(toks)) {}

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
    std::vector<Token> t_;
    size_t i_ = 0;
    int inlineIf_ = 0;
    QString procKey_;  // key of the procedure being parsed, "" at top level
    bool inFunction_ = false;

    const Token& cur() const { return t_[i_]; }
    const Token& peek(size_t k = 1) const { return t_[std::min(i_ + k, t_.size() - 1)]; }
    int line() const { return cur().line; }

    bool isWord(const Token& t, const char* w) const {
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
    QString ident(const char* what) {
        if (cur().kind != Tok::Ident || reserved().contains(lower(cur().text)))
            fail(QStringLiteral("Expected: %1").arg(QLatin1String(what)));
        return t_[i_++].text;
    }
    void skipEnds() {
        while (cur().kind == Tok::EndStmt) ++i_;
    }
    bool atStmtEnd() const {
        return cur().kind == Tok::EndStmt || cur().kind == Tok::End ||
               (inlineIf_ > 0 && isWord("else"));
    }
    void endOfStatement() {
        if (!atStmtEnd()) fail(QStringLiteral("Expected: end of statement"));
    }

    // ---- procedures ---------------------------------------------------------

    bool atProcedure() const {
        size_t k = 0;
        if (isWord(cur(), "public") || isWord(cur(), "private")) k = 1;
        return isWord(peek(k), "sub") || isWord(peek(k), "function");
    }

    std::unique_ptr<Procedure> procedure() {
        if (!procKey_.isNull() && !procKey_.isEmpty()) fail(QStringLiteral("Expected: End Sub"));
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
        procKey_ = p->key;
        inFunction_ = p->isFunction;
        p->body = block({p->isFunction ? "end function" : "end sub"});
        expectWord("end");
        ++i_;  // Sub / Function
        procKey_.clear();
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

    StmtPtr make(StmtKind k) {
        auto s = std::make_unique<Stmt>();
        s->kind = k;
        s->line = line();
        return s;
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
            s = make(StmtKind::End);
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
            fail(QStringLiteral("Expected: End %1").arg(procKey_.isEmpty() ? u"Sub" : u"Sub"));
        else
            s = simpleStatement();
        endOfStatement();
        return s;
    }

    bool atStmtEndAfter(size_t k) const {
        const Token& t = peek(k);
        return t.kind == Tok::EndStmt || t.kind == Tok::End || (inlineIf_ > 0 && isWord(t, "else"));
    }

    StmtPtr dim() {
        auto s = make(StmtKind::Dim);
        const QString w = lower(t_[i_++].text);
        s->redim = w == u"redim";
        s->isConst = w == u"const" || acceptWord("const");
        if (!s->isConst && !s->redim) acceptWord("dim");
        if (s->redim) s->preserve = acceptWord("preserve");
        do {
            Decl d;
            d.name = ident("identifier");
            d.key = lower(d.name);
            if (acceptOp("(")) {
                d.isArray = true;
                while (!isOp(")")) {
                    ExprPtr e = expression();
                    if (acceptWord("to")) {
                        if (e->kind != ExprKind::Literal ||
                            !(e->value == mapi::Variant::integer(0)))
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
                if (s->redim && d.bounds.empty()) fail(QStringLiteral("Expected: array bound"));
            } else if (s->redim) {
                fail(QStringLiteral("Expected: ("));
            }
            if (acceptWord("as")) d.type = typeName();
            if (s->isConst) {
                expectOp("=");
                d.init = expression();
            }
            s->decls.push_back(std::move(d));
        } while (acceptOp(","));
        return s;
    }

    StmtPtr assignment(bool isSet) {
        auto s = make(isSet ? StmtKind::Set : StmtKind::Let);
        if (isSet) ++i_;
        s->target = postfix();
        checkTarget(*s->target);
        expectOp("=");
        s->value = expression();
        return s;
    }

    void checkTarget(const Expr& e) {
        if (e.kind == ExprKind::Name || e.kind == ExprKind::Member || e.kind == ExprKind::Call)
            return;
        fail(QStringLiteral("Expected: variable or property"));
    }

    StmtPtr callStatement() {
        auto s = make(StmtKind::Call);
        ++i_;
        s->target = postfix();
        if (s->target->kind == ExprKind::Literal) fail(QStringLiteral("Expected: procedure name"));
        return s;
    }

    // "x = 1", "obj.Method a, b", "Foo", ".Update", "oMsgs(1).Delete"
    StmtPtr simpleStatement() {
        const int ln = line();
        if (cur().kind != Tok::Ident && !isOp(".")) fail(QStringLiteral("Syntax error"));
        ExprPtr target = postfix();
        if (target->kind == ExprKind::Literal) fail(QStringLiteral("Syntax error"));
        if (acceptOp("=")) {
            auto s = make(StmtKind::Let);
            s->line = ln;
            s->target = std::move(target);
            s->value = expression();
            return s;
        }
        auto s = make(StmtKind::Call);
        s->line = ln;
        if (atStmtEnd()) {
            s->target = std::move(target);
            return s;
        }
        // "Foo (1), 2": the parenthesised expression was the first argument.
        if (isOp(",") && target->kind == ExprKind::Call && target->parens &&
            target->args.size() == 1 && target->args[0].name.isEmpty()) {
            s->args.push_back(std::move(target->args[0]));
            s->target = std::move(target->callee);
            ++i_;
            argumentList(s->args, false);
            return s;
        }
        if (target->kind == ExprKind::Call && target->parens)
            fail(QStringLiteral("Expected: end of statement"));
        s->target = std::move(target);
        argumentList(s->args, false);
        return s;
    }

    StmtPtr printStatement(size_t keywordTokens) {
        auto s = make(StmtKind::Print);
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
            s->print.push_back(std::move(item));
        }
        return s;
    }

    StmtPtr ifStatement() {
        auto s = make(StmtKind::If);
        ++i_;
        s->conds.push_back(expression());
        expectWord("then");
        if (cur().kind == Tok::EndStmt && cur().text == u"\n") {
            s->blocks.push_back(block({"elseif", "else", "end if"}));
            for (;;) {
                if (acceptWord("elseif")) {
                    s->conds.push_back(expression());
                    expectWord("then");
                    endOfStatement();
                    s->blocks.push_back(block({"elseif", "else", "end if"}));
                } else if (acceptWord("else")) {
                    if (isWord("if")) fail(QStringLiteral("Expected: ElseIf"));
                    s->hasElse = true;
                    s->elseBlock = block({"end if"});
                } else {
                    break;
                }
            }
            expectWord("end");
            expectWord("if");
            endOfStatement();
            return s;
        }
        // Single-line If: statements separated by ':' up to the line break.
        if (cur().kind == Tok::EndStmt) ++i_;  // "If x Then: y"
        ++inlineIf_;
        s->blocks.push_back(inlineStatements());
        if (acceptWord("else")) {
            s->hasElse = true;
            s->elseBlock = inlineStatements();
        }
        --inlineIf_;
        if (cur().kind == Tok::EndStmt && cur().text == u":") ++i_;
        if (!(cur().kind == Tok::EndStmt || cur().kind == Tok::End))
            fail(QStringLiteral("Expected: end of statement"));
        return s;
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
            auto s = make(StmtKind::ForEach);
            s->line = ln;
            s->target = nameExpr(ident("variable"));
            expectWord("in");
            s->value = expression();
            endOfStatement();
            s->body = block({"next"});
            closeNext(*s->target);
            return s;
        }
        auto s = make(StmtKind::For);
        s->line = ln;
        s->target = nameExpr(ident("variable"));
        expectOp("=");
        s->value = expression();
        expectWord("to");
        s->to = expression();
        if (acceptWord("step")) s->step = expression();
        endOfStatement();
        s->body = block({"next"});
        closeNext(*s->target);
        return s;
    }

    void closeNext(const Expr& var) {
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
        auto s = make(StmtKind::While);
        ++i_;
        s->cond = expression();
        endOfStatement();
        s->body = block({"wend"});
        ++i_;
        endOfStatement();
        return s;
    }

    StmtPtr doStatement() {
        auto s = make(StmtKind::Do);
        ++i_;
        if (isWord("while") || isWord("until")) {
            s->until = isWord("until");
            ++i_;
            s->cond = expression();
        }
        endOfStatement();
        s->body = block({"loop"});
        ++i_;
        if (isWord("while") || isWord("until")) {
            if (s->cond) fail(QStringLiteral("Loop has a condition at both ends"));
            s->until = isWord("until");
            s->condAtEnd = true;
            ++i_;
            s->cond = expression();
        }
        endOfStatement();
        return s;
    }

    StmtPtr selectStatement() {
        auto s = make(StmtKind::Select);
        ++i_;
        expectWord("case");
        s->value = expression();
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
            s->cases.push_back(std::move(c));
        }
        expectWord("end");
        expectWord("select");
        endOfStatement();
        return s;
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
        auto s = make(StmtKind::With);
        ++i_;
        s->value = expression();
        endOfStatement();
        s->body = block({"end with"});
        i_ += 2;
        endOfStatement();
        return s;
    }

    StmtPtr exitStatement() {
        auto s = make(StmtKind::Exit);
        ++i_;
        if (acceptWord("for"))
            s->exit = ExitKind::For;
        else if (acceptWord("do"))
            s->exit = ExitKind::Do;
        else if (acceptWord("sub"))
            s->exit = ExitKind::Sub;
        else if (acceptWord("function")) {
            if (!inFunction_) fail(QStringLiteral("Exit Function not allowed in Sub"));
            s->exit = ExitKind::Function;
        } else
            fail(QStringLiteral("Expected: Do or For or Sub or Function"));
        if (s->exit == ExitKind::Sub && inFunction_)
            fail(QStringLiteral("Exit Sub not allowed in Function"));
        return s;
    }

    StmtPtr onError() {
        auto s = make(StmtKind::OnError);
        ++i_;
        if (!acceptWord("error")) fail(QStringLiteral("On ... GoTo is not supported"));
        if (acceptWord("resume")) {
            expectWord("next");
            s->resumeNext = true;
            return s;
        }
        expectWord("goto");
        if (cur().kind == Tok::Number && cur().text == u"0") {
            ++i_;
            return s;
        }
        fail(QStringLiteral("On Error GoTo a label is not supported"));
    }

    // ---- expressions --------------------------------------------------------

    ExprPtr makeExpr(ExprKind k) {
        auto e = std::make_unique<Expr>();
        e->kind = k;
        e->line = line();
        return e;
    }

    ExprPtr nameExpr(const QString& name) {
        auto e = makeExpr(ExprKind::Name);
        e->name = name;
        e->key = lower(name);
        return e;
    }

    ExprPtr binary(Op op, ExprPtr l, ExprPtr r) {
        auto e = makeExpr(ExprKind::Binary);
        e->op = op;
        e->lhs = std::move(l);
        e->rhs = std::move(r);
        return e;
    }

    ExprPtr expression() { return imp(); }

    ExprPtr imp() {
        ExprPtr l = eqv();
        while (acceptWord("imp")) l = binary(Op::Imp, std::move(l), eqv());
        return l;
    }
    ExprPtr eqv() {
        ExprPtr l = xorExpr();
        while (acceptWord("eqv")) l = binary(Op::Eqv, std::move(l), xorExpr());
        return l;
    }
    ExprPtr xorExpr() {
        ExprPtr l = orExpr();
        while (acceptWord("xor")) l = binary(Op::Xor, std::move(l), orExpr());
        return l;
    }
    ExprPtr orExpr() {
        ExprPtr l = andExpr();
        while (acceptWord("or")) l = binary(Op::Or, std::move(l), andExpr());
        return l;
    }
    ExprPtr andExpr() {
        ExprPtr l = notExpr();
        while (acceptWord("and")) l = binary(Op::And, std::move(l), notExpr());
        return l;
    }
    ExprPtr notExpr() {
        if (acceptWord("not")) {
            auto e = makeExpr(ExprKind::Unary);
            e->op = Op::Not;
            e->lhs = notExpr();
            return e;
        }
        return compare();
    }
    ExprPtr compare() {
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
    ExprPtr concat() {
        ExprPtr l = additive();
        while (acceptOp("&")) l = binary(Op::Cat, std::move(l), additive());
        return l;
    }
    ExprPtr additive() {
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
    ExprPtr modulo() {
        ExprPtr l = intDiv();
        while (acceptWord("mod")) l = binary(Op::Mod, std::move(l), intDiv());
        return l;
    }
    ExprPtr intDiv() {
        ExprPtr l = multiplicative();
        while (acceptOp("\\")) l = binary(Op::IntDiv, std::move(l), multiplicative());
        return l;
    }
    ExprPtr multiplicative() {
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
    ExprPtr negation() {
        if (acceptOp("-")) {
            auto e = makeExpr(ExprKind::Unary);
            e->op = Op::Neg;
            e->lhs = negation();
            return e;
        }
        if (acceptOp("+")) return negation();
        return power();
    }
    ExprPtr power() {
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

    ExprPtr postfix() {
        ExprPtr e = primary();
        for (;;) {
            if (isOp(".") && !cur().spaceBefore) {
                ++i_;
                e = member(std::move(e));
            } else if (isOp("(") && (e->kind != ExprKind::Literal)) {
                ++i_;
                auto c = makeExpr(ExprKind::Call);
                c->callee = std::move(e);
                c->parens = true;
                argumentList(c->args, true);
                expectOp(")");
                e = std::move(c);
            } else {
                return e;
            }
        }
    }

    ExprPtr member(ExprPtr object) {
        if (cur().kind != Tok::Ident) fail(QStringLiteral("Expected: identifier"));
        auto m = makeExpr(ExprKind::Member);
        m->object = std::move(object);
        m->name = t_[i_++].text;
        m->key = lower(m->name);
        return m;
    }

    // Arguments up to ')' (inParens) or the end of the statement; "Name:=" for
    // a named one, nothing between two commas for an omitted one.
    void argumentList(std::vector<Arg>& args, bool inParens) {
        auto atEnd = [&] { return inParens ? isOp(")") : atStmtEnd(); };
        if (atEnd()) return;
        for (;;) {
            Arg a;
            if (cur().kind == Tok::Ident && peek().kind == Tok::Op && peek().text == u":=") {
                a.name = lower(cur().text);
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

    ExprPtr primary() {
        const Token& t = cur();
        if (t.kind == Tok::Number || t.kind == Tok::String) {
            auto e = makeExpr(ExprKind::Literal);
            e->value = t.value;
            ++i_;
            return e;
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
            const QString k = lower(t.text);
            if (k == u"true" || k == u"false") {
                auto e = makeExpr(ExprKind::Literal);
                e->value = mapi::Variant(k == u"true");
                ++i_;
                return e;
            }
            if (k == u"null" || k == u"empty") {
                auto e = makeExpr(ExprKind::Literal);
                e->value = k == u"null" ? mapi::Variant::null() : mapi::Variant();
                ++i_;
                return e;
            }
            if (k == u"nothing") {
                auto e = makeExpr(ExprKind::Literal);
                e->value = mapi::Variant(std::shared_ptr<mapi::Object>());
                ++i_;
                return e;
            }
            if (k == u"new") fail(QStringLiteral("New is not supported"));
            if (reserved().contains(k)) fail(QStringLiteral("Expected: expression"));
            ++i_;
            return nameExpr(t_[i_ - 1].text);
        }
        if (t.kind == Tok::EndStmt || t.kind == Tok::End)
            fail(QStringLiteral("Expected: expression"));
        fail(QStringLiteral("Expected: expression"));
    }
};

// A name called with arguments that is no variable, procedure or built-in
// function cannot run; VB finds this before running, and so do we.
class Resolver {
  public:
    Resolver(const Program& p, const QSet<QString>& known) : p_(p), vars_(known) {
        for (const auto& proc : p.procedures) procs_.insert(proc->key);
        collect(p.main);
        for (const auto& proc : p.procedures) {
            for (const auto& prm : proc->params) vars_.insert(prm.key);
            collect(proc->body);
        }
    }

    void check() {
        checkBlock(p_.main);
        for (const auto& proc : p_.procedures) checkBlock(proc->body);
    }

  private:
    const Program& p_;
    QSet<QString> procs_;
    QSet<QString> vars_;

    void collectTarget(const Expr* e) {
        if (!e) return;
        if (e->kind == ExprKind::Name) vars_.insert(e->key);
        if (e->kind == ExprKind::Call && e->callee->kind == ExprKind::Name)
            vars_.insert(e->callee->key);
    }

    void collect(const Block& b) {
        for (const auto& s : b) {
            if (s->kind == StmtKind::Let || s->kind == StmtKind::Set || s->kind == StmtKind::For ||
                s->kind == StmtKind::ForEach)
                collectTarget(s->target.get());
            for (const Decl& d : s->decls) vars_.insert(d.key);
            for (const Block& bb : s->blocks) collect(bb);
            collect(s->elseBlock);
            collect(s->body);
            for (const auto& c : s->cases) collect(c.body);
        }
    }

    bool known(const QString& key) const {
        return vars_.contains(key) || procs_.contains(key) || isBuiltin(key);
    }

    void checkExpr(const Expr* e) {
        if (!e) return;
        switch (e->kind) {
            case ExprKind::Call:
                if (e->callee->kind == ExprKind::Name && !known(e->callee->key))
                    throw CompileError(
                        e->line,
                        QStringLiteral("Sub or Function not defined: %1").arg(e->callee->name));
                if (e->callee->kind != ExprKind::Name) checkExpr(e->callee.get());
                for (const Arg& a : e->args) checkExpr(a.value.get());
                break;
            case ExprKind::Member:
                checkExpr(e->object.get());
                break;
            case ExprKind::Unary:
            case ExprKind::Binary:
                checkExpr(e->lhs.get());
                checkExpr(e->rhs.get());
                break;
            default:
                break;
        }
    }

    void checkBlock(const Block& b) {
        for (const auto& s : b) {
            if (s->kind == StmtKind::Call && s->target->kind == ExprKind::Name &&
                !procs_.contains(s->target->key) && !isBuiltin(s->target->key))
                throw CompileError(
                    s->line,
                    QStringLiteral("Sub or Function not defined: %1").arg(s->target->name));
            checkExpr(s->target.get());
            checkExpr(s->value.get());
            checkExpr(s->to.get());
            checkExpr(s->step.get());
            checkExpr(s->cond.get());
            for (const Arg& a : s->args) checkExpr(a.value.get());
            for (const auto& c : s->conds) checkExpr(c.get());
            for (const auto& it : s->print) checkExpr(it.value.get());
            for (const Decl& d : s->decls) {
                checkExpr(d.init.get());
                for (const auto& bd : d.bounds) checkExpr(bd.get());
            }
            for (const Block& bb : s->blocks) checkBlock(bb);
            checkBlock(s->elseBlock);
            checkBlock(s->body);
            for (const auto& c : s->cases) {
                for (const auto& t : c.tests) {
                    checkExpr(t.lo.get());
                    checkExpr(t.hi.get());
                }
                checkBlock(c.body);
            }
        }
    }
};

}  // namespace

Program parse(const QString& source, const QSet<QString>& knownVariables) {
    Program p = Parser(tokenize(source)).program();
    Resolver(p, knownVariables).check();
    return p;
}

}  // namespace vbrun
