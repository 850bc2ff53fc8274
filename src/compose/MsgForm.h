#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "messaging/Objects.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace shell {
struct MAPIMod;
}

namespace compose {

// The send-a-message window. It is modeless and kept for the whole run; it is
// "loaded" (holds a new Outbox message and shows empty controls) from Open until
// Cancel, Send or a close by its frame, which unload it again.
class MsgForm : public QDialog {
    Q_OBJECT
  public:
    using AppendFn = std::function<void(const QString&)>;

    MsgForm(shell::MAPIMod& mod, AppendFn appendCode, QWidget* parent = nullptr);
    ~MsgForm() override;

    // Form_Load: creates the message in the session's Outbox. A messaging
    // failure propagates (mapi::Error) and leaves the window unloaded.
    void loadForm();
    // Releases the message and the chosen recipients, puts every control back
    // to its initial value and hides the window. Never saves anything.
    void unloadForm();
    bool isLoaded() const { return loaded_; }

    // The actions, as the buttons run them.
    void AddressButton_Click();
    void AttachButton_Click();
    void RemoveButton_Click();
    void CancelButton_Click();
    void SendButton_Click();

    // The importance the option buttons stand for: 0 low, 1 normal, 2 high.
    int importance() const;
    // The body text as the multi-line text box holds it (CR LF line breaks).
    QString bodyText() const;

    const mapi::Ref<mapi::Message>& newMessage() const { return oNewMsg_; }
    const mapi::Ref<mapi::Recipients>& chosenRecipients() const { return oChosenRecips_; }

  public Q_SLOTS:
    // Esc presses CancelButton.
    void reject() override;

  protected:
    // A close by the frame unloads without running any action.
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void resetControls();
    QListWidget* recipList(int type) const;

    shell::MAPIMod& mod_;
    AppendFn appendCode_;
    bool loaded_ = false;

    mapi::Ref<mapi::Message> oNewMsg_;
    mapi::Ref<mapi::Recipients> oChosenRecips_;

    QLineEdit* subjectText_ = nullptr;
    QListWidget* recipLists_[3] = {nullptr, nullptr, nullptr};
    QPushButton* addressButton_ = nullptr;
    QPlainTextEdit* msgText_ = nullptr;
    QListWidget* attachList_ = nullptr;
    QPushButton* attachButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QGroupBox* importanceFrame_ = nullptr;
    QRadioButton* importOptions_[3] = {nullptr, nullptr, nullptr};
    QCheckBox* deliveryCheck_ = nullptr;
    QCheckBox* readCheck_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace compose
