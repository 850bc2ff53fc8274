#include "store/LibraryDialogs.h"

#include <utility>

#include "messaging/Error.h"

namespace store {

namespace {
LibraryDialogs* installed = nullptr;

LibraryDialogs& dialogs() {
    if (!installed) mapi::raise(mapi::code::UserCancel);
    return *installed;
}
}  // namespace

LibraryDialogs* installLibraryDialogs(LibraryDialogs* dialogs) {
    return std::exchange(installed, dialogs);
}

QString runProfileChooser(const QStringList& profiles, const QString& preselected, bool named) {
    return dialogs().chooseProfile(profiles, preselected, named);
}

std::vector<ChosenRecipient> runAddressBook(mapi::Session& session,
                                            const mapi::AddressBookArgs& args) {
    return dialogs().addressBook(session, args);
}

void runDetails(mapi::AddressEntry& entry) {
    dialogs().details(entry);
}

QString runPasswordDialog(const QString& account) {
    return dialogs().askPassword(account);
}

bool runTrustCertificate(const UntrustedCertificate& certificate) {
    return installed && installed->trustCertificate(certificate);
}

bool runSignInAgain(const QString& account, const QString& reason) {
    return installed && installed->signInAgain(account, reason);
}

std::optional<QString> runProfilePassword(const QString& profile) {
    return installed ? installed->profilePassword(profile) : std::nullopt;
}

}  // namespace store
