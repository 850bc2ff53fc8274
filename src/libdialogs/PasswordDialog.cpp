#include "libdialogs/PasswordDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

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
    label->setBuddy(password_);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(password_, 1);
    QHBoxLayout* buttons = okCancelRow(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(accountLabel);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(320);
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
