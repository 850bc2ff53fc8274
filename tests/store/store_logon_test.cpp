// Logon in all its forms, logoff, and the profile chooser driven headlessly.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QSettings>

#include "support/StoreTestUtil.h"

using namespace storetest;
using mapi::code::LogonFailed;
using mapi::code::NotInitialized;
using mapi::code::UserCancel;

namespace {

class Logon : public ::testing::Test {
  protected:
    void SetUp() override {
        installFixture();
        // The chooser offers the profile last chosen in it: each case starts
        // before any choice.
        QSettings().remove(QStringLiteral("LastProfile"));
    }

    static QStringList storeNames(mapi::Session& s) {
        QStringList out;
        auto stores = s.InfoStoresOf();
        for (int i = 1; i <= stores->Count(); ++i) out << stores->Item(i)->Name();
        return out;
    }
};

TEST_F(Logon, NamedProfileWithPasswordOpensItsStores) {
    auto s = logon(QStringLiteral("Secret"), QStringLiteral("pa55"));
    EXPECT_EQ(storeNames(*s), QStringList{QStringLiteral("Archive")});
    // Profile names match without regard to case.
    auto t = logon(QStringLiteral("secret"), QStringLiteral("pa55"));
    EXPECT_EQ(storeNames(*t), QStringList{QStringLiteral("Archive")});
    // A profile without a password ignores the one passed.
    auto u = logon(QStringLiteral("Bare"), QStringLiteral("anything"));
    EXPECT_EQ(storeNames(*u), QStringList{QStringLiteral("Archive")});
}

TEST_F(Logon, WrongPasswordOrUnknownProfileFails) {
    EXPECT_EQ(errorOf([] { logon(QStringLiteral("Secret"), QStringLiteral("nope")); }),
              LogonFailed);
    EXPECT_EQ(errorOf([] { logon(QStringLiteral("Secret"), QString()); }), LogonFailed);
    EXPECT_EQ(errorOf([] { logon(QStringLiteral("Nobody")); }), LogonFailed);
    try {
        logon(QStringLiteral("Nobody"));
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("The logon failed. [MAPI_E_LOGON_FAILED(80040111)]"));
    }
}

TEST_F(Logon, NeitherNameNorDialogTakesTheDefaultProfile) {
    auto s = logon();
    EXPECT_EQ(storeNames(*s),
              (QStringList{QStringLiteral("Archive"), QStringLiteral("Mailbox - Ann Lee")}));
}

TEST_F(Logon, DynamicFormMatchesServerAndMailboxIgnoringCase) {
    auto s = mapi::createSession();
    mapi::LogonArgs a{
        QString(), QString(), false, true, 0, true, QStringLiteral("mailhost\nANN LEE")};
    s->Logon(a);
    EXPECT_EQ(storeNames(*s).size(), 2);

    auto t = mapi::createSession();
    mapi::LogonArgs b{
        QString(), QString(), false, true, 0, true, QStringLiteral("MAILHOST\nSomeone")};
    EXPECT_EQ(errorOf([&] { t->Logon(b); }), LogonFailed);
    EXPECT_EQ(errorOf([&] { t->InfoStoresOf(); }), NotInitialized);
}

TEST_F(Logon, NewSessionFalseSharesTheLoggedOnProfile) {
    auto first = logon(QStringLiteral("Secret"), QStringLiteral("pa55"));
    auto second = mapi::createSession();
    mapi::LogonArgs a;
    a.showDialog = false;
    a.newSession = false;
    second->Logon(a);  // no name: would be the default profile on its own
    EXPECT_EQ(storeNames(*second), QStringList{QStringLiteral("Archive")});

    first->Logoff();
    second->Logoff();
    auto third = mapi::createSession();
    third->Logon(a);
    EXPECT_EQ(storeNames(*third).size(), 2);
}

TEST_F(Logon, LogoffTwiceThrowsAndObjectsNeedALogon) {
    auto s = logon();
    s->Logoff();
    EXPECT_EQ(errorOf([&] { s->Logoff(); }), NotInitialized);
    EXPECT_EQ(errorOf([&] { s->InfoStoresOf(); }), NotInitialized);
    EXPECT_EQ(errorOf([&] { s->Outbox(); }), NotInitialized);
    auto fresh = mapi::createSession();
    EXPECT_EQ(errorOf([&] { fresh->Logoff(); }), NotInitialized);
}

TEST_F(Logon, DialogPreselectsGivenProfileAndOkLogsOn) {
    QString preselected;
    QStringList offered;
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w->objectName(), QStringLiteral("ProfileDialog"));
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Choose Profile"));
        auto* combo = w->findChild<QComboBox*>(QStringLiteral("ProfileCombo"));
        preselected = combo->currentText();
        for (int i = 0; i < combo->count(); ++i) offered << combo->itemText(i);
        combo->setCurrentIndex(combo->findText(QStringLiteral("Secret")));
        w->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    });
    auto s = mapi::createSession();
    mapi::LogonArgs a;
    a.profileName = QStringLiteral("Bare");
    a.profilePassword = QStringLiteral("pa55");
    a.showDialog = true;
    a.newSession = true;
    s->Logon(a);
    EXPECT_EQ(preselected, QStringLiteral("Bare"));
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Default"), QStringLiteral("Secret"),
                                    QStringLiteral("Bare")}));
    EXPECT_EQ(storeNames(*s), QStringList{QStringLiteral("Archive")});
}

TEST_F(Logon, DialogWithoutNamePreselectsDefault_CancelThrowsUserCancel) {
    QString preselected;
    whenModal([&](QWidget* w) {
        preselected = w->findChild<QComboBox*>(QStringLiteral("ProfileCombo"))->currentText();
        w->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    });
    auto s = mapi::createSession();
    mapi::LogonArgs a;
    a.showDialog = true;
    a.newSession = true;
    EXPECT_EQ(errorOf([&] { s->Logon(a); }), UserCancel);
    EXPECT_EQ(preselected, QStringLiteral("Default"));
    EXPECT_EQ(errorOf([&] { s->InfoStoresOf(); }), NotInitialized);
}

// The chooser opens what is picked in it as the owner of the profile folder;
// only when the named profile is kept does the password passed still count.
TEST_F(Logon, DialogChoiceChecksOnlyTheNamedProfilesPassword) {
    struct Case {
        const char* named;
        const char* password;
        const char* picked;
        std::int32_t error;  // 0: opens the picked profile's stores
    };
    const Case cases[] = {
        {"Default", "wrong", "Secret", 0}, {"", "", "Secret", 0},
        {"Secret", "pa55", "Secret", 0},   {"Secret", "wrong", "Secret", LogonFailed},
        {"Secret", "wrong", "Bare", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.named) + "/" + c.password + " -> " + c.picked);
        whenModal([&](QWidget* w) {
            auto* combo = w->findChild<QComboBox*>(QStringLiteral("ProfileCombo"));
            combo->setCurrentIndex(combo->findText(QString::fromLatin1(c.picked)));
            w->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
        });
        auto s = mapi::createSession();
        mapi::LogonArgs a;
        if (*c.named) a.profileName = QString::fromLatin1(c.named);
        if (*c.named) a.profilePassword = QString::fromLatin1(c.password);
        a.showDialog = true;
        a.newSession = true;
        EXPECT_EQ(errorOf([&] { s->Logon(a); }), c.error);
        if (!c.error) {
            EXPECT_EQ(storeNames(*s), QStringList{QStringLiteral("Archive")});
        }
    }
}

}  // namespace
