#include "libdialogs/WidgetDialogs.h"

#include "libdialogs/ProgressWindow.h"

namespace libdialogs {

namespace {

class WidgetDialogs final : public store::LibraryDialogs {
  public:
    QString chooseProfile(const QStringList& profiles, const QString& preselected) override {
        return showProfileChooser(profiles, preselected);
    }
    std::vector<store::ChosenRecipient> addressBook(mapi::Session& session,
                                                    const mapi::AddressBookArgs& args) override {
        return showAddressBook(session, args);
    }
    void details(mapi::AddressEntry& entry) override { showDetails(entry); }
    QString askPassword(const QString& account) override { return showPasswordDialog(account); }
};

}  // namespace

void installWidgetDialogs() {
    static WidgetDialogs dialogs;
    store::installLibraryDialogs(&dialogs);
    static ProgressWindow progress;
    mapi::installProgressSink(&progress);
}

}  // namespace libdialogs
