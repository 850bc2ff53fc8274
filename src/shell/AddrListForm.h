#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

#include "messaging/Objects.h"

class QListWidget;
class QPushButton;

namespace shell {

// The address-book chooser. Caller protocol: set oSession, exec() (modal),
// read iAction (1 = cancelled: stop silently), then sAddrListName. The three
// public variables keep their values after the window has closed.
class AddrListForm : public QDialog {
    Q_OBJECT
  public:
    explicit AddrListForm(QWidget* parent = nullptr);
    ~AddrListForm() override;

    mapi::Ref<mapi::Session> oSession;
    std::int32_t iAction = 0;
    QString sAddrListName;

    // Window activation: lists the session's address books once per showing.
    void FormActivate();
    // ActionButton(index) click: 0 OK, 1 Cancel. A double-click on the list is OK.
    void ActionButton_Click(int index);

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void closeWindow(int result);

    QListWidget* list_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    bool bOffline_ = false;
    bool closingByButton_ = false;
};

}  // namespace shell
