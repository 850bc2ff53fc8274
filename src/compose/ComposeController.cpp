#include "compose/ComposeController.h"

#include <QAbstractButton>
#include <QEvent>

#include "app/MAPIForm.h"
#include "compose/MsgForm.h"
#include "ui/Dialogs.h"

namespace compose {

ComposeController::ComposeController(app::MAPIForm& form) : form_(form) {
    connect(form.control<QAbstractButton>(QStringLiteral("SendButton")), &QAbstractButton::clicked,
            this, &ComposeController::open);
    form.installEventFilter(this);
}

ComposeController::~ComposeController() = default;

MsgForm* ComposeController::window() const {
    return msgForm_.get();
}

bool ComposeController::eventFilter(QObject* watched, QEvent* event) {
    // Shutting the main window down unloads an open send window (nothing is
    // saved), so it neither outlives the program's main window nor keeps the
    // program running.
    if (watched == &form_ && event->type() == QEvent::Close && msgForm_ && msgForm_->isLoaded())
        msgForm_->unloadForm();
    return QObject::eventFilter(watched, event);
}

void ComposeController::open() {
    if (form_.mod().session.isNothing()) {
        ui::msgBox(QStringLiteral("You must log in before you can send a message."),
                   ui::Icon::Critical, ui::Buttons::Ok);
        return;
    }
    if (!msgForm_) {
        app::MAPIForm* main = &form_;
        msgForm_ = std::make_unique<MsgForm>(
            form_.mod(), [main](const QString& text) { main->AppendCode(text); });
        msgForm_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    if (!msgForm_->isLoaded()) {
        try {
            msgForm_->loadForm();
        } catch (const mapi::Error& e) {
            ui::msgBox(QStringLiteral("Error #") + QString::number(e.number()) +
                           QStringLiteral(" - ") + e.description() +
                           QStringLiteral(" - has occurred."),
                       ui::Icon::Critical, ui::Buttons::Ok);
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
