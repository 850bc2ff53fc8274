#include <gtest/gtest.h>

#include "messaging/Error.h"
#include "messaging/Objects.h"

namespace {

TEST(MapiError, DescriptionsEndWithTheCodeNameAndValue) {
    const mapi::Error e = mapi::makeError(mapi::code::NotFound);
    EXPECT_EQ(e.number(), -2147221233);
    EXPECT_EQ(e.description(), "The object could not be found. [MAPI_E_NOT_FOUND(8004010F)]");
    EXPECT_EQ(mapi::makeError(mapi::code::UserCancel).number(), -2147221229);
    EXPECT_EQ(mapi::makeError(mapi::code::NoAccess).number(), -2147024891);
    EXPECT_EQ(mapi::makeError(mapi::code::InvalidParameter).number(), -2147024809);
    EXPECT_EQ(mapi::makeError(mapi::code::AmbiguousRecip).number(), -2147219712);
    EXPECT_EQ(mapi::makeError(mapi::code::LogonFailed, "Wrong password.").description(),
              "Wrong password. [MAPI_E_LOGON_FAILED(80040111)]");
}

TEST(MapiError, PlatformErrorsHaveThePlainSentence) {
    EXPECT_EQ(mapi::makeError(91).description(), "Object variable or With block variable not set");
    EXPECT_EQ(mapi::makeError(35602).description(), "Key is not unique in collection");
}

TEST(MapiRef, CallingThroughNothingIsError91) {
    mapi::Ref<mapi::Session> nothing;
    EXPECT_TRUE(nothing.isNothing());
    try {
        nothing->Logoff();
        FAIL() << "no error";
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.number(), 91);
    }
}

}  // namespace
