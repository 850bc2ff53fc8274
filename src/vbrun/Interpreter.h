#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "messaging/Variant.h"
#include "vbrun/Ast.h"
#include "vbrun/Binding.h"
#include "vbrun/Host.h"
#include "vbrun/Types.h"

namespace vbrun {

// A run-time error that no On Error Resume Next absorbed: where and what.
struct RunError {
    int line = 0;
    std::int32_t number = 0;
    QString description;
};

// Runs parsed programs. Variables set by one run stay for the next (the
// Immediate window runs line after line against the same variables).
class Interpreter {
  public:
    explicit Interpreter(Host& host);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Polled before every statement and loop pass; when it becomes true the
    // run ends with error 18, which On Error Resume Next does not absorb.
    void setCancelFlag(const std::atomic<bool>* flag) { cancel_ = flag; }
    // A variable the code finds already set (the logged-on session).
    void bind(const QString& name, const mapi::Variant& value);
    mapi::Variant value(const QString& name) const;
    // The top-level variables that exist now (lower case), for parse().
    QSet<QString> variableNames() const;

    // Runs the program's top-level statements; its procedures stay callable.
    std::optional<RunError> run(const Program& program);

  private:
    struct Slot {
        mapi::Variant v;
        VarKind kind = VarKind::Variant;
        bool isConst = false;
    };
    using SlotPtr = std::shared_ptr<Slot>;
    struct Frame {
        QHash<QString, SlotPtr> vars;
        bool resumeNext = false;
        std::vector<mapi::Variant> with;
        const Procedure* proc = nullptr;
    };
    enum class Flow { Next, ExitFor, ExitDo, ExitSub, ExitFunction, End };
    class FramePush;

    Host& host_;
    const std::atomic<bool>* cancel_ = nullptr;
    std::vector<std::unique_ptr<Frame>> frames_;
    QHash<QString, const Procedure*> procs_;
    std::vector<std::shared_ptr<Program>> keep_;
    std::shared_ptr<ErrObject> err_;
    QString pending_;  // Debug.Print text not yet ended by a line break
    int line_ = 0;
    unsigned polls_ = 0;
    std::chrono::steady_clock::time_point lastIdle_;

    Frame& frame() { return *frames_.back(); }
    Frame& globals() { return *frames_.front(); }
    void poll();

    Flow execBlock(const Block& b);
    Flow exec(const Stmt& s);
    Flow execIf(const Stmt& s);
    Flow execFor(const Stmt& s);
    Flow execForEach(const Stmt& s);
    Flow execLoop(const Stmt& s);
    Flow execSelect(const Stmt& s);
    Flow execWith(const Stmt& s);
    void execDim(const Stmt& s);
    void execPrint(const Stmt& s);
    void execCall(const Stmt& s);
    void assign(const Expr& target, const mapi::Variant& v, bool isSet);

    SlotPtr find(const QString& key);
    SlotPtr findOrCreate(const QString& key);
    void store(Slot& slot, const mapi::Variant& v, bool isSet);

    mapi::Variant eval(const Expr& e);
    mapi::Variant scalar(const Expr& e);
    mapi::Variant scalarOf(const mapi::Variant& v);
    mapi::Variant evalName(const Expr& e);
    mapi::Variant evalCall(const Expr& e);
    mapi::Variant evalBinary(const Expr& e);
    mapi::Variant withObject(int line);
    ObjectPtr objectOf(const Expr& e);
    CallArgs evalArgs(const std::vector<Arg>& args);
    std::vector<std::optional<mapi::Variant>> positionalArgs(const std::vector<Arg>& args);
    mapi::Variant callProcedure(const Procedure& p, const std::vector<Arg>& args);
};

}  // namespace vbrun
