#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "shell/Context.h"

class QAbstractButton;
namespace ui {
class CheckBox;
}

namespace session {

// The values of the "Logon Properties" panel as the logon reads them.
struct LogonOptions {
    bool useDynamicProfile = false;
    bool useProfileName = false;
    QString profileName;      // "" unless useProfileName
    QString profilePassword;  // "" unless useProfileName
    bool showDialog = true;
    bool newSession = true;
    QString serverName;
    QString mailboxName;
};

// The logon options panel (its two check-box rules), the logon with the store
// listing, and the logoff.
class SessionController : public QObject {
    Q_OBJECT
  public:
    explicit SessionController(const shell::Context& shell);

    LogonOptions logonOptions() const;

    // Rule A (click of LogonCheck) and rule B (click of DynamicCheck).
    void LogonCheck_Click();
    void DynamicCheck_Click();

    // Runs the tree's double-click handling on the root, or refuses when a
    // session exists.
    void LogonButton_Click();
    void LogoffButton_Click();

    // The logon for the root node, called by the tree dispatch under its busy
    // pointer. A refused or cancelled Logon is reported here and drops the
    // session object; later messaging errors pass to the dispatch, which
    // reports them, and keep the (logged-on) session for the logoff.
    void Logon();

  private:
    // The panel's controls, found once when the controller is made, so that a
    // wrong name stops the start instead of a later click.
    struct Panel {
        ui::CheckBox* logonCheck;
        ui::CheckBox* dynamicCheck;
        ui::CheckBox* showLogCheck;
        QAbstractButton* newSessionOption;
        QWidget* profileName;
        QWidget* profilePassword;
        QWidget* serverName;
        QWidget* mailboxName;
        QWidget* dynamicFrame;
        QWidget* profileFrame;
        QWidget* serverLabel;
        QWidget* mailboxLabel;
        QWidget* profileNameLabel;
        QWidget* passwordLabel;
        // The filter editor's controls a logon makes usable.
        std::array<QWidget*, 3> filterControls;
    };

    shell::Context shell_;
    Panel panel_;
};

}  // namespace session
