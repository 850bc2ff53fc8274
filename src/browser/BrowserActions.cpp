#include "browser/BrowserActions.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

#include "browser/DeleteMessage.h"
#include "browser/FindFolder.h"
#include "browser/SaveAttachment.h"
#include "browser/TreeContext.h"
#include "shell/Context.h"

namespace browser {

BrowserActions::BrowserActions(const shell::Context& shell)
    : shell_(shell),
      fldNameText_(shell.control<QLineEdit>(QStringLiteral("FldNameText"))),
      fndFolderButton_(shell.control<QAbstractButton>(QStringLiteral("FndFolderButton"))) {
    connect(fndFolderButton_, &QAbstractButton::clicked, this,
            &BrowserActions::FndFolderButton_Click);
    connect(shell.control<QAbstractButton>(QStringLiteral("DeleteMsgButton")),
            &QAbstractButton::clicked, this, &BrowserActions::DeleteMsgButton_Click);
    connect(shell.control<QAbstractButton>(QStringLiteral("AttachButton")),
            &QAbstractButton::clicked, this, &BrowserActions::AttachButton_Click);
    fldNameText_->installEventFilter(this);
}

void BrowserActions::FndFolderButton_Click() {
    FindFolder(TreeContext::of(shell_), fldNameText_->text());
}

void BrowserActions::DeleteMsgButton_Click() {
    DeleteMessage(TreeContext::of(shell_));
}

void BrowserActions::AttachButton_Click() {
    SaveAttachment(TreeContext::of(shell_), lastFileName_);
}

bool BrowserActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FndFolderButton_Click();
            fndFolderButton_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace browser
