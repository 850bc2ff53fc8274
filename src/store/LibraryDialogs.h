#pragma once

// The messaging library's own modal dialogs. The store only asks for them:
// the windows live in the widget layer, which installs them at start-up, so
// the store and its tool need no widgets and tests can answer without one.
// With nothing installed every request is cancelled, as by the user.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "messaging/Objects.h"

namespace store {

struct ChosenRecipient {
    QString name;
    QString address;
    QString addressType;    // "SMTP", "MAPIPDL" ...
    std::int32_t type = 1;  // 1 To, 2 Cc, 3 Bcc
    std::int32_t displayType = 0;
    QString entryId;
};

// A mail server's certificate that does not verify, as the user is shown it.
struct UntrustedCertificate {
    QString account;  // "user@server"
    QString subject;
    QString issuer;
    QDateTime validFrom;
    QDateTime validUntil;
    QString fingerprint;  // SHA-256, colon-separated hex pairs
    QString reason;
};

class LibraryDialogs {
  public:
    virtual ~LibraryDialogs() = default;
    // `preselected` is the profile the logon named (`named`), else the default
    // one, which the windows may replace by the one last chosen.
    virtual QString chooseProfile(const QStringList& profiles, const QString& preselected,
                                  bool named) = 0;
    virtual std::vector<ChosenRecipient> addressBook(mapi::Session& session,
                                                     const mapi::AddressBookArgs& args) = 0;
    virtual void details(mapi::AddressEntry& entry) = 0;
    virtual QString askPassword(const QString& account) = 0;
    // The password of a protected profile that a logon naming it left out;
    // nullopt (the windows' answer) checks the empty one.
    virtual std::optional<QString> profilePassword(const QString& /*profile*/) {
        return std::nullopt;
    }
    // Whether to trust exactly this certificate for the account from now on.
    // Runs without a user to ask refuse it: the logon then fails naming the
    // fingerprint, which the user can accept in the accounts window.
    virtual bool trustCertificate(const UntrustedCertificate& /*certificate*/) { return false; }
    // Whether to sign the OAuth 2.0 account ("user@server") in again now, its
    // sign-in being missing or no longer accepted (`reason`). Runs without a
    // user to ask refuse: the logon then fails saying to sign in again.
    virtual bool signInAgain(const QString& /*account*/, const QString& /*reason*/) {
        return false;
    }
};

// Makes `dialogs` (not owned; nullptr for none) the ones shown from now on and
// returns the ones it replaces.
LibraryDialogs* installLibraryDialogs(LibraryDialogs* dialogs);

// Window "ProfileDialog" titled "Choose Profile": combo "ProfileCombo"
// preselected with `preselected`, buttons "OkButton" and "CancelButton".
// Returns the chosen profile name; Cancel throws MAPI_E_USER_CANCEL.
QString runProfileChooser(const QStringList& profiles, const QString& preselected, bool named);

// Window "AddressBookDialog" with the given title: combo "AddressListCombo" of
// the session's address lists, list "EntryList" of the chosen list's entries,
// for each of the args.recipLists (1 to 3) lists a button "ToButton" /
// "CcButton" / "BccButton" captioned with the labels and a list "ToList" /
// "CcList" / "BccList" pre-filled from args.recipients. "OkButton" returns the
// recipients in the lists (To, then Cc, then Bcc); "CancelButton" or closing
// the window throws MAPI_E_USER_CANCEL. args.oneAddress limits the choice to
// one entry.
std::vector<ChosenRecipient> runAddressBook(mapi::Session& session,
                                            const mapi::AddressBookArgs& args);

// Window "DetailsDialog" showing the entry's name, address, type, alias and
// fields, closed by "OkButton".
void runDetails(mapi::AddressEntry& entry);

// Window "PasswordDialog" titled "Mail Server Logon", asking for the password
// of `account` ("user@server") in the password box "PasswordText". "OkButton"
// returns what was typed; "CancelButton" or closing the window throws
// MAPI_E_USER_CANCEL.
QString runPasswordDialog(const QString& account);

// The installed dialogs' trustCertificate; false with none installed.
bool runTrustCertificate(const UntrustedCertificate& certificate);
// The installed dialogs' signInAgain; false with none installed.
bool runSignInAgain(const QString& account, const QString& reason);

// The installed dialogs' profilePassword; nullopt with none installed.
std::optional<QString> runProfilePassword(const QString& profile);

}  // namespace store
