#pragma once

#include <QObject>
#include <QPointer>

namespace shell {
struct MAPIMod;
}

namespace accounts {

class AccountsWindow;

// File > Accounts… opens the accounts window (one for the program).
class AccountsController : public QObject {
    Q_OBJECT
  public:
    AccountsController(QWidget* mainWindow, shell::MAPIMod& mod);

  private:
    QWidget* main_;
    shell::MAPIMod& mod_;
    QPointer<AccountsWindow> window_;
};

}  // namespace accounts
