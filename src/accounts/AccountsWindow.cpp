#include "accounts/AccountsWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "accounts/AccountDialog.h"
#include "accounts/AccountTest.h"
#include "messaging/Error.h"
#include "messaging/Progress.h"
#include "oauth/OAuthError.h"
#include "oauth/SignIn.h"
#include "store/Backend.h"
#include "store/StoreBackend.h"
#include "ui/Dialogs.h"

namespace accounts {

namespace {

QString storePath() {
    return store::profilesDir() + QLatin1Char('/') + QLatin1String(store::kStoreFileName);
}

QString accountName(const store::AccountEntry& a) {
    return QStringLiteral("%1@%2").arg(a.user, a.server);
}

QString securityName(const QString& s) {
    if (s.compare(QLatin1String("tls"), Qt::CaseInsensitive) == 0) return QStringLiteral("TLS");
    if (s.compare(QLatin1String("starttls"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("STARTTLS");
    return QStringLiteral("no encryption");
}

// What the accounts list says of an OAuth 2.0 account's tokens.
QString signInState(const store::Db& db, const QString& profile, const store::AccountEntry& a) {
    const std::optional<store::OAuthTokens> t = store::keptTokens(db, profile, a);
    if (!t) return AccountsWindow::tr("OAuth 2.0, not signed in");
    if (!t->expires.isValid() || t->access.isEmpty())
        return AccountsWindow::tr("OAuth 2.0, signed in as %1").arg(a.user);
    const QString until = t->expires.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    if (oauth::needsRefresh(t->expires))
        return t->refresh.isEmpty()
                   ? AccountsWindow::tr(
                         "OAuth 2.0, signed in as %1, token expired %2; sign in again")
                         .arg(a.user, until)
                   : AccountsWindow::tr(
                         "OAuth 2.0, signed in as %1, token renewed at the next logon")
                         .arg(a.user);
    return AccountsWindow::tr("OAuth 2.0, signed in as %1, token valid until %2")
        .arg(a.user, until);
}

QString quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& n : names) quoted << QStringLiteral("\"%1\"").arg(n);
    return quoted.join(QStringLiteral(", "));
}

QPushButton* button(QWidget* parent, const QString& text, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QTreeWidget* list(QWidget* parent, const char* name, const QStringList& columns) {
    auto* t = new QTreeWidget(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setRootIsDecorated(false);
    t->setHeaderLabels(columns);
    t->header()->setStretchLastSection(true);
    return t;
}

// Runs a change the user asked for; a refusal or a failure is shown, and the
// window goes on.
void attempt(const std::function<void()>& change) {
    try {
        change();
    } catch (const store::AdminError& e) {
        ui::msgBox(e.message, ui::Icon::Exclamation);
    } catch (const mapi::Error& e) {
        ui::msgBox(e.description(), ui::Icon::Exclamation);
    }
}

}  // namespace

AccountsWindow::AccountsWindow(QWidget* parent, LoggedOn loggedOn)
    : QWidget(parent, Qt::Window),
      loggedOn_(std::move(loggedOn)),
      profiles_(list(this, "ProfileList", {tr("Profile"), tr("Default")})),
      entries_(list(this, "EntryList", {tr("Name"), tr("Kind"), tr("Settings")})),
      rename_(button(this, tr("&Rename…"), "RenameProfileButton")),
      delete_(button(this, tr("&Delete…"), "DeleteProfileButton")),
      default_(button(this, tr("Make De&fault"), "DefaultProfileButton")),
      add_(button(this, tr("&Add Account…"), "AddAccountButton")),
      edit_(button(this, tr("&Edit Account…"), "EditAccountButton")),
      remove_(button(this, tr("Re&move Account"), "RemoveAccountButton")),
      test_(button(this, tr("&Test Account"), "TestAccountButton")),
      signIn_(button(this, tr("S&ign In…"), "SignInButton")),
      signOut_(button(this, tr("Sign &Out"), "SignOutButton")) {
    setObjectName(QStringLiteral("AccountsWindow"));
    setWindowTitle(tr("Accounts"));
    auto* create = button(this, tr("&New Profile…"), "NewProfileButton");
    auto* close = button(this, tr("Close"), "CloseButton");

    auto* profileButtons = new QVBoxLayout;
    for (QPushButton* b : {create, rename_, delete_, default_}) profileButtons->addWidget(b);
    profileButtons->addStretch();
    auto* entryButtons = new QVBoxLayout;
    for (QPushButton* b : {add_, edit_, remove_, test_, signIn_, signOut_})
        entryButtons->addWidget(b);
    entryButtons->addStretch();
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(profiles_);
    profileRow->addLayout(profileButtons);
    auto* entryRow = new QHBoxLayout;
    entryRow->addWidget(entries_);
    entryRow->addLayout(entryButtons);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("&Profiles:"), this));
    layout->addLayout(profileRow);
    layout->addWidget(new QLabel(tr("Its stores and mail-server accounts:"), this));
    layout->addLayout(entryRow);
    layout->addLayout(bottom);
    resize(620, 440);

    connect(profiles_, &QTreeWidget::currentItemChanged, this, &AccountsWindow::showEntries);
    connect(entries_, &QTreeWidget::currentItemChanged, this, &AccountsWindow::updateButtons);
    connect(create, &QPushButton::clicked, this, &AccountsWindow::newProfile);
    connect(rename_, &QPushButton::clicked, this, &AccountsWindow::renameProfile);
    connect(delete_, &QPushButton::clicked, this, &AccountsWindow::deleteProfile);
    connect(default_, &QPushButton::clicked, this, &AccountsWindow::makeDefault);
    connect(add_, &QPushButton::clicked, this, &AccountsWindow::addAccount);
    connect(edit_, &QPushButton::clicked, this, &AccountsWindow::editAccount);
    connect(remove_, &QPushButton::clicked, this, &AccountsWindow::removeAccount);
    connect(test_, &QPushButton::clicked, this, &AccountsWindow::testAccount);
    connect(signIn_, &QPushButton::clicked, this, &AccountsWindow::signIn);
    connect(signOut_, &QPushButton::clicked, this, &AccountsWindow::signOut);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void AccountsWindow::open() {
    db_.reset();  // another program may have changed the file since
    reload(currentProfile());
    show();
    raise();
    activateWindow();
}

std::shared_ptr<store::Db> AccountsWindow::db(bool create) {
    if (!db_ && (create || QFile::exists(storePath()))) {
        if (create && !store::makeProfilesDir())
            mapi::raise(mapi::code::DiskError,
                        tr("The profile folder %1 cannot be created.").arg(store::profilesDir()));
        db_ = store::Db::open(storePath(), create);
    }
    return db_;
}

void AccountsWindow::reload(const QString& select) {
    // The entry chosen stays chosen while its profile does.
    const QString entry = entries_->currentItem() && select == currentProfile()
                              ? entries_->currentItem()->text(0)
                              : QString();
    listing_.clear();
    try {
        if (std::shared_ptr<store::Db> d = db(false)) listing_ = store::listProfiles(*d);
    } catch (const mapi::Error& e) {
        ui::msgBox(tr("The profiles cannot be read: %1").arg(e.description()),
                   ui::Icon::Exclamation);
    }
    const QSignalBlocker quiet(profiles_);
    profiles_->clear();
    QTreeWidgetItem* chosen = nullptr;
    for (const store::ProfileListing& p : listing_) {
        auto* item = new QTreeWidgetItem(
            profiles_, {p.profile.name, p.profile.isDefault ? tr("yes") : QString()});
        if (p.profile.name.compare(select, Qt::CaseInsensitive) == 0 ||
            (select.isEmpty() && p.profile.isDefault))
            chosen = item;
    }
    if (!chosen && profiles_->topLevelItemCount() > 0) chosen = profiles_->topLevelItem(0);
    profiles_->setCurrentItem(chosen);
    showEntries();
    if (entry.isEmpty()) return;
    const QList<QTreeWidgetItem*> same = entries_->findItems(entry, Qt::MatchExactly, 0);
    if (!same.isEmpty()) entries_->setCurrentItem(same.first());
}

void AccountsWindow::showEntries() {
    entries_->clear();
    const int row =
        profiles_->currentItem() ? profiles_->indexOfTopLevelItem(profiles_->currentItem()) : -1;
    if (row >= 0 && row < static_cast<int>(listing_.size())) {
        const store::ProfileListing& p = listing_[static_cast<std::size_t>(row)];
        for (const QString& s : p.stores) new QTreeWidgetItem(entries_, {s, tr("Local store")});
        for (const store::AccountEntry& a : p.accounts) {
            QStringList settings{tr("port %1, %2").arg(a.port).arg(securityName(a.security))};
            if (!a.caFile.isEmpty()) settings << tr("CA file %1").arg(a.caFile);
            if (!a.fingerprint.isEmpty())
                settings << tr("certificate %1 trusted").arg(a.fingerprint);
            if (a.usesOAuth2())
                settings << signInState(*db_, p.profile.name, a);
            else if (!store::keptPassword(*db_, p.profile.name, a).isEmpty())
                settings << tr("password remembered");
            new QTreeWidgetItem(entries_, {accountName(a), tr("IMAP"), settings.join(", ")});
        }
    }
    updateButtons();
}

void AccountsWindow::updateButtons() {
    const bool profile = profiles_->currentItem() != nullptr;
    for (QPushButton* b : {rename_, delete_, default_, add_}) b->setEnabled(profile);
    const std::optional<store::AccountEntry> a = currentAccount();
    for (QPushButton* b : {edit_, remove_, test_}) b->setEnabled(a.has_value());
    for (QPushButton* b : {signIn_, signOut_}) b->setEnabled(a && a->usesOAuth2());
}

QString AccountsWindow::currentProfile() const {
    return profiles_->currentItem() ? profiles_->currentItem()->text(0) : QString();
}

std::optional<store::AccountEntry> AccountsWindow::currentAccount() const {
    const int row =
        profiles_->currentItem() ? profiles_->indexOfTopLevelItem(profiles_->currentItem()) : -1;
    if (row < 0 || row >= static_cast<int>(listing_.size()) || !entries_->currentItem())
        return std::nullopt;
    const store::ProfileListing& p = listing_[static_cast<std::size_t>(row)];
    const int at =
        entries_->indexOfTopLevelItem(entries_->currentItem()) - static_cast<int>(p.stores.size());
    if (at < 0 || at >= static_cast<int>(p.accounts.size())) return std::nullopt;
    return p.accounts[static_cast<std::size_t>(at)];
}

bool AccountsWindow::refusedWhileLoggedOn(const QString& profile, const QString& doing) {
    const std::optional<store::LoggedOnProfile> on = loggedOn_ ? loggedOn_() : std::nullopt;
    if (!on || !db_) return false;
    if (QFileInfo(on->storePath).canonicalFilePath() != QFileInfo(storePath()).canonicalFilePath())
        return false;
    const std::optional<store::Profile> p = store::findProfile(store::loadProfiles(*db_), profile);
    if (!p || p->rid != on->profile) return false;
    ui::msgBox(tr("The profile \"%1\" is logged on. Log off before %2 it.").arg(profile, doing),
               ui::Icon::Exclamation);
    return true;
}

void AccountsWindow::newProfile() {
    const QString name = ui::inputBox(tr("Name of the new profile:"), tr("New Profile"));
    if (name.trimmed().isEmpty()) return;
    attempt([&] {
        const store::Profile made = store::createProfile(*db(true), name);
        reload(made.name);
    });
}

void AccountsWindow::renameProfile() {
    const QString old = currentProfile();
    if (old.isEmpty() || refusedWhileLoggedOn(old, tr("renaming"))) return;
    const QString name =
        ui::inputBox(tr("New name of the profile \"%1\":").arg(old), tr("Rename Profile"), old);
    if (name.trimmed().isEmpty() || name.trimmed() == old) return;
    attempt([&] {
        const store::Profile renamed = store::renameProfile(*db_, old, name);
        reload(renamed.name);
    });
}

void AccountsWindow::deleteProfile() {
    const QString name = currentProfile();
    if (name.isEmpty() || refusedWhileLoggedOn(name, tr("deleting"))) return;
    if (ui::msgBox(tr("Delete the profile \"%1\"? Its mail-server accounts and their remembered "
                      "passwords are removed with it.")
                       .arg(name),
                   ui::Icon::Question, ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    attempt([&] {
        bool withStores = false;
        if (const QStringList own = store::ownStores(*db_, name); !own.isEmpty()) {
            // The stores hold mail no other profile shows: gone with them, it is
            // gone for good, so this is asked apart and named.
            withStores =
                ui::msgBox(tr("Also delete the local stores of \"%1\", with all the mail in them: "
                              "%2? No keeps them in the store file.")
                               .arg(name, quotedList(own)),
                           ui::Icon::Question, ui::Buttons::YesNo) == ui::Answer::Yes;
        }
        store::removeProfile(*db_, name, withStores);
        reload(QString());
    });
}

void AccountsWindow::makeDefault() {
    const QString name = currentProfile();
    if (name.isEmpty()) return;
    attempt([&] {
        store::setDefaultProfile(*db_, name);
        reload(name);
    });
}

void AccountsWindow::addAccount() {
    const QString profile = currentProfile();
    if (profile.isEmpty()) return;
    AccountDialog dialog(ui::dialogParent(), std::nullopt, false);
    if (dialog.exec() != QDialog::Accepted) return;
    attempt([&] { store::saveAccount(*db_, profile, std::nullopt, dialog.entry(), false); });
    reload(profile);
}

void AccountsWindow::editAccount() {
    const QString profile = currentProfile();
    const std::optional<store::AccountEntry> before = currentAccount();
    if (!before) return;
    const bool kept = !store::keptPassword(*db_, profile, *before).isEmpty();
    AccountDialog dialog(ui::dialogParent(), before, kept);
    if (dialog.exec() != QDialog::Accepted) return;
    attempt([&] { store::saveAccount(*db_, profile, before, dialog.entry(), dialog.remember()); });
    reload(profile);
}

void AccountsWindow::removeAccount() {
    const QString profile = currentProfile();
    const std::optional<store::AccountEntry> a = currentAccount();
    if (!a) return;
    if (ui::msgBox(tr("Remove the account %1 from the profile \"%2\"? Its remembered password "
                      "and its cached headers go with it; the mail on the server stays.")
                       .arg(accountName(*a), profile),
                   ui::Icon::Question, ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    attempt([&] { store::removeAccount(*db_, profile, a->server, a->user); });
    reload(profile);
}

void AccountsWindow::testAccount() {
    const QString profile = currentProfile();
    if (const std::optional<store::AccountEntry> a = currentAccount()) {
        accounts::testAccount(*db_, profile, *a);
        reload(profile);  // a certificate trusted during the test shows
    }
}

void AccountsWindow::signIn() {
    const QString profile = currentProfile();
    const std::optional<store::AccountEntry> a = currentAccount();
    if (!a || !a->usesOAuth2()) return;
    try {
        const oauth::Tokens t = [&] {
            ui::BusyScope busy;
            mapi::ProgressTask waiting(
                tr("Waiting for the browser to sign %1 in").arg(accountName(*a)));
            return oauth::signInWithBrowser(
                oauth::ClientSettings{QUrl(a->authorizeUrl), QUrl(a->tokenUrl), a->scope,
                                      a->clientId, a->clientSecret},
                a->user, [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                [&waiting] { return waiting.step(0, 1); });
        }();
        store::keepTokens(*db_, profile, *a, {t.access, t.refresh, t.expires});
    } catch (const oauth::Error& e) {
        ui::msgBox(tr("The sign-in of %1 did not succeed: %2").arg(accountName(*a), e.message()),
                   ui::Icon::Exclamation);
    } catch (const mapi::Error& e) {
        ui::msgBox(e.description(), ui::Icon::Exclamation);
    }
    reload(profile);
}

void AccountsWindow::signOut() {
    const QString profile = currentProfile();
    const std::optional<store::AccountEntry> a = currentAccount();
    if (!a || !a->usesOAuth2()) return;
    attempt([&] { store::forgetTokens(*db_, profile, *a); });
    reload(profile);
}

}  // namespace accounts
