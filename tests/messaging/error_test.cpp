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

namespace {

// A collection over three numbers whose enumerator reads back through it.
class Numbers : public mapi::Collection<mapi::Field> {
  public:
    std::int32_t Count() override { return 3; }
    mapi::Ref<mapi::Field> Item(std::int32_t) override { return {}; }
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override;
    bool alive = true;
    ~Numbers() override { alive = false; }
};

class NumberField : public mapi::Field {
  public:
    QString Name() override { return {}; }
    std::int32_t ID() override { return 0; }
    mapi::Variant Type() override { return std::int32_t{3}; }
    mapi::Variant Value() override { return {}; }
    void SetValue(const mapi::Variant&) override {}
};

class NumbersEnum : public mapi::Enumerator<mapi::Field> {
  public:
    explicit NumbersEnum(Numbers* owner) : owner_(owner) {}
    mapi::Ref<mapi::Field> next() override {
        if (!owner_->alive || left_-- == 0) return {};
        return mapi::makeRef<NumberField>();
    }

  private:
    Numbers* owner_;
    int left_ = 3;
};

std::unique_ptr<mapi::Enumerator<mapi::Field>> Numbers::enumerate() {
    return std::make_unique<NumbersEnum>(this);
}

mapi::Ref<mapi::Collection<mapi::Field>> freshNumbers() {
    return mapi::makeRef<Numbers>();
}

TEST(MapiCollection, ForEachGoesOnWhenTheCallerReleasesItsReference) {
    auto numbers = freshNumbers();
    int seen = 0;
    for (const auto& f : *numbers) {
        numbers.reset();  // "Set oFields = Nothing" inside the walk
        EXPECT_FALSE(f.isNothing());
        ++seen;
    }
    EXPECT_EQ(seen, 3);
}

}  // namespace
