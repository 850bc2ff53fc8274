#include "libdialogs/WidgetDialogs.h"

#include <QSettings>

#include "libdialogs/ProgressWindow.h"
#include "ui/Dialogs.h"

namespace libdialogs {

namespace {

const char* const kLastProfile = "LastProfile";

class WidgetDialogs final : public store::LibraryDialogs {
  public:
    // The chooser offers the profile last chosen in it, unless the logon named
    // one; before any choice, the default.
    QString chooseProfile(const QStringList& profiles, const QString& preselected,
                          bool named) override {
        QSettings settings;
        QString offered = preselected;
        if (!named)
            for (const QString& p : profiles)
                if (p.compare(settings.value(QLatin1String(kLastProfile)).toString(),
                              Qt::CaseInsensitive) == 0)
                    offered = p;
        const QString chosen = showProfileChooser(profiles, offered);
        settings.setValue(QLatin1String(kLastProfile), chosen);
        return chosen;
    }
    std::vector<store::ChosenRecipient> addressBook(mapi::Session& session,
                                                    const mapi::AddressBookArgs& args) override {
        return showAddressBook(session, args);
    }
    void details(mapi::AddressEntry& entry) override { showDetails(entry); }
    QString askPassword(const QString& account) override { return showPasswordDialog(account); }
    bool trustCertificate(const store::UntrustedCertificate& certificate) override {
        return askTrustCertificate(certificate);
    }
    bool signInAgain(const QString& account, const QString& reason) override {
        return ui::msgBox(QStringLiteral("%1\n\nSign %2 in again now? Your browser opens the "
                                         "provider's sign-in page.")
                              .arg(reason, account),
                          ui::Icon::Question, ui::Buttons::YesNo) == ui::Answer::Yes;
    }
};

}  // namespace

void installWidgetDialogs() {
    static WidgetDialogs dialogs;
    store::installLibraryDialogs(&dialogs);
    static ProgressWindow progress;
    mapi::installProgressSink(&progress);
}

}  // namespace libdialogs
