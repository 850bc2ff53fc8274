#pragma once

#include <QObject>
#include <QPointer>

namespace shell {
struct MAPIMod;
}

namespace importmail {

class ImportWindow;

// File > Import Mail… opens the import window (one for the program).
class ImportMailController : public QObject {
    Q_OBJECT
  public:
    ImportMailController(QWidget* mainWindow, shell::MAPIMod& mod);

  private:
    QWidget* main_;
    shell::MAPIMod& mod_;
    QPointer<ImportWindow> window_;
};

}  // namespace importmail
