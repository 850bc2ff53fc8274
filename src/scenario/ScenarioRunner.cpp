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
    if (started_ && !finishing_) qApp->removeEventFilter(this);
}

void ScenarioRunner::start(bool waitForStartup) {
    if (started_) return;
    started_ = true;
    waitingForStartup_ = waitForStartup;
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
    waitingForStartup_ = false;
}

int ScenarioRunner::exec() {
    start(false);
    return waitForFinished();
}

int ScenarioRunner::waitForFinished() {
    if (emitted_) return status_;
    QEventLoop loop;
    connect(this, &ScenarioRunner::finished, &loop, [&loop](int s) { loop.exit(s); });
    loop.exec();
    return status_;
}

void ScenarioRunner::scheduleTick() {
    if (tickPending_ || emitted_) return;
    tickPending_ = true;
    QTimer::singleShot(0, this, &ScenarioRunner::tick);
}

void ScenarioRunner::tick() {
    tickPending_ = false;
    if (emitted_) return;
    // The next step is queued before this one does anything, so that the
    // chain goes on inside whatever nested event loop a command enters.
    scheduleTick();
    if (finishing_) {
        drain();
        return;
    }

    QWidget* modal = QApplication::activeModalWidget();
    // A command is still on the stack and has not opened a new modal window:
    // it is only processing events of its own; let it finish.
    if (!running_.empty() && modal == running_.back().modalAtStart) {
        idleTicks_ = 0;
        return;
    }
    // A progress window is the running command's own, and not the script's to answer.
    if (!running_.empty() && qobject_cast<QProgressDialog*>(modal)) {
        idleTicks_ = 0;
        return;
    }
    // A big folder still filling the tree a slice at a time is the work of the
    // command that opened it: what comes next sees the tree complete.
    if (!modal && ui::SlicedWork::anyPending()) {
        idleTicks_ = 0;
        return;
    }
    if (++idleTicks_ < kSettleTicks) return;

    if (waitingForStartup_) {
        if (!modal) return;
        idleTicks_ = 0;
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
        idleTicks_ = 0;
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
    if (modal && isAnswerDialog(modal) && c.name != u"answer" && c.name != u"file" &&
        c.name != u"file-cancel") {
        fail(c.line, waitingDialogDescription(modal));
        return;
    }

    running_.push_back({modal});
    idleTicks_ = 0;
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
    idleTicks_ = 0;
}

void ScenarioRunner::fail(int line, const QString& message) {
    if (finishing_) return;
    const QString where =
        line > 0 ? QStringLiteral("%1:%2").arg(scriptName_).arg(line) : scriptName_;
    if (err_) {
        err_->write((where + QStringLiteral(": error: ") + message + u'\n').toUtf8());
        if (auto* f = qobject_cast<QFile*>(err_)) f->flush();
    }
    finish(1);
}

void ScenarioRunner::finish(int status) {
    if (finishing_) return;
    finishing_ = true;
    status_ = status;
    // Nothing that happens while the windows are being closed is news.
    qApp->removeEventFilter(this);
    for (const auto& s : shown_)
        if (s.widget) disconnect(s.widget, &QObject::destroyed, this, nullptr);
    drainTicks_ = 0;
}

void ScenarioRunner::drain() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (++drainTicks_ > kMaxDrainTicks) {
            emitted_ = true;
            emit finished(status_);
            QCoreApplication::exit(status_);
            return;
        }
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->done(QDialog::Rejected);
        else
            modal->close();
        return;
    }
    if (!running_.empty()) {
        if (++drainTicks_ > kMaxDrainTicks) {
            emitted_ = true;
            emit finished(status_);
            QCoreApplication::exit(status_);
        }
        return;
    }
    emitted_ = true;
    emit finished(status_);
}

void ScenarioRunner::write(const QString& text) {
    if (!out_) return;
    out_->write(text.toUtf8());
    if (auto* f = qobject_cast<QFile*>(out_)) f->flush();
}

}  // namespace scenario
