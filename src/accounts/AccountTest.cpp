#include "accounts/AccountTest.h"

#include <QStringList>

#include "messaging/Error.h"
#include "messaging/Progress.h"
#include "store/LibraryDialogs.h"
#include "ui/Dialogs.h"

namespace accounts {

namespace {

QStringList mailboxNames(store::AccountSession& session, mapi::ProgressTask& progress) {
    QStringList names;
    mapi::Ref<mapi::Folders> top = session.infoStore()->RootFolder()->FoldersOf();
    const std::int32_t count = top->Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        names << top->Item(i)->Name();
        if (!progress.step(2 + i, 2 + count)) mapi::raise(mapi::code::UserCancel);
    }
    return names;
}

}  // namespace

void testAccount(store::Db& db, const QString& profile, const store::AccountEntry& account) {
    const QString who = QStringLiteral("%1@%2").arg(account.user, account.server);
    try {
        ui::BusyScope busy;
        mapi::ProgressTask progress(QStringLiteral("Testing %1").arg(who));
        store::AccountLogon logon;
        logon.entry = account;
        if (account.usesOAuth2()) {
            store::attachTokens(logon, db, profile);
        } else {
            logon.password = store::keptPassword(db, profile, account);
            if (logon.password.isEmpty()) logon.password = store::runPasswordDialog(who);
        }
        logon.userName = account.user;
        logon.showDialogs = true;
        logon.pinCertificate = [&db, rid = account.rid](const QString& fingerprint) {
            store::pinCertificate(db, rid, fingerprint);
        };
        if (!progress.step(0, 3)) mapi::raise(mapi::code::UserCancel);
        const std::shared_ptr<store::AccountSession> session = store::openAccount(logon);
        if (!progress.step(1, 3)) mapi::raise(mapi::code::UserCancel);
        const QStringList names = mailboxNames(*session, progress);
        ui::msgBox(QStringLiteral("The account %1 works. Its mailboxes: %2.")
                       .arg(who, names.isEmpty() ? QStringLiteral("none") : names.join(", ")),
                   ui::Icon::Information);
    } catch (const mapi::Error& e) {
        if (e.number() == mapi::code::UserCancel) {
            ui::msgBox(QStringLiteral("The test of %1 was cancelled.").arg(who),
                       ui::Icon::Information);
            return;
        }
        ui::msgBox(QStringLiteral("The account %1 does not work: %2").arg(who, e.description()),
                   ui::Icon::Exclamation);
    }
}

}  // namespace accounts
