#pragma once

// The library's dialogs as real Qt windows, scriptable by their objectNames and
// shown over the active window.

#include "store/LibraryDialogs.h"

namespace libdialogs {

QString showProfileChooser(const QStringList& profiles, const QString& preselected);
std::vector<store::ChosenRecipient> showAddressBook(mapi::Session& session,
                                                    const mapi::AddressBookArgs& args);
void showDetails(mapi::AddressEntry& entry);
QString showPasswordDialog(const QString& account);
bool askTrustCertificate(const store::UntrustedCertificate& certificate);

// Installs the windows above as the store's dialogs, and the progress window as
// the back-ends' progress sink, for the rest of the run.
void installWidgetDialogs();

}  // namespace libdialogs
