// The run loop: start-up, one command per settled step, the outcome, and
// closing what a failed script left open.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include "messaging/Error.h"
#include "scenario/RunnerSupport.h"
#include "ui/SlicedWork.h"

namespace scenario {

using script::Command;

namespace {

// Steps the event loop must go through untouched before the next command:
// enough for posted events, window activation and deferred deletes.
constexpr int kSettleTicks = 4;
// How many steps closing the modal windows left open by a failed script may
// take before the run is cut short.
constexpr int kMaxDrainTicks = 2000;

}  // namespace

ScenarioRunner::ScenarioRunner(QString scriptName, std::vector<Command> commands, QIODevice* out,
                               QIODevice* err, QObject* parent)
    : QObject(parent),
      scriptName_(std::move(scriptName)),
      commands_(std::move(commands)),
      out_(out),
      err_(err) {}

ScenarioRunner::~ScenarioRunner() {
    if (run_.phase != Phase::Created && run_.phase < Phase::Finishing)
        qApp->removeEventFilter(this);
}

void ScenarioRunner::start(bool waitForStartup) {
    if (run_.phase != Phase::Created) return;
    run_.phase = waitForStartup ? Phase::WaitingForStartup : Phase::Running;
    // Windows already up are known but not logged: only changes are news.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && isProgramWindow(w)) {
            shown_.push_back({w, w, w->objectName()});
            connect(w, &QObject::destroyed, this, &ScenarioRunner::windowDestroyed);
        }
    }
    qApp->installEventFilter(this);
    scheduleTick();
}

void ScenarioRunner::startupDone() {
    if (run_.phase == Phase::WaitingForStartup) run_.phase = Phase::Running;
}

int ScenarioRunner::exec() {
    start(false);
    return waitForFinished();
}

int ScenarioRunner::waitForFinished() {
    if (run_.phase == Phase::Finished) return run_.status;
    QEventLoop loop;
    connect(this, &ScenarioRunner::finished, &loop, [&loop](int s) { loop.exit(s); });
    loop.exec();
    return run_.status;
}

void ScenarioRunner::scheduleTick() {
    if (run_.tickPending || run_.phase == Phase::Finished) return;
    run_.tickPending = true;
    QTimer::singleShot(0, this, &ScenarioRunner::tick);
}

void ScenarioRunner::tick() {
    run_.tickPending = false;
    if (run_.phase == Phase::Finished) return;
    // The next step is queued before this one does anything, so that the
    // chain goes on inside whatever nested event loop a command enters.
    scheduleTick();
    if (run_.phase == Phase::Finishing) {
        drain();
        return;
    }

    QWidget* modal = QApplication::activeModalWidget();
    // A command is still on the stack and has not opened a new modal window:
    // it is only processing events of its own; let it finish.
    if (!running_.empty() && modal == running_.back().modalAtStart) {
        run_.ticks = 0;
        return;
    }
    // A progress window is the running command's own, and not the script's to answer.
    if (!running_.empty() && qobject_cast<QProgressDialog*>(modal)) {
        run_.ticks = 0;
        return;
    }
    // A big folder still filling the tree a slice at a time is the work of the
    // command that opened it: what comes next sees the tree complete.
    if (!modal && ui::SlicedWork::anyPending()) {
        run_.ticks = 0;
        return;
    }
    if (++run_.ticks < kSettleTicks) return;

    if (run_.phase == Phase::WaitingForStartup) {
        if (!modal) return;
        run_.ticks = 0;
        if (modal->objectName() == u"AboutForm") {
            auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("OKButton"));
            if (!ok || !ok->isVisible() || !ok->isEnabled()) {
                fail(0, QStringLiteral("the start-up window AboutForm has no usable OKButton"));
                return;
            }
            ok->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && isOkOnly(box)) {
            pressOk(box);
        } else {
            // Nothing in the script can answer it yet: waiting would hang.
            fail(0, QStringLiteral("unexpected modal window %1 at start-up")
                        .arg(modal->objectName().isEmpty()
                                 ? QString::fromLatin1(modal->metaObject()->className())
                                 : modal->objectName()));
        }
        return;
    }

    if (auto* box = qobject_cast<QMessageBox*>(modal); box && isOkOnly(box) && !nextIsAnswer()) {
        run_.ticks = 0;
        pressOk(box);
        return;
    }

    if (pc_ >= commands_.size()) {
        if (modal) {
            fail(lastLine_,
                 isAnswerDialog(modal)
                     ? waitingDialogDescription(modal)
                     : QStringLiteral("modal window %1 is still open at the end of the script")
                           .arg(modal->objectName()));
            return;
        }
        finish(0);
        return;
    }

    const Command& c = commands_[pc_++];
    lastLine_ = c.line;
    if (modal && isAnswerDialog(modal) && c.verb != script::Verb::Answer &&
        c.verb != script::Verb::File && c.verb != script::Verb::FileCancel) {
        fail(c.line, waitingDialogDescription(modal));
        return;
    }

    running_.push_back({modal});
    run_.ticks = 0;
    try {
        runCommand(c);
    } catch (const Failure& f) {
        fail(c.line, f.message);
    } catch (const mapi::Error& e) {
        fail(c.line,
             QStringLiteral("unhandled error #%1: %2").arg(e.number()).arg(e.description()));
    } catch (const std::exception& e) {
        fail(c.line,
             QStringLiteral("unhandled exception: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    running_.pop_back();
    run_.ticks = 0;
}

void ScenarioRunner::fail(int line, const QString& message) {
    if (run_.phase >= Phase::Finishing) return;
    const QString where =
        line > 0 ? QStringLiteral("%1:%2").arg(scriptName_).arg(line) : scriptName_;
    if (err_) {
        err_->write((where + QStringLiteral(": error: ") + message + u'\n').toUtf8());
        if (auto* f = qobject_cast<QFile*>(err_)) f->flush();
    }
    finish(1);
}

void ScenarioRunner::finish(int status) {
    if (run_.phase >= Phase::Finishing) return;
    run_.phase = Phase::Finishing;
    run_.status = status;
    // Nothing that happens while the windows are being closed is news.
    qApp->removeEventFilter(this);
    for (const auto& s : shown_)
        if (s.widget) disconnect(s.widget, &QObject::destroyed, this, nullptr);
    run_.ticks = 0;
}

void ScenarioRunner::drain() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal && running_.empty()) {
        run_.phase = Phase::Finished;
        emit finished(run_.status);
        return;
    }
    if (++run_.ticks > kMaxDrainTicks) {
        run_.phase = Phase::Finished;
        emit finished(run_.status);
        QCoreApplication::exit(run_.status);
        return;
    }
    if (!modal) return;  // a command still unwinding
    if (auto* d = qobject_cast<QDialog*>(modal))
        d->done(QDialog::Rejected);
    else
        modal->close();
}

void ScenarioRunner::write(const QString& text) {
    if (!out_) return;
    out_->write(text.toUtf8());
    if (auto* f = qobject_cast<QFile*>(out_)) f->flush();
}

}  // namespace scenario
