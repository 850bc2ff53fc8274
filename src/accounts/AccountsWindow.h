#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "store/Database.h"
#include "store/ProfileAdmin.h"

class QPushButton;
class QTreeWidget;

namespace accounts {

// File > Accounts…: the profiles of the profile folder, each with its local
// stores and mail-server accounts. Profiles are created, renamed, deleted and
// made the default here; accounts are added, edited, removed and tested, and
// OAuth 2.0 accounts signed in and out. The
// profile a session is logged on to is neither renamed nor deleted.
class AccountsWindow : public QWidget {
    Q_OBJECT
  public:
    using LoggedOn = std::function<std::optional<store::LoggedOnProfile>()>;
    AccountsWindow(QWidget* parent, LoggedOn loggedOn);

    // Shown with the profiles as the store file has them now.
    void open();

  private:
    void reload(const QString& select);
    void showEntries();
    void updateButtons();
    QString currentProfile() const;
    std::optional<store::AccountEntry> currentAccount() const;
    bool refusedWhileLoggedOn(const QString& profile, const QString& doing);
    std::shared_ptr<store::Db> db(bool create);

    void newProfile();
    void renameProfile();
    void deleteProfile();
    void makeDefault();
    void addAccount();
    void editAccount();
    void removeAccount();
    void testAccount();
    void signIn();
    void signOut();

    LoggedOn loggedOn_;
    std::shared_ptr<store::Db> db_;
    std::vector<store::ProfileListing> listing_;
    QTreeWidget* profiles_;
    QTreeWidget* entries_;
    QPushButton* rename_;
    QPushButton* delete_;
    QPushButton* default_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* remove_;
    QPushButton* test_;
    QPushButton* signIn_;
    QPushButton* signOut_;
};

}  // namespace accounts
