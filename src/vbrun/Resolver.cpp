#include "vbrun/Resolver.h"

#include "vbrun/Builtins.h"

namespace vbrun {

namespace {

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

    // A name assigned anywhere is a variable everywhere: "x(1)" may then index it.
    void collectTarget(const Expr& e) {
        if (const auto* name = e.as<expr::Name>()) vars_.insert(name->key);
        if (const auto* call = e.as<expr::Call>())
            if (const auto* callee = call->callee->as<expr::Name>()) vars_.insert(callee->key);
    }

    void collect(const Block& b) {
        for (const auto& s : b) {
            const Overloaded visitor{
                [&](const stmt::Let& n) { collectTarget(*n.target); },
                [&](const stmt::Set& n) { collectTarget(*n.target); },
                [&](const stmt::For& n) {
                    collectTarget(*n.var);
                    collect(n.body);
                },
                [&](const stmt::ForEach& n) {
                    collectTarget(*n.var);
                    collect(n.body);
                },
                [&](const stmt::Dim& n) {
                    for (const Decl& d : n.decls) vars_.insert(d.key);
                },
                [&](const stmt::If& n) {
                    for (const Block& bb : n.blocks) collect(bb);
                    collect(n.elseBlock);
                },
                [&](const stmt::While& n) { collect(n.body); },
                [&](const stmt::Do& n) { collect(n.body); },
                [&](const stmt::With& n) { collect(n.body); },
                [&](const stmt::Select& n) {
                    for (const auto& c : n.cases) collect(c.body);
                },
                [](const auto&) {},  // declares nothing, holds no block
            };
            std::visit(visitor, s->node);
        }
    }

    bool known(const QString& key) const {
        return vars_.contains(key) || procs_.contains(key) || isBuiltin(key);
    }

    void checkExpr(const Expr* e) {
        if (!e) return;
        const Overloaded visitor{
            [&](const expr::Call& n) {
                const auto* callee = n.callee->as<expr::Name>();
                if (callee && !known(callee->key))
                    throw CompileError(
                        n.line,
                        QStringLiteral("Sub or Function not defined: %1").arg(callee->name));
                if (!callee) checkExpr(n.callee.get());
                for (const Arg& a : n.args) checkExpr(a.value.get());
            },
            [&](const expr::Member& n) { checkExpr(n.object.get()); },
            [&](const expr::Unary& n) { checkExpr(n.operand.get()); },
            [&](const expr::Binary& n) {
                checkExpr(n.lhs.get());
                checkExpr(n.rhs.get());
            },
            [](const expr::Literal&) {},
            [](const expr::Name&) {},
        };
        std::visit(visitor, e->node);
    }

    void checkArgs(const std::vector<Arg>& args) {
        for (const Arg& a : args) checkExpr(a.value.get());
    }

    // Statement by statement in source order, so the first fault reported is
    // the first one written.
    void checkBlock(const Block& b) {
        for (const auto& s : b) {
            const Overloaded visitor{
                [&](const stmt::Let& n) {
                    checkExpr(n.target.get());
                    checkExpr(n.value.get());
                },
                [&](const stmt::Set& n) {
                    checkExpr(n.target.get());
                    checkExpr(n.value.get());
                },
                [&](const stmt::Call& n) {
                    // A statement call is never an index: variables do not count here.
                    const auto* name = n.target->as<expr::Name>();
                    if (name && !procs_.contains(name->key) && !isBuiltin(name->key))
                        throw CompileError(
                            s->line,
                            QStringLiteral("Sub or Function not defined: %1").arg(name->name));
                    checkExpr(n.target.get());
                    checkArgs(n.args);
                },
                [&](const stmt::Print& n) {
                    for (const auto& it : n.items) checkExpr(it.value.get());
                },
                [&](const stmt::If& n) {
                    for (const auto& c : n.conds) checkExpr(c.get());
                    for (const Block& bb : n.blocks) checkBlock(bb);
                    checkBlock(n.elseBlock);
                },
                [&](const stmt::For& n) {
                    checkExpr(n.var.get());
                    checkExpr(n.from.get());
                    checkExpr(n.to.get());
                    checkExpr(n.step.get());
                    checkBlock(n.body);
                },
                [&](const stmt::ForEach& n) {
                    checkExpr(n.var.get());
                    checkExpr(n.collection.get());
                    checkBlock(n.body);
                },
                [&](const stmt::While& n) {
                    checkExpr(n.cond.get());
                    checkBlock(n.body);
                },
                [&](const stmt::Do& n) {
                    checkExpr(n.cond.get());
                    checkBlock(n.body);
                },
                [&](const stmt::Select& n) {
                    checkExpr(n.value.get());
                    for (const auto& c : n.cases) {
                        for (const auto& t : c.tests) {
                            checkExpr(t.lo.get());
                            checkExpr(t.hi.get());
                        }
                        checkBlock(c.body);
                    }
                },
                [&](const stmt::With& n) {
                    checkExpr(n.object.get());
                    checkBlock(n.body);
                },
                [&](const stmt::Dim& n) {
                    for (const Decl& d : n.decls) {
                        checkExpr(d.init.get());
                        for (const auto& bd : d.bounds) checkExpr(bd.get());
                    }
                },
                [](const stmt::Exit&) {},
                [](const stmt::OnError&) {},
                [](const stmt::End&) {},
            };
            std::visit(visitor, s->node);
        }
    }
};

}  // namespace

void resolveNames(const Program& program, const QSet<QString>& knownVariables) {
    Resolver(program, knownVariables).check();
}

}  // namespace vbrun
