#include "app/RunCode.h"

#include <QFile>
#include <cstdio>

#include "app/MAPIForm.h"
#include "store/LibraryDialogs.h"
#include "vbrun/Interpreter.h"
#include "vbrun/Parser.h"

namespace app {

namespace {

// Standard output takes the printed lines; a MsgBox is logged there too and
// answered with its first button, as nobody is there to press one.
class ConsoleHost : public vbrun::Host {
  public:
    void print(const QString& line) override {
        std::fputs(line.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
    }
    int msgBox(const QString& prompt, int buttons, const QString&) override {
        print(QStringLiteral("MsgBox: ") + prompt);
        const int kind = buttons & 7;
        return kind == 3 || kind == 4 ? 6 : 1;  // vbYes for the Yes/No boxes, else vbOK
    }
};

// Nobody can answer a library dialog in a headless run: while the code runs,
// each one it asks for is cancelled, as by the user, instead of waiting for ever.
class NoLibraryDialogs {
  public:
    NoLibraryDialogs() : saved_(store::installLibraryDialogs(nullptr)) {}
    ~NoLibraryDialogs() { store::installLibraryDialogs(saved_); }
    NoLibraryDialogs(const NoLibraryDialogs&) = delete;
    NoLibraryDialogs& operator=(const NoLibraryDialogs&) = delete;

  private:
    store::LibraryDialogs* saved_;
};

}  // namespace

int runCodeFile(const QString& path, const QString& sessionName, const mapi::Variant& session) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quorvane: cannot read %s: %s\n", qPrintable(path),
                     qPrintable(f.errorString()));
        return 2;
    }
    const QString source = QString::fromUtf8(f.readAll());
    vbrun::Program program;
    try {
        program = vbrun::parse(source);
    } catch (const vbrun::CompileError& e) {
        std::fprintf(stderr, "%s:%d: Compile error: %s\n", qPrintable(path), e.line,
                     e.message.toUtf8().constData());
        return 1;
    }
    ConsoleHost host;
    const NoLibraryDialogs unanswerable;
    vbrun::Interpreter interpreter(host);
    if (!sessionName.isEmpty()) interpreter.bind(sessionName, session);
    const auto failure = interpreter.run(program);
    std::fflush(stdout);
    if (failure) {
        std::fprintf(stderr, "%s:%d: Run-time error '%d': %s\n", qPrintable(path), failure->line,
                     failure->number, failure->description.toUtf8().constData());
        return 1;
    }
    return 0;
}

int runCodeFileAfterScript(const QString& path, MAPIForm& form) {
    const auto& session = form.mod().session;
    return runCodeFile(
        path, form.mod().names[codegen::Var::Session],
        session.isNothing()
            ? mapi::Variant(std::shared_ptr<mapi::Object>())
            : mapi::Variant(std::static_pointer_cast<mapi::Object>(session.shared())));
}

}  // namespace app
