#include "immediate/CodeRunController.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <stdexcept>

#include "codewindow/CodeTextEdit.h"
#include "codewindow/CodeWindow.h"
#include "immediate/ImmediateWindow.h"
#include "immediate/VbHighlighter.h"
#include "shell/MAPIMod.h"
#include "ui/Dialogs.h"
#include "vbrun/Interpreter.h"
#include "vbrun/Members.h"
#include "vbrun/Parser.h"
#include "vbrun/Values.h"

namespace immediate {

namespace {
QAction* action(QWidget* window, const char* name) {
    auto* a = window->findChild<QAction*>(QString::fromLatin1(name));
    if (!a) throw std::logic_error(std::string("no action named ") + name);
    return a;
}
}  // namespace

CodeRunController::CodeRunController(QWidget* mainWindow, codewindow::CodeWindow& code,
                                     shell::MAPIMod& mod)
    : QObject(nullptr),
      main_(mainWindow),
      code_(code),
      mod_(mod),
      immediate_(new ImmediateWindow(mainWindow)),
      interpreter_(std::make_unique<vbrun::Interpreter>(*this)),
      runAction_(action(mainWindow, "RunAction")),
      runSelectionAction_(action(mainWindow, "RunSelectionAction")),
      stopAction_(action(mainWindow, "StopAction")) {
    interpreter_->setCancelFlag(&cancel_);
    new VbHighlighter(code_.widget()->document());

    // The Run menu's entries, found once: a name missing fails at start-up.
    connect(runAction_, &QAction::triggered, this, &CodeRunController::runAll);
    connect(runSelectionAction_, &QAction::triggered, this, &CodeRunController::runSelection);
    connect(stopAction_, &QAction::triggered, this, &CodeRunController::stop);
    connect(action(mainWindow, "ImmediateAction"), &QAction::triggered, this,
            &CodeRunController::showImmediate);
    connect(code_.widget(), &QPlainTextEdit::selectionChanged, this,
            &CodeRunController::updateActions);
    updateActions();

    code_.widget()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(code_.widget(), &QWidget::customContextMenuRequested, this,
            &CodeRunController::showContextMenu);
    connect(immediate_, &ImmediateWindow::statementEntered, this, &CodeRunController::runStatement);
    connect(immediate_, &ImmediateWindow::stopRequested, this, &CodeRunController::stop);
    immediate_->setCompletionScope({[this](const QString& variable) { return membersOf(variable); },
                                    [this] { return variables(); }});
}

CodeRunController::~CodeRunController() = default;

void CodeRunController::updateActions() {
    runAction_->setEnabled(!running_);
    runSelectionAction_->setEnabled(!running_ && code_.widget()->textCursor().hasSelection());
    stopAction_->setEnabled(running_);
}

void CodeRunController::showContextMenu(const QPoint& pos) {
    std::unique_ptr<QMenu> menu(code_.widget()->createStandardContextMenu());
    menu->addSeparator();
    QAction* runAll = menu->addAction(tr("Run"), this, &CodeRunController::runAll);
    runAll->setShortcut(QKeySequence(Qt::Key_F5));
    QAction* runSel = menu->addAction(tr("Run Selection"), this, &CodeRunController::runSelection);
    runSel->setEnabled(code_.widget()->textCursor().hasSelection());
    QAction* stop = menu->addAction(tr("Stop"), this, &CodeRunController::stop);
    stop->setEnabled(running_);
    menu->addAction(tr("Immediate Window"), this, &CodeRunController::showImmediate)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    runAll->setEnabled(!running_);
    runSel->setEnabled(!running_ && runSel->isEnabled());
    menu->exec(code_.widget()->mapToGlobal(pos));
}

void CodeRunController::showImmediate() {
    immediate_->show();
    immediate_->raise();
    immediate_->activateWindow();
}

void CodeRunController::runAll() {
    run(code_.text(), 1, true);
}

void CodeRunController::runSelection() {
    QTextCursor c = code_.widget()->textCursor();
    if (!c.hasSelection()) return;
    // Whole lines: from the start of the first selected line to the end of the last.
    QTextDocument* doc = code_.widget()->document();
    const QTextBlock first = doc->findBlock(c.selectionStart());
    const QTextBlock last = doc->findBlock(c.selectionEnd());
    QTextCursor lines(first);
    lines.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    run(codewindow::CodeTextEdit::fromDocument(lines.selection().toPlainText()),
        first.blockNumber() + 1, true);
}

void CodeRunController::runStatement(const QString& text) {
    immediate_->appendStatement(text);
    run(text, 1, false);
}

void CodeRunController::run(const QString& source, int firstLine, bool fromCodeWindow) {
    if (running_) return;
    vbrun::Program program;
    try {
        program = vbrun::parse(source, interpreter_->variableNames());
    } catch (const vbrun::CompileError& e) {
        if (fromCodeWindow) selectLine(firstLine + e.line - 1);
        ui::msgBox(QStringLiteral("Compile error:\n\n") + e.message, ui::Icon::Critical);
        return;
    }
    noteSpellings(source, spellings_);
    // The program's own session, when logged on, under the variable's current name.
    if (!mod_.session.isNothing()) {
        const QString& name = mod_.names[codegen::Var::Session];
        interpreter_->bind(
            name, mapi::Variant(std::static_pointer_cast<mapi::Object>(mod_.session.shared())));
        spellings_.insert(name.toLower(), name);
    }
    cancel_.store(false);
    running_ = true;
    updateActions();
    immediate_->setRunning(true);
    code_.widget()->setReadOnly(true);
    if (fromCodeWindow) showImmediate();
    const auto failure = interpreter_->run(program);
    code_.widget()->setReadOnly(false);
    immediate_->setRunning(false);
    running_ = false;
    updateActions();
    if (!failure) return;
    if (fromCodeWindow) selectLine(firstLine + failure->line - 1);
    if (failure->number == 18) {
        immediate_->appendLine(tr("(stopped)"));
        return;
    }
    ui::msgBox(
        QStringLiteral("Run-time error '%1':\n\n%2").arg(failure->number).arg(failure->description),
        ui::Icon::Critical);
}

// The logged-on session is bound before every run, so a line typed before the
// first run already finds it.
QStringList CodeRunController::variables() const {
    QStringList out;
    for (const QString& name : interpreter_->variableNames()) out << spellings_.value(name, name);
    if (!mod_.session.isNothing()) out << mod_.names[codegen::Var::Session];
    return out;
}

QStringList CodeRunController::membersOf(const QString& variable) const {
    if (!mod_.session.isNothing() &&
        variable.compare(mod_.names[codegen::Var::Session], Qt::CaseInsensitive) == 0)
        return vbrun::membersOf(std::static_pointer_cast<mapi::Object>(mod_.session.shared()));
    const mapi::Variant v = interpreter_->value(variable);
    if (!vbrun::isObject(v)) return {};
    return vbrun::membersOf(v.asObject());
}

void CodeRunController::selectLine(int line) {
    QPlainTextEdit* w = code_.widget();
    const QTextBlock b = w->document()->findBlockByNumber(line - 1);
    if (!b.isValid()) return;
    QTextCursor c(b);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    w->setTextCursor(c);
    w->ensureCursorVisible();
}

void CodeRunController::print(const QString& line) {
    immediate_->appendLine(line);
}

int CodeRunController::msgBox(const QString& prompt, int buttons, const QString& title) {
    // The style's sixteens: vbCritical (16), vbQuestion (32), vbExclamation
    // (48) or vbInformation (64); any other shows no icon.
    static constexpr ui::Icon kIcons[8] = {
        ui::Icon::None,        ui::Icon::Critical, ui::Icon::Question, ui::Icon::Exclamation,
        ui::Icon::Information, ui::Icon::None,     ui::Icon::None,     ui::Icon::None};
    const ui::Icon icon = kIcons[(buttons & 0x70) >> 4];
    const int kind = buttons & 7;
    const ui::Buttons b = kind == 4 || kind == 3 ? ui::Buttons::YesNo
                          : kind == 1            ? ui::Buttons::OkCancel
                                                 : ui::Buttons::Ok;
    const ui::Answer a = ui::msgBox(prompt, icon, b, title.isEmpty() ? ui::kAppTitle : title);
    switch (a) {
        case ui::Answer::Ok:
            return 1;
        case ui::Answer::Cancel:
            return 2;
        case ui::Answer::Yes:
            return 6;
        case ui::Answer::No:
            return 7;
    }
    return 1;
}

void CodeRunController::idle() {
    // Slices: the window stays responsive and Esc or Stop can end the run.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace immediate
