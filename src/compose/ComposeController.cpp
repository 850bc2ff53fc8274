#include "compose/ComposeController.h"

#include <QAbstractButton>
#include <QEvent>

#include "compose/MsgForm.h"
#include "shell/Context.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"

namespace compose {

ComposeController::ComposeController(const shell::Context& shell) : shell_(shell) {
    connect(shell.control<QAbstractButton>(QStringLiteral("SendButton")), &QAbstractButton::clicked,
            this, &ComposeController::open);
    shell.window()->installEventFilter(this);
}

ComposeController::~ComposeController() = default;

MsgForm* ComposeController::window() const {
    return msgForm_.get();
}

bool ComposeController::eventFilter(QObject* watched, QEvent* event) {
    // Shutting the main window down unloads an open send window (nothing is
    // saved), so it neither outlives the program's main window nor keeps the
    // program running.
    if (watched == shell_.window() && event->type() == QEvent::Close && msgForm_ &&
        msgForm_->isLoaded())
        msgForm_->unloadForm();
    return QObject::eventFilter(watched, event);
}

void ComposeController::open() {
    if (shell_.mod().session.isNothing()) {
        ui::msgBox(QStringLiteral("You must log in before you can send a message."),
                   ui::Icon::Critical, ui::Buttons::Ok);
        return;
    }
    if (!msgForm_) {
        msgForm_ = std::make_unique<MsgForm>(
            shell_.mod(), [shell = shell_](const QString& text) { shell.AppendCode(text); });
        msgForm_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    if (!msgForm_->isLoaded()) {
        try {
            msgForm_->loadForm();
        } catch (const mapi::Error& e) {
            ui::errorBox(e);
            return;
        }
    }
    if (msgForm_->isMinimized())
        msgForm_->setWindowState(msgForm_->windowState() & ~Qt::WindowMinimized);
    msgForm_->show();
    msgForm_->raise();
    msgForm_->activateWindow();
}

}  // namespace compose
