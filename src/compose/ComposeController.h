#pragma once

#include <QObject>
#include <QPointer>

namespace app {
class MAPIForm;
struct MAPIMod;
}  // namespace app

namespace compose {

class MsgForm;

// The main window's "Send Message" button: opens the send-a-message window,
// loading it (a new Outbox message) when it is not loaded, or brings it
// forward unchanged when it is.
class ComposeController : public QObject {
    Q_OBJECT
  public:
    // Connects to the form's SendButton.
    explicit ComposeController(app::MAPIForm& form);
    ~ComposeController() override;

    // SendButton click.
    void open();

    // The window once created (kept for the run), else nullptr.
    MsgForm* window() const;

  private:
    app::MAPIForm& form_;
    QPointer<MsgForm> msgForm_;
};

}  // namespace compose
