#pragma once

#include <QDialog>
#include <optional>

#include "store/Accounts.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace accounts {

// An IMAP account's settings, as entered: "ServerText", "PortText",
// "SecurityCombo" (None, STARTTLS, TLS), "UserText", "PasswordText",
// "RememberCheck", "CaFileText" with "CaFileButton", "AuthCombo" (Password,
// OAuth 2.0) with "AuthorizeUrlText", "TokenUrlText", "ScopeText",
// "ClientIdText" and "ClientSecretText", then "OkButton" and "CancelButton".
// OK is taken only when the settings can be used.
class AccountDialog : public QDialog {
  public:
    // `before` fills the fields when an account is edited; its password is not
    // shown, and an empty one keeps it.
    AccountDialog(QWidget* parent, const std::optional<store::AccountEntry>& before,
                  bool passwordKept);

    store::AccountEntry entry() const;  // the password only when it is to be remembered
    bool remember() const;

  private:
    void securityChanged();
    void authChanged();
    void chooseCaFile();
    void accept() override;

    std::optional<store::AccountEntry> before_;
    QLineEdit* server_;
    QLineEdit* port_;
    QComboBox* security_;
    QLineEdit* user_;
    QLineEdit* password_;
    QCheckBox* remember_;
    QLineEdit* caFile_;
    QComboBox* auth_;
    QLineEdit* authorizeUrl_;
    QLineEdit* tokenUrl_;
    QLineEdit* scope_;
    QLineEdit* clientId_;
    QLineEdit* clientSecret_;
};

}  // namespace accounts
