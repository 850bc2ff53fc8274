#include "session/SessionController.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "messaging/Error.h"
#include "messaging/SessionFactory.h"
#include "shell/Context.h"
#include "shell/TreeNodes.h"
#include "ui/CheckBox.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"
#include "ui/TreeView.h"

namespace session {

namespace {

QString trueFalse(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

QString textOf(const QWidget* w) {
    if (auto* line = qobject_cast<const QLineEdit*>(w)) return line->text();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(w)) return rich->toPlainText();
    return w->property("text").toString();
}

// A Logon the library refused or the user cancelled leaves nothing logged on:
// once the user has read why, the session object goes, so that the next logon
// tries again instead of being told that a session exists.
bool logOn(shell::MAPIMod& mod, const mapi::LogonArgs& args) {
    try {
        mod.session->Logon(args);
        return true;
    } catch (const mapi::Error& e) {
        ui::errorBox(e);
        mod.session.reset();
        return false;
    }
}

}  // namespace

SessionController::SessionController(const shell::Context& shell)
    : shell_(shell),
      panel_{
          .logonCheck = shell.control<ui::CheckBox>(QStringLiteral("LogonCheck")),
          .dynamicCheck = shell.control<ui::CheckBox>(QStringLiteral("DynamicCheck")),
          .showLogCheck = shell.control<ui::CheckBox>(QStringLiteral("ShowLogCheck")),
          .newSessionOption = shell.control<QAbstractButton>(QStringLiteral("SessionOpt(0)")),
          .profileName = shell.control(QStringLiteral("PNameText")),
          .profilePassword = shell.control(QStringLiteral("PPwdText")),
          .serverName = shell.control(QStringLiteral("ServerText")),
          .mailboxName = shell.control(QStringLiteral("MBoxText")),
          .dynamicFrame = shell.control(QStringLiteral("DynamicFrame")),
          .profileFrame = shell.control(QStringLiteral("ProfileFrame")),
          .serverLabel = shell.control(QStringLiteral("SNameLabel")),
          .mailboxLabel = shell.control(QStringLiteral("MBoxNameLabel")),
          .profileNameLabel = shell.control(QStringLiteral("LNameLabel")),
          .passwordLabel = shell.control(QStringLiteral("LPwdLabel")),
          .filterControls = {shell.control(QStringLiteral("FilterCombo")),
                             shell.control(QStringLiteral("AddFilterButton")),
                             shell.control(QStringLiteral("DelFilterButton"))},
      } {
    connect(panel_.logonCheck, &ui::CheckBox::clickRule, this,
            &SessionController::LogonCheck_Click);
    connect(panel_.dynamicCheck, &ui::CheckBox::clickRule, this,
            &SessionController::DynamicCheck_Click);
    connect(shell.control<QAbstractButton>(QStringLiteral("LogonButton")),
            &QAbstractButton::clicked, this, &SessionController::LogonButton_Click);
    connect(shell.control<QAbstractButton>(QStringLiteral("LogoffButton")),
            &QAbstractButton::clicked, this, &SessionController::LogoffButton_Click);
}

LogonOptions SessionController::logonOptions() const {
    LogonOptions o;
    o.useDynamicProfile = panel_.dynamicCheck->isChecked1();
    o.useProfileName = panel_.logonCheck->isChecked1();
    if (o.useProfileName) {
        o.profileName = textOf(panel_.profileName);
        o.profilePassword = textOf(panel_.profilePassword);
    }
    o.showDialog = panel_.showLogCheck->isChecked1();
    o.newSession = panel_.newSessionOption->isChecked();
    o.serverName = textOf(panel_.serverName);
    o.mailboxName = textOf(panel_.mailboxName);
    return o;
}

void SessionController::LogonCheck_Click() {
    const bool checked = panel_.logonCheck->isChecked1();
    if (checked) {
        // May run rule B's unchecked branch before going on.
        panel_.dynamicCheck->setValue(0);
    }
    panel_.dynamicFrame->setEnabled(!checked);
    panel_.serverLabel->setEnabled(!checked);
    panel_.mailboxLabel->setEnabled(!checked);
}

void SessionController::DynamicCheck_Click() {
    const bool checked = panel_.dynamicCheck->isChecked1();
    auto* showLog = panel_.showLogCheck;
    if (checked) {
        showLog->setValue(0);
        showLog->setEnabled(false);
        // May run rule A's unchecked branch before going on.
        panel_.logonCheck->setValue(0);
    } else {
        // The user's earlier ShowLogCheck value is not restored.
        showLog->setEnabled(true);
        panel_.dynamicFrame->setEnabled(false);
    }
    panel_.profileFrame->setEnabled(!checked);
    panel_.profileNameLabel->setEnabled(!checked);
    panel_.passwordLabel->setEnabled(!checked);
}

void SessionController::LogonButton_Click() {
    if (shell_.mod().session.isNothing()) {
        shell_.tree()->select(1);
        shell_.openTreeRoot();
    } else {
        ui::msgBox(QStringLiteral("You're already logged on; logoff and try again."),
                   ui::Icon::Critical);
    }
}

void SessionController::Logon() {
    shell::MAPIMod& mod = shell_.mod();
    if (!mod.session.isNothing()) {
        ui::msgBox(
            QStringLiteral(
                "You already have a session created.  Try logging off and logging on again."),
            ui::Icon::Critical);
        return;
    }

    // Kept in the module before Logon, as the generated code keeps it.
    mod.session = mapi::createSession();
    const LogonOptions o = logonOptions();

    shell_.AppendLines(
        uR"(
'create a session object if we don't have one already
If {Session} Is Nothing Then
  Set {Session} = CreateObject("MAPI.Session")
End If

'logon to the session
)");

    auto logonLine = shell_.newCode();
    mapi::LogonArgs args;
    if (o.useDynamicProfile) {
        args.profileName = QString();
        args.profilePassword = QString();
        args.showDialog = false;
        args.newSession = true;
        args.parentWindow = 0;
        args.noMail = true;
        args.profileInfo = o.serverName + QLatin1Char('\n') + o.mailboxName;
        if (!logOn(mod, args)) return;
        logonLine
            .line(u"{Session}.Logon \"\", \"\", False, True, 0, True, \"%1\" & vbLf & \"%2\"",
                  {o.serverName, o.mailboxName})
            .blank();
    } else if (o.useProfileName) {
        args.profileName = o.profileName;
        args.profilePassword = o.profilePassword;
        args.showDialog = o.showDialog;
        args.newSession = o.newSession;
        if (!logOn(mod, args)) return;
        logonLine
            .line(
                u"{Session}.Logon ProfileName:=\"%1\", ProfilePassword:=\"%2\", ShowDialog:=%3, "
                u"NewSession:=%4",
                {o.profileName, o.profilePassword, trueFalse(o.showDialog),
                 trueFalse(o.newSession)})
            .blank();
    } else {
        args.showDialog = o.showDialog;
        args.newSession = o.newSession;
        if (!logOn(mod, args)) return;
        logonLine
            .line(u"{Session}.Logon ShowDialog:=%1, NewSession:=%2",
                  {trueFalse(o.showDialog), trueFalse(o.newSession)})
            .blank();
    }
    shell_.AppendCode(logonLine.text());

    mapi::Ref<mapi::InfoStores> oStores = mod.session->InfoStoresOf();
    shell_.AppendLines(
        uR"(
'get a reference to the info stores collection
Set {Stores} = {Session}.InfoStores

)");

    if (oStores.isNothing()) {
        ui::msgBox(QStringLiteral("Unable to get list of information stores."), ui::Icon::Critical);
        return;
    }

    shell_.AppendLines(
        uR"(
'check for error
If {Stores} Is Nothing Then
  'your error handling here
End If

)");

    ui::TreeView& tree = *shell_.tree();
    const std::int32_t count = oStores->Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        const QString id = oStores->Item(i)->ID();
        const QString name = oStores->Item(i)->Name();
        tree.add(1, ui::Relationship::Child, id, name, shell::img::Store, shell::img::StoreSel);
    }

    shell_.AppendLines(
        uR"(
'iterate through the collection of information stores
For {Counter} = 1 To {Stores}.Count
  debug.print {Stores}.Item({Counter}).ID, {Stores}({Counter}).Name
  'you could also store the ID in a variable here, like sStoreID = {Stores}.Item({Counter}).ID
  'or you could assign the store itself to a variable, like Set {Store} = {Stores}.Item({Counter})
Next {Counter}

)");

    tree.setText(1, shell::kRootLoggedOn);
    tree.setExpanded(1, true);

    for (QWidget* control : panel_.filterControls) control->setEnabled(true);
}

void SessionController::LogoffButton_Click() {
    shell::MAPIMod& mod = shell_.mod();
    ui::BusyScope busy;
    try {
        mod.session->Logoff();
        shell_.AppendCode(shell_.newCode().line(u"{Session}.Logoff").blank().text());

        ui::TreeView& tree = *shell_.tree();
        tree.clear();
        tree.add(0, ui::Relationship::Next, QString(), shell::kRootNotLoggedOn, shell::img::Root,
                 shell::img::RootSel);
        mod.session.reset();
        shell_.resetFilterEditor(false);
    } catch (const mapi::Error&) {
        ui::msgBox(QStringLiteral("An error has occurred trying to log off."), ui::Icon::Critical);
    }
    mod.session.reset();
}

}  // namespace session
