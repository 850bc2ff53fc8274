#pragma once

// The library's progress window for long back-end tasks (mapi::ProgressSink).

#include <QString>
#include <memory>

#include "messaging/Progress.h"

class QProgressDialog;

namespace libdialogs {

// Shows a task that is still running after a moment as the modal window
// "ProgressDialog" with a bar and the button "CancelButton"; tasks done in
// one step never show it.
class ProgressWindow final : public mapi::ProgressSink {
  public:
    ProgressWindow();
    ~ProgressWindow() override;
    bool step(const QString& title, qint64 done, qint64 total) override;
    void finish() override;

  private:
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace libdialogs
