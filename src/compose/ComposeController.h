#pragma once

#include <QObject>
#include <memory>

#include "shell/Context.h"

namespace compose {

class MsgForm;

// The main window's "Send Message" button: opens the send-a-message window,
// loading it (a new Outbox message) when it is not loaded, or brings it
// forward unchanged when it is. The window is a top-level window of its own,
// not a child of the main window, so that the main window's controls and the
// window's own (both have a "SendButton") are never confused; it is closed
// with the main window.
class ComposeController : public QObject {
    Q_OBJECT
  public:
    // Connects to the form's SendButton.
    explicit ComposeController(const shell::Context& shell);
    ~ComposeController() override;

    // SendButton click.
    void open();

    // The window once created (kept for the run), else nullptr.
    MsgForm* window() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    shell::Context shell_;
    std::unique_ptr<MsgForm> msgForm_;
};

}  // namespace compose
