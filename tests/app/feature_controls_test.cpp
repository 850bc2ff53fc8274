#include <gtest/gtest.h>

#include <QWidget>

#include "addressbook/AddressBookController.h"
#include "app/MainWindowLayout.h"
#include "browser/BrowserActions.h"
#include "compose/ComposeController.h"
#include "filters/FilterEditor.h"
#include "filters/FilterRunner.h"
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

}  // namespace
