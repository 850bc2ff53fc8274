// The "Logon Properties" panel rules, the logon in its three forms and the
// logoff, driven through the real main window.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "app/MAPIForm.h"
#include "app/Subsystems.h"
#include "browser/BoxRecorder.h"
#include "browser/BrowserFixture.h"
#include "browser/FakeMailbox.h"
#include "messaging/SessionFactory.h"
#include "session/SessionController.h"
#include "ui/CheckBox.h"
#include "ui/Dialogs.h"
#include "ui/TreeView.h"

using testsupport::crlf;

namespace {

const char* kCreate =
    "'create a session object if we don't have one already\n"
    "If oSession Is Nothing Then\n"
    "  Set oSession = CreateObject(\"MAPI.Session\")\n"
    "End If\n"
    "\n"
    "'logon to the session\n";

const char* kStores =
    "'get a reference to the info stores collection\n"
    "Set oStores = oSession.InfoStores\n"
    "\n";

const char* kCheckAndWalk =
    "'check for error\n"
    "If oStores Is Nothing Then\n"
    "  'your error handling here\n"
    "End If\n"
    "\n"
    "'iterate through the collection of information stores\n"
    "For iLooper = 1 To oStores.Count\n"
    "  debug.print oStores.Item(iLooper).ID, oStores(iLooper).Name\n"
    "  'you could also store the ID in a variable here, like sStoreID = oStores.Item(iLooper).ID\n"
    "  'or you could assign the store itself to a variable, like Set oStore = "
    "oStores.Item(iLooper)\n"
    "Next iLooper\n"
    "\n";

class SessionPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeSession = std::make_shared<fake::FSession>();
        fakeSession->addStore(QStringLiteral("S-1"), QStringLiteral("Mailbox - Jo Doe"));
        fakeSession->addStore(QStringLiteral("S-2"), QStringLiteral("Public Folders"));
        mapi::installSessionFactory([this] {
            ++factoryCalls;
            return mapi::Ref<mapi::Session>(fakeSession);
        });
        form = std::make_unique<app::MAPIForm>();
        form->load(false);
    }
    void TearDown() override {
        form.reset();
        mapi::installSessionFactory(nullptr);
    }

    ui::CheckBox* check(const char* name) const {
        return form->control<ui::CheckBox>(QString::fromLatin1(name));
    }
    QWidget* w(const char* name) const { return form->control(QString::fromLatin1(name)); }
    QLineEdit* text(const char* name) const {
        return form->control<QLineEdit>(QString::fromLatin1(name));
    }
    // The control's own Enabled property, whatever its frame's.
    bool ownEnabled(const char* name) const {
        QWidget* c = w(name);
        return c->isEnabledTo(c->parentWidget());
    }
    void clickButton(const char* name) {
        form->control<QPushButton>(QString::fromLatin1(name))->click();
        EXPECT_FALSE(ui::isBusyPointer());
    }
    void doubleClickNode(std::int32_t index) {
        form->tree()->select(index);
        Q_EMIT form->tree()->nodeDoubleClicked();
        EXPECT_FALSE(ui::isBusyPointer());
    }
    QString code() const { return form->code().text(); }
    ui::TreeView& tree() const { return *form->tree(); }

    std::shared_ptr<fake::FSession> fakeSession;
    std::unique_ptr<app::MAPIForm> form;
    testsupport::BoxRecorder boxes;
    int factoryCalls = 0;
};

// ---- rules A and B ------------------------------------------------------------

TEST_F(SessionPanel, InitialStatesAndOptions) {
    EXPECT_EQ(check("LogonCheck")->value(), 0);
    EXPECT_EQ(check("DynamicCheck")->value(), 0);
    EXPECT_EQ(check("ShowLogCheck")->value(), 1);
    const session::LogonOptions o = form->subsystems().session->logonOptions();
    EXPECT_FALSE(o.useDynamicProfile);
    EXPECT_FALSE(o.useProfileName);
    EXPECT_TRUE(o.showDialog);
    EXPECT_TRUE(o.newSession);
}

TEST_F(SessionPanel, CheckingLogonWhileDynamicIsCheckedRunsRuleBFirst) {
    check("DynamicCheck")->click();
    EXPECT_EQ(check("ShowLogCheck")->value(), 0);
    EXPECT_FALSE(ownEnabled("ShowLogCheck"));
    EXPECT_FALSE(ownEnabled("ProfileFrame"));
    EXPECT_FALSE(ownEnabled("LNameLabel"));
    EXPECT_FALSE(ownEnabled("LPwdLabel"));
    EXPECT_TRUE(ownEnabled("DynamicFrame"));

    check("LogonCheck")->click();
    EXPECT_EQ(check("LogonCheck")->value(), 1);
    EXPECT_EQ(check("DynamicCheck")->value(), 0);
    EXPECT_TRUE(ownEnabled("ShowLogCheck"));
    EXPECT_EQ(check("ShowLogCheck")->value(), 0);  // the earlier value is not restored
    EXPECT_TRUE(ownEnabled("ProfileFrame"));
    EXPECT_TRUE(ownEnabled("LNameLabel"));
    EXPECT_TRUE(ownEnabled("LPwdLabel"));
    EXPECT_FALSE(ownEnabled("DynamicFrame"));
    EXPECT_FALSE(ownEnabled("SNameLabel"));
    EXPECT_FALSE(ownEnabled("MBoxNameLabel"));
}

TEST_F(SessionPanel, CheckingDynamicWhileLogonIsCheckedRunsRuleAFirst) {
    check("LogonCheck")->click();
    EXPECT_FALSE(ownEnabled("DynamicFrame"));
    EXPECT_FALSE(ownEnabled("SNameLabel"));

    check("DynamicCheck")->click();
    EXPECT_EQ(check("DynamicCheck")->value(), 1);
    EXPECT_EQ(check("LogonCheck")->value(), 0);
    EXPECT_EQ(check("ShowLogCheck")->value(), 0);
    EXPECT_FALSE(ownEnabled("ShowLogCheck"));
    EXPECT_TRUE(ownEnabled("DynamicFrame"));
    EXPECT_TRUE(ownEnabled("SNameLabel"));
    EXPECT_TRUE(ownEnabled("MBoxNameLabel"));
    EXPECT_FALSE(ownEnabled("ProfileFrame"));
    EXPECT_FALSE(ownEnabled("LNameLabel"));
    EXPECT_FALSE(ownEnabled("LPwdLabel"));
    EXPECT_EQ(static_cast<QRadioButton*>(w("SessionOpt(0)"))->isChecked(), true);
}

TEST_F(SessionPanel, DynamicFrameStaysDisabledAfterDynamicWasOnceUnchecked) {
    check("DynamicCheck")->click();
    check("DynamicCheck")->click();
    EXPECT_FALSE(ownEnabled("DynamicFrame"));
    EXPECT_TRUE(ownEnabled("ShowLogCheck"));
    check("DynamicCheck")->click();
    EXPECT_FALSE(ownEnabled("DynamicFrame"));  // rule B never enables it
}

TEST_F(SessionPanel, SettingTheSameValueFromCodeRunsNoRule) {
    w("DynamicFrame")->setEnabled(false);
    check("LogonCheck")->setValue(0);  // unchanged: rule A's unchecked branch must not run
    EXPECT_FALSE(ownEnabled("DynamicFrame"));
}

// ---- logon ----------------------------------------------------------------------

TEST_F(SessionPanel, LogonWithShowDialogAndNewSession) {
    clickButton("LogonButton");
    EXPECT_EQ(code(), crlf(kCreate) +
                          crlf("oSession.Logon ShowDialog:=True, NewSession:=True\n\n") +
                          crlf(kStores) + crlf(kCheckAndWalk));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(factoryCalls, 1);
    EXPECT_EQ(form->mod().session.get(), fakeSession.get());
    const mapi::LogonArgs& a = fakeSession->lastLogon;
    EXPECT_EQ(a.showDialog, std::optional<bool>(true));
    EXPECT_EQ(a.newSession, std::optional<bool>(true));
    EXPECT_FALSE(a.profileName || a.profilePassword || a.parentWindow || a.noMail || a.profileInfo);

    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Logged On"));
    EXPECT_TRUE(tree().expanded(1));
    const auto stores = tree().children(1);
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(tree().key(stores[0]), QStringLiteral("S-1"));
    EXPECT_EQ(tree().text(stores[0]), QStringLiteral("Mailbox - Jo Doe"));
    EXPECT_EQ(tree().image(stores[0]), 3);
    EXPECT_EQ(tree().selectedImage(stores[0]), 4);
    EXPECT_EQ(tree().key(stores[1]), QStringLiteral("S-2"));
    for (const char* name : {"FilterCombo", "AddFilterButton", "DelFilterButton"})
        EXPECT_TRUE(w(name)->isEnabled()) << name;
}

TEST_F(SessionPanel, LogonWithProfileNameAndPassword) {
    check("LogonCheck")->click();
    text("PNameText")->setText(QStringLiteral("MS Exchange Settings"));
    text("PPwdText")->setText(QStringLiteral("se\"cret"));
    check("ShowLogCheck")->click();
    static_cast<QRadioButton*>(w("SessionOpt(1)"))->click();
    clickButton("LogonButton");
    EXPECT_EQ(code(), crlf(kCreate) +
                          crlf("oSession.Logon ProfileName:=\"MS Exchange Settings\", "
                               "ProfilePassword:=\"se\"\"cret\", "
                               "ShowDialog:=False, NewSession:=False\n\n") +
                          crlf(kStores) + crlf(kCheckAndWalk));
    const mapi::LogonArgs& a = fakeSession->lastLogon;
    EXPECT_EQ(a.profileName, std::optional<QString>(QStringLiteral("MS Exchange Settings")));
    EXPECT_EQ(a.profilePassword, std::optional<QString>(QStringLiteral("se\"cret")));
    EXPECT_EQ(a.showDialog, std::optional<bool>(false));
    EXPECT_EQ(a.newSession, std::optional<bool>(false));
    EXPECT_FALSE(a.parentWindow || a.noMail || a.profileInfo);
}

TEST_F(SessionPanel, ProfileTextsAreIgnoredWhileLogonCheckIsUnchecked) {
    text("PNameText")->setText(QStringLiteral("Kept"));
    text("PPwdText")->setText(QStringLiteral("pw"));
    clickButton("LogonButton");
    EXPECT_TRUE(code().contains(
        QStringLiteral("oSession.Logon ShowDialog:=True, NewSession:=True\r\n\r\n")));
    EXPECT_FALSE(fakeSession->lastLogon.profileName.has_value());
    EXPECT_EQ(text("PNameText")->text(), QStringLiteral("Kept"));
}

TEST_F(SessionPanel, LogonWithDynamicProfile) {
    check("DynamicCheck")->click();
    text("ServerText")->setText(QStringLiteral("SRV1"));
    text("MBoxText")->setText(QStringLiteral("jdoe"));
    clickButton("LogonButton");
    EXPECT_EQ(
        code(),
        crlf(kCreate) +
            crlf(
                "oSession.Logon \"\", \"\", False, True, 0, True, \"SRV1\" & vbLf & \"jdoe\"\n\n") +
            crlf(kStores) + crlf(kCheckAndWalk));
    const mapi::LogonArgs& a = fakeSession->lastLogon;
    EXPECT_EQ(a.profileName, std::optional<QString>(QString()));
    EXPECT_EQ(a.profilePassword, std::optional<QString>(QString()));
    EXPECT_EQ(a.showDialog, std::optional<bool>(false));
    EXPECT_EQ(a.newSession, std::optional<bool>(true));
    EXPECT_EQ(a.parentWindow, std::optional<std::int64_t>(0));
    EXPECT_EQ(a.noMail, std::optional<bool>(true));
    EXPECT_EQ(a.profileInfo, std::optional<QString>(QStringLiteral("SRV1\njdoe")));
}

TEST_F(SessionPanel, TheTwoAlreadyMessages) {
    clickButton("LogonButton");
    const QString after = code();
    const std::int32_t nodes = tree().count();

    clickButton("LogonButton");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("You're already logged on; logoff and try again."));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Quorvane '99"));

    doubleClickNode(1);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text,
              QStringLiteral(
                  "You already have a session created.  Try logging off and logging on again."));
    EXPECT_EQ(boxes.boxes[1].icon, QStringLiteral("critical"));
    EXPECT_EQ(code(), after);
    EXPECT_EQ(tree().count(), nodes);
    EXPECT_EQ(factoryCalls, 1);
}

TEST_F(SessionPanel, LogonFromTheRootNodeDoubleClick) {
    doubleClickNode(1);
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Logged On"));
    EXPECT_EQ(tree().children(1).size(), 2u);
}

TEST_F(SessionPanel, LogonWithNoStores) {
    fakeSession->stores->items.clear();
    clickButton("LogonButton");
    EXPECT_EQ(code(), crlf(kCreate) +
                          crlf("oSession.Logon ShowDialog:=True, NewSession:=True\n\n") +
                          crlf(kStores) + crlf(kCheckAndWalk));
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Logged On"));
    EXPECT_TRUE(tree().children(1).empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SessionPanel, StoreCollectionOfNothingStopsAfterItsLines) {
    fakeSession->storesNothing = true;
    clickButton("LogonButton");
    EXPECT_EQ(code(), crlf(kCreate) +
                          crlf("oSession.Logon ShowDialog:=True, NewSession:=True\n\n") +
                          crlf(kStores));
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("Unable to get list of information stores.")});
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Not Logged On"));
    EXPECT_FALSE(form->mod().session.isNothing());
    EXPECT_FALSE(w("FilterCombo")->isEnabled());
}

TEST_F(SessionPanel, FailedLogonKeepsTheHalfMadeSession) {
    fakeSession->fail[QStringLiteral("Logon")] = mapi::code::LogonFailed;
    clickButton("LogonButton");
    EXPECT_EQ(code(), crlf(kCreate));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Error #-2147221231 - ") +
                                       mapi::makeError(mapi::code::LogonFailed).description() +
                                       QStringLiteral(" - has occurred."));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(form->mod().session.get(), fakeSession.get());
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Not Logged On"));
    EXPECT_TRUE(tree().children(1).empty());

    // Until the user logs off, every further attempt is refused.
    clickButton("LogonButton");
    EXPECT_EQ(boxes.boxes.back().text,
              QStringLiteral("You're already logged on; logoff and try again."));
    doubleClickNode(1);
    EXPECT_EQ(boxes.boxes.back().text,
              QStringLiteral(
                  "You already have a session created.  Try logging off and logging on again."));
    EXPECT_EQ(factoryCalls, 1);
}

TEST_F(SessionPanel, MissingMessagingLibraryIsReportedAndLeavesNoSession) {
    mapi::installSessionFactory(nullptr);
    clickButton("LogonButton");
    EXPECT_TRUE(code().isEmpty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("Error #-2147219963 - ")));
    EXPECT_TRUE(form->mod().session.isNothing());
}

// ---- logoff ---------------------------------------------------------------------

TEST_F(SessionPanel, LogoffBeforeLogonAppendsNothing) {
    clickButton("LogoffButton");
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("An error has occurred trying to log off.")});
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_TRUE(code().isEmpty());
    EXPECT_EQ(tree().count(), 1);
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Not Logged On"));
    EXPECT_TRUE(form->mod().session.isNothing());
}

TEST_F(SessionPanel, LogoffResetsTreeSessionAndFilterEditor) {
    clickButton("LogonButton");
    doubleClickNode(tree().children(1)[0]);  // opens the store: more nodes and lines
    const QString before = code();
    clickButton("LogoffButton");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(code(), before + crlf("oSession.Logoff\n\n"));
    EXPECT_EQ(tree().count(), 1);
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Not Logged On"));
    EXPECT_EQ(tree().image(1), 9);
    EXPECT_EQ(tree().selectedImage(1), 8);
    EXPECT_TRUE(tree().key(1).isEmpty());
    EXPECT_TRUE(form->mod().session.isNothing());
    EXPECT_EQ(fakeSession->logoffCalls, 1);
    for (const char* name : {"FilterCombo", "AddFilterButton", "DelFilterButton"})
        EXPECT_FALSE(w(name)->isEnabled()) << name;

    // Logged off, a new logon starts from the root again.
    clickButton("LogonButton");
    EXPECT_EQ(factoryCalls, 2);
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Logged On"));
}

TEST_F(SessionPanel, FailingLogoffKeepsTheTreeButDropsTheSession) {
    clickButton("LogonButton");
    const QString before = code();
    const std::int32_t nodes = tree().count();
    fakeSession->fail[QStringLiteral("Logoff")] = mapi::code::CallFailed;
    clickButton("LogoffButton");
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("An error has occurred trying to log off.")});
    EXPECT_EQ(code(), before);
    EXPECT_EQ(tree().count(), nodes);
    EXPECT_EQ(tree().text(1), QStringLiteral("MAPI Session - Logged On"));
    EXPECT_TRUE(form->mod().session.isNothing());
    EXPECT_TRUE(w("FilterCombo")->isEnabled());

    // The stores still shown now fail for want of a session.
    doubleClickNode(tree().children(1)[0]);
    EXPECT_EQ(boxes.boxes.back().text,
              QStringLiteral(
                  "Error #91 - Object variable or With block variable not set - has occurred."));
}

TEST_F(SessionPanel, RenamedSessionVariable) {
    form->mod().names.rename(codegen::Var::Session, QStringLiteral("objSession"));
    form->mod().names.rename(codegen::Var::Stores, QStringLiteral("colStores"));
    clickButton("LogonButton");
    clickButton("LogoffButton");
    QString expected = crlf(kCreate) +
                       crlf("oSession.Logon ShowDialog:=True, NewSession:=True\n\n") +
                       crlf(kStores) + crlf(kCheckAndWalk) + crlf("oSession.Logoff\n\n");
    expected.replace(QStringLiteral("oSession"), QStringLiteral("objSession"));
    expected.replace(QRegularExpression(QStringLiteral("\\boStores\\b")),
                     QStringLiteral("colStores"));
    EXPECT_EQ(code(), expected);
    form->mod().names.rename(codegen::Var::Session, QStringLiteral("oSession"));
    form->mod().names.rename(codegen::Var::Stores, QStringLiteral("oStores"));
}

}  // namespace
