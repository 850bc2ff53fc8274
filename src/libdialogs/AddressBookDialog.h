#pragma once

// The library's address-book dialog, shown by Session.AddressBook: pick
// entries from the session's address lists into up to three recipient lists.

#include <QDialog>
#include <QString>
#include <array>
#include <vector>

#include "messaging/Objects.h"
#include "store/LibraryDialogs.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace libdialogs {

class AddressBookDialog : public QDialog {
  public:
    // Throws MAPI_E_INVALID_PARAMETER when args.recipLists is outside 1 to 3.
    AddressBookDialog(mapi::Session& session, const mapi::AddressBookArgs& args,
                      QWidget* parent = nullptr);

    // The recipients in the lists: To, then Cc, then Bcc, each in list order.
    std::vector<store::ChosenRecipient> chosen() const;

    // Adds the entries selected in "EntryList" to recipient list `type` (1 To,
    // 2 Cc, 3 Bcc); what the list buttons do.
    void addSelected(int type);
    // Removes the selected recipients from every recipient list.
    void removeSelected();

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void loadAddressLists();
    void showAddressList(int index);
    void findName(const QString& start);
    void prefill(const mapi::Ref<mapi::Recipients>& recipients);
    void completeFromLists(store::ChosenRecipient& r);
    void addRecipient(const store::ChosenRecipient& r);
    void refreshList(int type);
    bool resolveAll();

    mapi::Session& session_;
    bool oneAddress_ = false;
    bool forceResolution_ = false;
    int recipLists_ = 1;

    QComboBox* listCombo_ = nullptr;
    QLineEdit* search_ = nullptr;
    QListWidget* entryList_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    std::vector<mapi::Ref<mapi::AddressList>> addressLists_;
    std::vector<mapi::Ref<mapi::AddressEntry>> entries_;  // rows of entryList_
    QStringList names_;                                   // their display names
    // Recipients by type (index 0 To, 1 Cc, 2 Bcc). A type without a visible
    // list still keeps what the caller passed in, so nothing is lost.
    std::array<std::vector<store::ChosenRecipient>, 3> recips_;
    std::array<QListWidget*, 3> recipWidgets_{};
};

}  // namespace libdialogs
