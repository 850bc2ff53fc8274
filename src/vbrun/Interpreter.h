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

    // `line` is the statement's own: loops and If name it again for every
    // condition they test, after a body ran that moved on.
    Flow execBlock(const Block& b);
    Flow exec(const Stmt& s);
    Flow exec(const stmt::If& s, int line);
    Flow exec(const stmt::For& s, int line);
    Flow exec(const stmt::ForEach& s, int line);
    Flow exec(const stmt::While& s, int line);
    Flow exec(const stmt::Do& s, int line);
    Flow exec(const stmt::Select& s);
    Flow exec(const stmt::With& s);
    Flow exec(const stmt::Exit& s);
    void exec(const stmt::Dim& s);
    void exec(const stmt::Print& s);
    void exec(const stmt::Call& s);
    void assign(const Expr& target, const mapi::Variant& v, bool isSet);

    SlotPtr find(const QString& key);
    SlotPtr findOrCreate(const QString& key);
    void store(Slot& slot, const mapi::Variant& v, bool isSet);

    mapi::Variant eval(const Expr& e);
    mapi::Variant eval(const expr::Name& e);
    mapi::Variant eval(const expr::Call& e);
    mapi::Variant eval(const expr::Binary& e);
    mapi::Variant scalar(const Expr& e);
    mapi::Variant scalarOf(const mapi::Variant& v);
    mapi::Variant withObject();
    ObjectPtr objectOf(const expr::Member& e);
    CallArgs evalArgs(const std::vector<Arg>& args);
    std::vector<std::optional<mapi::Variant>> positionalArgs(const std::vector<Arg>& args);
    mapi::Variant callProcedure(const Procedure& p, const std::vector<Arg>& args);
};

}  // namespace vbrun
