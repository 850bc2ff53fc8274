// The constant names the generated code gives recipient and display types:
// each known value its name, and nothing for a value beside the list, at
// either end, as mail from elsewhere may carry one.
#include <gtest/gtest.h>

#include "browser/FillRecipientDetails.h"

namespace {

TEST(RecipientNames, KnownValuesAndNothingBesideTheList) {
    EXPECT_EQ(browser::displayTypeName(0), "CdoUser");
    EXPECT_EQ(browser::displayTypeName(6), "CdoRemoteUser");
    EXPECT_EQ(browser::displayTypeName(7), "");
    EXPECT_EQ(browser::displayTypeName(-1), "");
    EXPECT_EQ(browser::recipientTypeName(1), "CdoTo");
    EXPECT_EQ(browser::recipientTypeName(3), "CdoBcc");
    EXPECT_EQ(browser::recipientTypeName(4), "");
    EXPECT_EQ(browser::recipientTypeName(0), "");
}

}  // namespace
