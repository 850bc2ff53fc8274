#include "app/RunCode.h"

#include <QFile>
#include <cstdio>

#include "app/MAPIForm.h"
#include "messaging/Error.h"
#include "messaging/ReadOnly.h"
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
// each one it asks for is cancelled, as by the user, instead of waiting for
// ever; only the profile chooser and a profile's password take what the
// command line gave.
class HeadlessDialogs : public store::LibraryDialogs {
  public:
    explicit HeadlessDialogs(HeadlessAnswers answers)
        : answers_(std::move(answers)), saved_(store::installLibraryDialogs(this)) {}
    ~HeadlessDialogs() override { store::installLibraryDialogs(saved_); }
    HeadlessDialogs(const HeadlessDialogs&) = delete;
    HeadlessDialogs& operator=(const HeadlessDialogs&) = delete;

    QString chooseProfile(const QStringList&, const QString&, bool) override {
        if (answers_.profile.isEmpty()) mapi::raise(mapi::code::UserCancel);
        return answers_.profile;
    }
    std::vector<store::ChosenRecipient> addressBook(mapi::Session&,
                                                    const mapi::AddressBookArgs&) override {
        mapi::raise(mapi::code::UserCancel);
    }
    void details(mapi::AddressEntry&) override { mapi::raise(mapi::code::UserCancel); }
    QString askPassword(const QString&) override { mapi::raise(mapi::code::UserCancel); }
    std::optional<QString> profilePassword(const QString& profile) override {
        if (answers_.password.isEmpty() ||
            profile.compare(answers_.profile, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        return answers_.password;
    }

  private:
    HeadlessAnswers answers_;
    store::LibraryDialogs* saved_;
};

// The sessions are read-only for as long as the code runs, when asked.
class DryRun {
  public:
    explicit DryRun(bool on) : before_(mapi::sessionsReadOnly()) {
        mapi::setSessionsReadOnly(on || before_);
    }
    ~DryRun() { mapi::setSessionsReadOnly(before_); }
    DryRun(const DryRun&) = delete;
    DryRun& operator=(const DryRun&) = delete;

  private:
    bool before_;
};

}  // namespace

int runCodeFile(const QString& path, const QString& sessionName, const mapi::Variant& session,
                const HeadlessAnswers& answers) {
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
    const HeadlessDialogs dialogs(answers);
    const DryRun dryRun(answers.readOnly);
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

int runCodeFileAfterScript(const QString& path, MAPIForm& form, const HeadlessAnswers& answers) {
    const auto& session = form.mod().session;
    return runCodeFile(
        path, form.mod().names[codegen::Var::Session],
        session.isNothing()
            ? mapi::Variant(std::shared_ptr<mapi::Object>())
            : mapi::Variant(std::static_pointer_cast<mapi::Object>(session.shared())),
        answers);
}

}  // namespace app
