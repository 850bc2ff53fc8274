#pragma once

#include <QHash>
#include <QObject>
#include <atomic>
#include <memory>

#include "vbrun/Host.h"

class QAction;
class QPlainTextEdit;

namespace shell {
struct MAPIMod;
}
namespace codewindow {
class CodeWindow;
}
namespace vbrun {
class Interpreter;
}

namespace immediate {

class ImmediateWindow;

// The Run menu (Run F5, Run Selection, Stop, Immediate Window Ctrl+G) and the
// code window's context menu: runs its text (or the selected lines) on the GUI
// thread in slices, with the program's logged-on session under the session
// variable's current name. Variables
// persist between runs, as in the Immediate window of the IDE. A run-time
// error shows "Run-time error 'N':" and selects the failing line.
class CodeRunController : public QObject, public vbrun::Host {
    Q_OBJECT
  public:
    CodeRunController(QWidget* mainWindow, codewindow::CodeWindow& code, shell::MAPIMod& mod);
    ~CodeRunController() override;

    void runAll();
    void runSelection();
    void runStatement(const QString& text);  // typed into the Immediate window
    void stop() { cancel_.store(true); }
    void showImmediate();
    bool isRunning() const { return running_; }

  private:
    void run(const QString& source, int firstLine, bool fromCodeWindow);
    // Run and Run Selection while nothing runs (and a selection for the
    // latter), Stop while something does.
    void updateActions();
    void selectLine(int line);
    void showContextMenu(const QPoint& pos);
    // The variables that exist, as the code that set them spells them.
    QStringList variables() const;
    QStringList membersOf(const QString& variable) const;

    void print(const QString& line) override;
    int msgBox(const QString& prompt, int buttons, const QString& title) override;
    void idle() override;

    QWidget* main_;
    codewindow::CodeWindow& code_;
    shell::MAPIMod& mod_;
    ImmediateWindow* immediate_;
    std::unique_ptr<vbrun::Interpreter> interpreter_;
    QHash<QString, QString> spellings_;  // by lower-case name, from the code run
    std::atomic<bool> cancel_{false};
    bool running_ = false;
    QAction* runAction_;
    QAction* runSelectionAction_;
    QAction* stopAction_;
};

}  // namespace immediate
