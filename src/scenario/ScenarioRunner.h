#pragma once

// Runs a scenario script against the real windows: one command at a time,
// each after the event loop has settled, from a chain of queued steps that
// keeps running inside the nested event loops of modal windows, so commands
// can act on whatever modal window the previous command opened.
//
// Output (stdout): message boxes, input boxes and file dialogs as they
// appear, program windows opening and closing, `edit refused`, and the dumps.
// Errors (stderr): "FILE:LINE: error: ..." for the first command that cannot
// be carried out; the run then stops with status 1.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "scenario/ScriptParser.h"

class QIODevice;
class QWidget;
class QMessageBox;

namespace scenario {

class ScenarioRunner : public QObject {
    Q_OBJECT
  public:
    // `scriptName` is what error lines start with.
    ScenarioRunner(QString scriptName, std::vector<script::Command> commands, QIODevice* out,
                   QIODevice* err, QObject* parent = nullptr);
    ~ScenarioRunner() override;

    // Where `dump code` reads the code window's text (CR LF kept).
    void setCodeSource(std::function<QString()> source) { codeSource_ = std::move(source); }

    // Starts observing windows and stepping. While waiting for start-up the
    // runner only dismisses an "AboutForm" by its "OKButton" and presses OK on
    // OK-only message boxes (any other modal window is an error, as nothing
    // could answer it); commands begin once startupDone() is called.
    void start(bool waitForStartup);
    void startupDone();

    // start(false) and a local event loop until the script has finished.
    int exec();
    // A local event loop until finished() (returns at once if it was emitted).
    int waitForFinished();

    bool isFinished() const { return run_.phase >= Phase::Finishing; }  // the outcome is decided
    int status() const { return run_.status; }

  Q_SIGNALS:
    // Emitted once, after the outcome is decided and every modal window the
    // script left open has been closed.
    void finished(int status);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Failure {
        QString message;
    };

    void scheduleTick();
    void tick();
    void runCommand(const script::Command& c);
    void fail(int line, const QString& message);
    void finish(int status);
    void drain();
    void write(const QString& text);
    void windowDestroyed(QObject* o);

    // Window bookkeeping.
    static bool isProgramWindow(const QWidget* w);
    void noteShown(QWidget* w);
    void noteHidden(QWidget* w);
    void logDialog(QWidget* w);
    QWidget* activeWindow() const;
    QWidget* findWindow(const QString& name) const;

    // Control look-up: WINDOW/NAME or NAME in the active window. Throws Failure.
    QWidget* findControl(const QString& controlName, bool forAction) const;
    // The window a "WINDOW/NAME" names (else the active one) and the NAME.
    std::pair<QWidget*, QString> windowAndName(const QString& controlName) const;
    // A menu entry (QAction) of the active window, or of WINDOW in "WINDOW/NAME",
    // that can be chosen now: shown, enabled and not blocked by a modal window.
    QAction* findAction(const QString& actionName) const;
    template <class T>
    T* findControlAs(const QString& controlName, bool forAction, const char* kind) const;
    void checkUsable(QWidget* w, const QString& controlName) const;
    void checkNotBlocked(QWidget* w, const QString& controlName) const;

    void ensureFocus(QWidget* w);
    void mouseClick(QWidget* target, const QPoint& pos);

    // Commands.
    void cmdClick(const script::Command& c);
    void cmdTab(const script::Command& c);
    void cmdSet(const script::Command& c);
    void cmdKey(const script::Command& c);
    void cmdFocus(const script::Command& c);
    void cmdChoose(const script::Command& c);
    void cmdSelect(const script::Command& c);
    void cmdDblClick(const script::Command& c);
    void cmdEdit(const script::Command& c);
    void cmdAnswer(const script::Command& c);
    void cmdFile(const script::Command& c);
    void cmdFileCancel(const script::Command& c);
    void cmdHeader(const script::Command& c);
    void cmdResize(const script::Command& c);
    void cmdDump(const script::Command& c);
    void cmdTrigger(const script::Command& c);

    QString waitingDialogDescription(QWidget* modal) const;
    bool isOkOnly(QMessageBox* box) const;
    static void pressOk(QMessageBox* box);
    bool nextIsAnswer() const;

    QString scriptName_;
    std::vector<script::Command> commands_;
    QIODevice* out_;
    QIODevice* err_;
    std::function<QString()> codeSource_;

    std::size_t pc_ = 0;  // next command to run
    int lastLine_ = 0;
    struct Running {
        // Identity only (never dereferenced): the modal window when the command
        // began, still telling "same window" apart after it is deleted.
        const QWidget* modalAtStart = nullptr;
    };
    std::vector<Running> running_;  // commands on the stack, innermost last
    // Where the run is. Created until start(); the script's commands run only in
    // Running; Finishing closes what the script left open; Finished has emitted.
    enum class Phase { Created, WaitingForStartup, Running, Finishing, Finished };
    struct RunState {
        Phase phase = Phase::Created;
        bool tickPending = false;
        int ticks = 0;  // steps taken in this phase since the last command or window closed
        int status = 0;
    };
    RunState run_;

    struct ShownWindow {
        QPointer<QWidget> widget;
        const QObject* raw = nullptr;  // identity, still comparable while it is destroyed
        QString name;
    };
    std::vector<ShownWindow> shown_;              // program windows shown, in activation order
    std::vector<QPointer<QWidget>> openDialogs_;  // message/input/file dialogs announced
};

}  // namespace scenario
