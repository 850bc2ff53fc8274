#include "libdialogs/PasswordDialog.h"

#include <QLabel>
#include <QLineEdit>

#include "libdialogs/OkCancelRow.h"
#include "libdialogs/WidgetDialogs.h"
#include "messaging/Error.h"
#include "ui/Dialogs.h"

namespace libdialogs {

PasswordDialog::PasswordDialog(const QString& account, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(QStringLiteral("Mail Server Logon"));
    setWindowModality(Qt::ApplicationModal);

    auto* accountLabel = new QLabel(QStringLiteral("Account:  ") + account, this);
    accountLabel->setObjectName(QStringLiteral("AccountLabel"));
    auto* label = new QLabel(QStringLiteral("Password:"), this);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("PasswordText"));
    password_->setEchoMode(QLineEdit::Password);
    layOutOneField(this, accountLabel, label, password_);
    password_->setFocus();
}

QString PasswordDialog::password() const {
    return password_->text();
}

QString showPasswordDialog(const QString& account) {
    PasswordDialog dialog(account, ui::dialogParent());
    // Closing by the frame or Escape rejects, which is a cancel like the button.
    if (dialog.exec() != QDialog::Accepted) mapi::raise(mapi::code::UserCancel);
    return dialog.password();
}

}  // namespace libdialogs
