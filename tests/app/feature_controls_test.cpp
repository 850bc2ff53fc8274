#include <gtest/gtest.h>

#include <QAction>
#include <QWidget>

#include "addressbook/AddressBookController.h"
#include "app/MainWindowLayout.h"
#include "browser/BrowserActions.h"
#include "codefiles/CodeFilesController.h"
#include "codewindow/CodeTextEdit.h"
#include "codewindow/CodeWindow.h"
#include "compose/ComposeController.h"
#include "filters/FilterEditor.h"
#include "filters/FilterRunner.h"
#include "immediate/CodeRunController.h"
#include "importmail/ImportMailController.h"
#include "session/SessionController.h"
#include "shell/Context.h"
#include "ui/TreeView.h"

namespace {

// Every feature over the main window's panel, as the start-up makes them.
void makeFeatures(const shell::Context& context) {
    session::SessionController session(context);
    browser::BrowserActions browser(context);
    filters::FilterEditor editor(context);
    filters::FilterRunner runner(context);
    compose::ComposeController compose(context);
    addressbook::AddressBookController addressBook(context);
}

// Controls the features read only inside a click: a wrong name among them must
// still stop the start, not the click that first needs it.
class MissingControl : public ::testing::TestWithParam<const char*> {};

TEST_P(MissingControl, StopsTheFeaturesWhenTheyAreMade) {
    QWidget window;
    app::buildMainWindow(&window);
    QWidget* control = window.findChild<QWidget*>(QString::fromLatin1(GetParam()));
    ASSERT_NE(control, nullptr);
    control->setObjectName(QStringLiteral("Renamed"));
    shell::MAPIMod mod;
    const shell::Context context(&window, window.findChild<ui::TreeView*>("MAPITree"), &mod,
                                 [](const QString&) {});
    try {
        makeFeatures(context);
        FAIL() << "the features were made without " << GetParam();
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()), std::string("no control named ") + GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Features, MissingControl,
                         ::testing::Values("PNameText", "MBoxText", "LPwdLabel", "MBoxNameLabel",
                                           "FldNameText", "NotCheck", "AndOrOption(0)",
                                           "ClearCriteriaCheck", "FilterOption(0)",
                                           "DelFilterButton", "SendButton", "AddAddrButton"));

// The menu entries the Run and code-file features answer: a wrong name stops
// them when they are made, not when the entry is first chosen.
class MissingAction : public ::testing::TestWithParam<const char*> {};

TEST_P(MissingAction, StopsTheMenuFeaturesWhenTheyAreMade) {
    QWidget window;
    const app::MainWindowParts parts = app::buildMainWindow(&window);
    auto* action = window.findChild<QAction*>(QString::fromLatin1(GetParam()));
    ASSERT_NE(action, nullptr);
    action->setObjectName(QStringLiteral("Renamed"));
    codewindow::CodeWindow code(parts.code);
    shell::MAPIMod mod;
    try {
        immediate::CodeRunController runner(&window, code, mod);
        codefiles::CodeFilesController files(&window, code);
        importmail::ImportMailController importMail(&window, mod);
        FAIL() << "the features were made without " << GetParam();
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()), std::string("no action named ") + GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Menus, MissingAction,
                         ::testing::Values("RunAction", "StopAction", "ImmediateAction",
                                           "OpenCodeAction", "SaveCodeAction",
                                           "RecentCodeAction(5)", "ImportMailAction"));

}  // namespace
