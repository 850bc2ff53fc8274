#pragma once

// The library's password prompt, shown at logon for a mail-server account whose
// profile keeps no password.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace libdialogs {

class PasswordDialog : public QDialog {
  public:
    explicit PasswordDialog(const QString& account, QWidget* parent = nullptr);

    QString password() const;

  private:
    QLineEdit* password_;
};

}  // namespace libdialogs
