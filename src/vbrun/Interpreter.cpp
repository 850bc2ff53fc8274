#include "vbrun/Interpreter.h"

#include "messaging/Error.h"
#include "vbrun/Builtins.h"
#include "vbrun/Values.h"

namespace vbrun {

using mapi::Variant;

namespace {

constexpr int kPrintZone = 14;
constexpr size_t kMaxDepth = 2000;

bool isArray(const Variant& v) {
    return isObject(v) && dynamic_cast<ArrayObject*>(v.asObject().get()) != nullptr;
}

}  // namespace

// Enters a procedure's frame and leaves it on every way out.
class Interpreter::FramePush {
  public:
    FramePush(Interpreter& in, const Procedure* p) : in_(in) {
        if (in.frames_.size() >= kMaxDepth) raise(err::OutOfStack);
        in.frames_.push_back(std::make_unique<Frame>());
        in.frames_.back()->proc = p;
    }
    ~FramePush() { in_.frames_.pop_back(); }

  private:
    Interpreter& in_;
};

Interpreter::Interpreter(Host& host) : host_(host), err_(std::make_shared<ErrObject>()) {
    frames_.push_back(std::make_unique<Frame>());
}

Interpreter::~Interpreter() = default;

void Interpreter::bind(const QString& name, const Variant& value) {
    findOrCreate(name.toLower())->v = value;
}

Variant Interpreter::value(const QString& name) const {
    const auto it = frames_.front()->vars.constFind(name.toLower());
    return it == frames_.front()->vars.constEnd() ? Variant() : (*it)->v;
}

QSet<QString> Interpreter::variableNames() const {
    QSet<QString> names;
    for (auto it = frames_.front()->vars.constBegin(); it != frames_.front()->vars.constEnd(); ++it)
        names.insert(it.key());
    return names;
}

void Interpreter::poll() {
    if ((++polls_ & 255) == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastIdle_ >= std::chrono::milliseconds(20)) {
            lastIdle_ = now;
            host_.idle();
        }
    }
    if (cancel_ && cancel_->load(std::memory_order_relaxed)) raise(err::Interrupted);
}

std::optional<RunError> Interpreter::run(const Program& program) {
    for (const auto& p : program.procedures) procs_.insert(p->key, p.get());
    frames_.resize(1);
    globals().resumeNext = false;
    globals().with.clear();
    pending_.clear();
    lastIdle_ = std::chrono::steady_clock::now();
    std::optional<RunError> failure;
    try {
        execBlock(program.main);
    } catch (const mapi::Error& e) {
        failure = RunError{line_, e.number(), e.description()};
    }
    frames_.resize(1);
    if (!pending_.isEmpty()) {
        host_.print(pending_);
        pending_.clear();
    }
    return failure;
}

// ---- statements ---------------------------------------------------------------

Interpreter::Flow Interpreter::execBlock(const Block& b) {
    for (const StmtPtr& s : b) {
        poll();
        line_ = s->line;
        Flow f = Flow::Next;
        try {
            f = exec(*s);
        } catch (const mapi::Error& e) {
            if (e.number() == err::Interrupted || !frame().resumeNext) throw;
            err_->number = e.number();
            err_->description = e.description();
            continue;
        }
        if (f != Flow::Next) return f;
    }
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec(const Stmt& s) {
    const int line = s.line;
    const Overloaded visitor{
        [&](const stmt::Let& n) {
            assign(*n.target, eval(*n.value), false);
            return Flow::Next;
        },
        [&](const stmt::Set& n) {
            assign(*n.target, eval(*n.value), true);
            return Flow::Next;
        },
        [&](const stmt::Call& n) {
            exec(n);
            return Flow::Next;
        },
        [&](const stmt::Print& n) {
            exec(n);
            return Flow::Next;
        },
        [&](const stmt::Dim& n) {
            exec(n);
            return Flow::Next;
        },
        [&](const stmt::OnError& n) {
            frame().resumeNext = n.resumeNext;
            err_->clear();
            return Flow::Next;
        },
        [&](const stmt::If& n) { return exec(n, line); },
        [&](const stmt::For& n) { return exec(n, line); },
        [&](const stmt::ForEach& n) { return exec(n, line); },
        [&](const stmt::While& n) { return exec(n, line); },
        [&](const stmt::Do& n) { return exec(n, line); },
        [&](const stmt::Select& n) { return exec(n); },
        [&](const stmt::With& n) { return exec(n); },
        [&](const stmt::Exit& n) { return exec(n); },
        [](const stmt::End&) { return Flow::End; },
    };
    return std::visit(visitor, s.node);
}

Interpreter::Flow Interpreter::exec(const stmt::Exit& s) {
    switch (s.kind) {
        case ExitKind::For:
            return Flow::ExitFor;
        case ExitKind::Do:
            return Flow::ExitDo;
        case ExitKind::Sub:
            return frames_.size() == 1 ? Flow::End : Flow::ExitSub;
        case ExitKind::Function:
            return Flow::ExitFunction;
    }
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec(const stmt::If& s, int line) {
    for (size_t i = 0; i < s.conds.size(); ++i) {
        line_ = line;
        if (isTrue(scalar(*s.conds[i]))) return execBlock(s.blocks[i]);
    }
    return execBlock(s.elseBlock);
}

Interpreter::Flow Interpreter::exec(const stmt::For& s, int line) {
    const Variant from = scalar(*s.from);
    const Variant to = scalar(*s.to);
    const Variant step = s.step ? scalar(*s.step) : Variant::integer(1);
    const double stepD = toDouble(step);
    const double toD = toDouble(to);
    assign(*s.var, from, false);
    for (;;) {
        poll();
        line_ = line;
        const double i = toDouble(scalar(*s.var));
        if (stepD >= 0 ? i > toD : i < toD) return Flow::Next;
        const Flow f = execBlock(s.body);
        if (f == Flow::ExitFor) return Flow::Next;
        if (f != Flow::Next) return f;
        line_ = line;
        assign(*s.var, arithmetic(Op::Add, scalar(*s.var), step), false);
    }
}

Interpreter::Flow Interpreter::exec(const stmt::ForEach& s, int line) {
    const Variant coll = eval(*s.collection);
    if (!isObject(coll)) raise(err::NotACollection);
    const auto next = enumerate(coll.asObject());
    for (;;) {
        poll();
        line_ = line;
        const std::optional<Variant> item = next();
        if (!item) return Flow::Next;
        assign(*s.var, *item, isObject(*item));
        const Flow f = execBlock(s.body);
        if (f == Flow::ExitFor) return Flow::Next;
        if (f != Flow::Next) return f;
    }
}

// Exit Do inside a While ends the Do around it, not the While.
Interpreter::Flow Interpreter::exec(const stmt::While& s, int line) {
    for (;;) {
        poll();
        line_ = line;
        if (!isTrue(scalar(*s.cond))) return Flow::Next;
        const Flow f = execBlock(s.body);
        if (f != Flow::Next) return f;
    }
}

Interpreter::Flow Interpreter::exec(const stmt::Do& s, int line) {
    const auto holds = [&] {
        line_ = line;
        const bool c = isTrue(scalar(*s.cond));
        return s.until ? !c : c;
    };
    for (;;) {
        poll();
        if (s.cond && !s.condAtEnd && !holds()) return Flow::Next;
        const Flow f = execBlock(s.body);
        if (f == Flow::ExitDo) return Flow::Next;
        if (f != Flow::Next) return f;
        if (s.cond && s.condAtEnd && !holds()) return Flow::Next;
    }
}

Interpreter::Flow Interpreter::exec(const stmt::Select& s) {
    const Variant v = scalar(*s.value);
    for (const CaseClause& c : s.cases) {
        bool match = c.tests.empty();
        for (const CaseClause::Test& t : c.tests) {
            if (t.range) {
                match = compare(v, scalar(*t.lo)).value_or(-1) >= 0 &&
                        compare(v, scalar(*t.hi)).value_or(1) <= 0;
            } else {
                const Variant r = comparison(t.op, v, scalar(*t.lo));
                match = !r.isNull() && r.asBoolean();
            }
            if (match) break;
        }
        if (match) return execBlock(c.body);
    }
    return Flow::Next;
}

Interpreter::Flow Interpreter::exec(const stmt::With& s) {
    const Variant o = eval(*s.object);
    if (!isObject(o)) raise(err::ObjectRequired);
    if (!o.asObject()) raise(mapi::code::ObjectNotSet);
    frame().with.push_back(o);
    struct Pop {
        std::vector<Variant>& w;
        size_t depth;
        ~Pop() { w.resize(depth); }
    } pop{frame().with, frame().with.size() - 1};
    return execBlock(s.body);
}

void Interpreter::exec(const stmt::Dim& s) {
    for (const Decl& d : s.decls) {
        const VarKind kind = d.type.isEmpty() ? VarKind::Variant : *typeFromName(d.type);
        if (s.isConst) {
            SlotPtr slot = std::make_shared<Slot>();
            slot->v = convertTo(kind, scalar(*d.init));
            slot->isConst = true;
            frame().vars.insert(d.key, slot);
            continue;
        }
        if (!d.isArray) {
            if (frame().vars.contains(d.key)) continue;  // Dim in a loop keeps the value
            SlotPtr slot = std::make_shared<Slot>();
            slot->kind = kind;
            slot->v = zeroOf(kind);
            frame().vars.insert(d.key, slot);
            continue;
        }
        SlotPtr slot = s.redim ? findOrCreate(d.key) : std::make_shared<Slot>();
        auto arr = std::make_shared<ArrayObject>();
        if (!d.bounds.empty()) {
            const std::int32_t upper = toLong(scalar(*d.bounds[0]));
            if (upper < -1) raise(mapi::code::SubscriptOutOfRange);
            arr->items.assign(static_cast<size_t>(upper + 1), zeroOf(kind));
        }
        if (s.redim && isArray(slot->v)) {
            auto* old = static_cast<ArrayObject*>(slot->v.asObject().get());
            if (old->fixed) raise(err::ArrayFixed);
            if (s.preserve)
                for (size_t i = 0; i < std::min(old->items.size(), arr->items.size()); ++i)
                    arr->items[i] = old->items[i];
        }
        arr->fixed = !s.redim && !d.bounds.empty();
        slot->v = Variant(std::static_pointer_cast<mapi::Object>(arr));
        if (!s.redim) frame().vars.insert(d.key, slot);
    }
}

void Interpreter::exec(const stmt::Print& s) {
    bool endLine = true;
    for (const PrintItem& item : s.items) {
        if (item.value) pending_ += printText(scalar(*item.value));
        endLine = item.sep.isNull();
        if (item.sep == u',') {
            const qsizetype lastBreak =
                std::max(pending_.lastIndexOf(u'\n'), pending_.lastIndexOf(u'\r'));
            const qsizetype col = pending_.size() - (lastBreak + 1);
            pending_ += QString((col / kPrintZone + 1) * kPrintZone - col, u' ');
        }
    }
    if (endLine) {
        host_.print(pending_);
        pending_.clear();
    }
}

void Interpreter::exec(const stmt::Call& s) {
    if (const auto* name = s.target->as<expr::Name>()) {
        if (const auto it = procs_.constFind(name->key); it != procs_.constEnd()) {
            callProcedure(**it, s.args);
            return;
        }
        if (isBuiltin(name->key) && !isBuiltinConstant(name->key)) {
            callBuiltin(name->key, positionalArgs(s.args), host_);
            return;
        }
        if (s.args.empty()) {
            eval(*name);
            return;
        }
        raise(err::NotSupported);
    }
    if (const auto* member = s.target->as<expr::Member>()) {
        const ObjectPtr o = objectOf(*member);
        getMember(o, member->key, evalArgs(s.args));
        return;
    }
    eval(*s.target);
}

// ---- variables ----------------------------------------------------------------

Interpreter::SlotPtr Interpreter::find(const QString& key) {
    if (const auto it = frame().vars.constFind(key); it != frame().vars.constEnd()) return *it;
    if (frames_.size() > 1)
        if (const auto it = globals().vars.constFind(key); it != globals().vars.constEnd())
            return *it;
    return nullptr;
}

Interpreter::SlotPtr Interpreter::findOrCreate(const QString& key) {
    if (SlotPtr s = find(key)) return s;
    SlotPtr s = std::make_shared<Slot>();
    frame().vars.insert(key, s);
    return s;
}

void Interpreter::store(Slot& slot, const Variant& v, bool isSet) {
    if (slot.isConst) raise(err::ConstAssignment);
    if (isSet) {
        if (!isObject(v)) raise(err::ObjectRequired);
        if (slot.kind != VarKind::Variant && slot.kind != VarKind::Object)
            raise(mapi::code::TypeMismatch);
        slot.v = v;
        return;
    }
    if (slot.kind == VarKind::Object) raise(mapi::code::ObjectNotSet);
    slot.v = convertTo(slot.kind, scalarOf(v));
}

void Interpreter::assign(const Expr& target, const Variant& v, bool isSet) {
    if (isSet && !isObject(v)) raise(err::ObjectRequired);
    if (const auto* name = target.as<expr::Name>()) {
        store(*findOrCreate(name->key), v, isSet);
        return;
    }
    if (const auto* member = target.as<expr::Member>()) {
        letMember(objectOf(*member), member->key, CallArgs{}, isSet ? v : scalarOf(v));
        return;
    }
    if (const auto* call = target.as<expr::Call>()) {
        const CallArgs args = evalArgs(call->args);
        const Variant value = isSet ? v : scalarOf(v);
        if (const auto* member = call->callee->as<expr::Member>()) {
            letMember(objectOf(*member), member->key, args, value);
            return;
        }
        const Variant base = eval(*call->callee);
        if (!isObject(base)) raise(mapi::code::TypeMismatch);
        letDefault(base.asObject(), args, value);
        return;
    }
    raise(err::ObjectRequired);
}

// ---- expressions --------------------------------------------------------------

Variant Interpreter::scalarOf(const Variant& v) {
    if (!isObject(v) || isArray(v)) return v;
    return defaultMember(v.asObject(), CallArgs{});
}

Variant Interpreter::scalar(const Expr& e) {
    return scalarOf(eval(e));
}

Variant Interpreter::withObject() {
    if (frame().with.empty()) raise(err::ObjectRequired);
    return frame().with.back();
}

ObjectPtr Interpreter::objectOf(const expr::Member& member) {
    const Variant o = member.object ? eval(*member.object) : withObject();
    if (!isObject(o)) raise(err::ObjectRequired);
    return o.asObject();
}

Variant Interpreter::eval(const Expr& e) {
    const Overloaded visitor{
        [](const expr::Literal& n) { return n.value; },
        [&](const expr::Member& n) { return getMember(objectOf(n), n.key, CallArgs{}); },
        [&](const expr::Unary& n) {
            const Variant v = scalar(*n.operand);
            return n.op == Op::Not ? logicalNot(v) : negate(v);
        },
        [&](const expr::Name& n) { return eval(n); },
        [&](const expr::Call& n) { return eval(n); },
        [&](const expr::Binary& n) { return eval(n); },
    };
    return std::visit(visitor, e.node);
}

Variant Interpreter::eval(const expr::Name& e) {
    if (SlotPtr s = find(e.key)) return s->v;
    if (e.key == u"err") return Variant(std::static_pointer_cast<mapi::Object>(err_));
    if (isBuiltinConstant(e.key)) return builtinConstant(e.key);
    if (const auto it = procs_.constFind(e.key); it != procs_.constEnd()) {
        if (!(*it)->isFunction) raise(err::NotSupported);
        return callProcedure(**it, {});
    }
    if (isBuiltin(e.key)) return callBuiltin(e.key, {}, host_);
    return Variant();  // an implicit variable not yet assigned
}

Variant Interpreter::eval(const expr::Call& e) {
    if (const auto* member = e.callee->as<expr::Member>())
        return getMember(objectOf(*member), member->key, evalArgs(e.args));
    if (const auto* name = e.callee->as<expr::Name>()) {
        // Inside a function its name is also its result variable; with
        // arguments it is the function again.
        if (const auto it = procs_.constFind(name->key); it != procs_.constEnd())
            return callProcedure(**it, e.args);
        if (SlotPtr s = find(name->key)) {
            if (!isObject(s->v)) raise(mapi::code::TypeMismatch);
            return defaultMember(s->v.asObject(), evalArgs(e.args));
        }
        if (const auto it = procs_.constFind(name->key); it != procs_.constEnd())
            return callProcedure(**it, e.args);
        if (isBuiltin(name->key) && !isBuiltinConstant(name->key))
            return callBuiltin(name->key, positionalArgs(e.args), host_);
        raise(mapi::code::TypeMismatch);
    }
    const Variant base = eval(*e.callee);
    if (!isObject(base)) raise(mapi::code::TypeMismatch);
    return defaultMember(base.asObject(), evalArgs(e.args));
}

Variant Interpreter::eval(const expr::Binary& e) {
    if (e.op == Op::Is) {
        // A variable never assigned counts as Nothing: the generated code
        // tests "oSession Is Nothing" on variables it tells the user to Dim
        // As Object, and runs here without those Dims.
        const auto object = [this](const Expr& x) -> ObjectPtr {
            const Variant v = eval(x);
            if (v.isEmpty()) return nullptr;
            if (!isObject(v)) raise(err::ObjectRequired);
            return v.asObject();
        };
        const ObjectPtr a = object(*e.lhs);
        return Variant(a == object(*e.rhs));
    }
    const Variant a = scalar(*e.lhs);
    const Variant b = scalar(*e.rhs);
    switch (e.op) {
        case Op::Eq:
        case Op::Ne:
        case Op::Lt:
        case Op::Le:
        case Op::Gt:
        case Op::Ge:
            return comparison(e.op, a, b);
        case Op::Like:
            if (a.isNull() || b.isNull()) return Variant::null();
            return Variant(like(toText(a), toText(b)));
        case Op::And:
        case Op::Or:
        case Op::Xor:
        case Op::Eqv:
        case Op::Imp:
            return logical(e.op, a, b);
        default:
            return arithmetic(e.op, a, b);
    }
}

CallArgs Interpreter::evalArgs(const std::vector<Arg>& args) {
    CallArgs out;
    for (const Arg& a : args) {
        if (!a.name.isEmpty())
            out.named.emplace_back(a.name, eval(*a.value));
        else if (a.value)
            out.positional.emplace_back(eval(*a.value));
        else
            out.positional.emplace_back(std::nullopt);
    }
    return out;
}

std::vector<std::optional<Variant>> Interpreter::positionalArgs(const std::vector<Arg>& args) {
    std::vector<std::optional<Variant>> out;
    for (const Arg& a : args) {
        if (!a.name.isEmpty())
            raise(err::WrongArguments);  // built-ins take no named arguments here
        out.push_back(a.value ? std::optional<Variant>(eval(*a.value)) : std::nullopt);
    }
    return out;
}

Variant Interpreter::callProcedure(const Procedure& p, const std::vector<Arg>& args) {
    // Arguments are bound in the caller's frame: a variable passed ByRef
    // shares its slot with the parameter.
    std::vector<SlotPtr> bound(p.params.size());
    size_t pos = 0;
    for (const Arg& a : args) {
        size_t index = pos;
        if (!a.name.isEmpty()) {
            index = p.params.size();
            for (size_t i = 0; i < p.params.size(); ++i)
                if (p.params[i].key == a.name) index = i;
            if (index == p.params.size()) raise(err::WrongArguments);
        } else {
            ++pos;
        }
        if (index >= p.params.size()) raise(err::WrongArguments);
        if (!a.value) continue;
        const Param& prm = p.params[index];
        const auto* name = a.value->as<expr::Name>();
        if (!prm.byVal && name && !isBuiltin(name->key) && !procs_.contains(name->key)) {
            bound[index] = findOrCreate(name->key);
        } else {
            bound[index] = std::make_shared<Slot>();
            bound[index]->v = eval(*a.value);
        }
    }
    for (size_t i = 0; i < p.params.size(); ++i) {
        if (bound[i]) continue;
        if (!p.params[i].optional) raise(err::ArgumentNotOptional);
        bound[i] = std::make_shared<Slot>();
        if (p.params[i].defaultValue) bound[i]->v = scalar(*p.params[i].defaultValue);
    }
    const int callerLine = line_;
    FramePush push(*this, &p);
    for (size_t i = 0; i < p.params.size(); ++i) frame().vars.insert(p.params[i].key, bound[i]);
    SlotPtr result;
    if (p.isFunction) {
        result = std::make_shared<Slot>();
        frame().vars.insert(p.key, result);
    }
    execBlock(p.body);
    line_ = callerLine;
    return result ? result->v : Variant();
}

}  // namespace vbrun
