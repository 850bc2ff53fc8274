#pragma once

// How a back-end shows the progress of a long task (the first open of a big
// folder on a mail server) and learns that the user cancelled it. The program
// installs a sink at start-up; with none, tasks show nothing and run to the end.

#include <QString>

namespace mapi {

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    // `done` of `total` steps of the task named `title`; false when the user
    // cancelled. The first call of a task starts it.
    virtual bool step(const QString& title, qint64 done, qint64 total) = 0;
    // The task ended, finished or not; nothing is called for a task without steps.
    virtual void finish() = 0;
};

// Makes `sink` (not owned; nullptr for none) the one used from now on and
// returns the one it replaces.
ProgressSink* installProgressSink(ProgressSink* sink);

// One task reported to the installed sink for as long as it lives.
class ProgressTask {
  public:
    explicit ProgressTask(QString title);
    ~ProgressTask();
    ProgressTask(const ProgressTask&) = delete;
    ProgressTask& operator=(const ProgressTask&) = delete;

    // False when the user cancelled.
    bool step(qint64 done, qint64 total);

  private:
    QString title_;
    bool started_ = false;
};

}  // namespace mapi
