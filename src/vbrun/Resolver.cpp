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

void resolveNames(const Program& program, const QSet<QString>& knownVariables) {
    Resolver(program, knownVariables).check();
}

}  // namespace vbrun
