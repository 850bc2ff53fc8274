#include "browser/BrowserActions.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/MAPIForm.h"
#include "browser/DeleteMessage.h"
#include "browser/FindFolder.h"
#include "browser/SaveAttachment.h"
#include "browser/TreeContext.h"

namespace browser {

BrowserActions::BrowserActions(app::MAPIForm& form) : form_(form) {
    connect(form.control<QAbstractButton>(QStringLiteral("FndFolderButton")),
            &QAbstractButton::clicked, this, &BrowserActions::FndFolderButton_Click);
    connect(form.control<QAbstractButton>(QStringLiteral("DeleteMsgButton")),
            &QAbstractButton::clicked, this, &BrowserActions::DeleteMsgButton_Click);
    connect(form.control<QAbstractButton>(QStringLiteral("AttachButton")),
            &QAbstractButton::clicked, this, &BrowserActions::AttachButton_Click);
    form.control<QLineEdit>(QStringLiteral("FldNameText"))->installEventFilter(this);
}

void BrowserActions::FndFolderButton_Click() {
    FindFolder(TreeContext::of(form_),
               form_.control<QLineEdit>(QStringLiteral("FldNameText"))->text());
}

void BrowserActions::DeleteMsgButton_Click() {
    DeleteMessage(TreeContext::of(form_));
}

void BrowserActions::AttachButton_Click() {
    SaveAttachment(TreeContext::of(form_), lastFileName_);
}

bool BrowserActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FndFolderButton_Click();
            form_.control<QAbstractButton>(QStringLiteral("FndFolderButton"))
                ->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace browser
