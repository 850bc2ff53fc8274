#pragma once

// Answers the modal windows an action opens, from a timer, while the action
// waits in their event loops. Message boxes are recorded ("icon|title|text")
// and answered OK; any other modal window is handed to the next scripted step
// for its objectName. Steps act through queued calls so that a window they
// open in turn is answered by the same timer.

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

class ModalResponder : public QObject {
  public:
    struct Step {
        QString window;  // objectName of the modal window the step acts on
        std::function<void(QWidget*)> act;
    };

    ModalResponder() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, &ModalResponder::poll);
        timer_.start();
    }

    void then(const QString& window, std::function<void(QWidget*)> act) {
        steps_.push_back({window, std::move(act)});
    }
    bool allStepsDone() const { return steps_.empty(); }
    // A window the test drives itself (shown modal but without its own loop).
    void ignore(QWidget* w) { ignored_ = w; }

    QStringList boxes;       // every message box seen, in order
    QStringList unexpected;  // modal windows no step was waiting for

    // Clicks a button later, from the event loop.
    static void click(QWidget* root, const QString& name) {
        QWidget* b = root->findChild<QWidget*>(name);
        if (!b) return;
        QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
    }

  private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == acted_ || w == ignored_) return;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxes << box->property("quorvaneIcon").toString() + QLatin1Char('|') +
                         box->windowTitle() + QLatin1Char('|') + box->text();
            acted_ = box;
            QAbstractButton* ok = box->buttons().value(0);
            QMetaObject::invokeMethod(ok, "click", Qt::QueuedConnection);
            return;
        }
        if (!steps_.empty() && steps_.front().window == w->objectName()) {
            Step s = steps_.front();
            steps_.pop_front();
            s.act(w);
            return;
        }
        // Nobody expected this window: close it so the test does not hang.
        unexpected << w->objectName();
        acted_ = w;
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    }

    QTimer timer_;
    std::deque<Step> steps_;
    QPointer<QWidget> acted_;
    QPointer<QWidget> ignored_;
};
