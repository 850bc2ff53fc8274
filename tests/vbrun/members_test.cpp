// The member table completion offers, walked against the binding: every name
// it lists for a kind is one the binding answers on a live object of that kind
// (anything but 438), and a filter offers only the members of its own kind.

#include <gtest/gtest.h>

#include <optional>

#include "RunHelper.h"
#include "support/FaultyMapi.h"
#include "support/StoreTestUtil.h"
#include "vbrun/Members.h"
#include "vbrun/Values.h"

namespace {

struct Sample {
    const char* kind;
    const char* expression;  // reaches an object of that kind from oSession
};

const Sample kSamples[] = {
    {"Session", "oSession"},
    {"InfoStores", "oSession.InfoStores"},
    {"InfoStore", "oSession.GetInfoStore(\"A1\")"},
    {"Folders", "oSession.GetInfoStore(\"A1\").RootFolder.Folders"},
    {"Folder", "oSession.GetFolder(\"A110\", \"A1\")"},
    {"Messages", "oSession.GetFolder(\"A110\", \"A1\").Messages"},
    {"Message", "oSession.GetMessage(\"A111\", \"A1\")"},
    {"Recipients", "oSession.GetMessage(\"A111\", \"A1\").Recipients"},
    {"Recipient", "oSession.GetMessage(\"A111\", \"A1\").Recipients(1)"},
    {"Attachments", "oSession.GetMessage(\"A111\", \"A1\").Attachments"},
    {"Attachment", "oSession.GetMessage(\"A111\", \"A1\").Attachments(1)"},
    {"Fields", "oSession.GetMessage(\"A111\", \"A1\").Fields"},
    {"Field", "oSession.GetMessage(\"A111\", \"A1\").Fields(1)"},
    {"AddressLists", "oSession.AddressLists"},
    {"AddressList", "oSession.AddressLists(\"Global Address List\")"},
    {"AddressEntries", "oSession.AddressLists(\"Global Address List\").AddressEntries"},
    {"AddressEntry", "oSession.AddressLists(\"Global Address List\").AddressEntries(1)"},
    {"Filter", "oSession.GetFolder(\"A110\", \"A1\").Messages.Filter"},
    {"Filter", "oSession.AddressLists(\"Global Address List\").AddressEntries.Filter"},
};

class Members : public testing::Test {
  protected:
    void SetUp() override {
        storetest::installFixture();
        wrapped_.emplace();
        session_ = storetest::logon();
        in_.bind(QStringLiteral("oSession"),
                 mapi::Variant(std::static_pointer_cast<mapi::Object>(session_.shared())));
    }

    vbrun::ObjectPtr reach(const char* expression) {
        const QString out = vbrun_test::runText(
            QStringLiteral("Set oSample = ") + QString::fromUtf8(expression), &in_, &host_);
        EXPECT_EQ(out.toStdString(), "") << expression;
        const mapi::Variant v = in_.value(QStringLiteral("oSample"));
        return vbrun::isObject(v) ? v.asObject() : nullptr;
    }

    // What the binding says to obj.Name, or obj.Name(1) when it wants an
    // argument (a collection's Item): "" when it answers, else the error number.
    static QString answer(const vbrun::ObjectPtr& obj, const QString& member) {
        QString said;
        for (const auto& args : {vbrun::CallArgs{}, vbrun::CallArgs{{mapi::Variant(1)}, {}}}) {
            try {
                vbrun::getMember(obj, member.toLower(), args);
                return QString();
            } catch (const mapi::Error& e) {
                said = QString::number(e.number());
                if (e.number() != vbrun::err::NotSupported) return said;
            }
        }
        return said;
    }

    std::optional<faulty::Install> wrapped_;  // over the fixture's back-end
    mapi::Ref<mapi::Session> session_;
    vbrun_test::RecordingHost host_;
    vbrun::Interpreter in_{host_};
};

TEST_F(Members, EveryKindHasASampleAndItsOwnKind) {
    QStringList sampled;
    for (const Sample& s : kSamples) {
        const vbrun::ObjectPtr obj = reach(s.expression);
        ASSERT_TRUE(obj) << s.expression;
        EXPECT_EQ(vbrun::objectKind(obj).toStdString(), s.kind) << s.expression;
        if (!sampled.contains(QLatin1String(s.kind))) sampled << QLatin1String(s.kind);
    }
    EXPECT_EQ(sampled.join(u' ').toStdString(), vbrun::objectKinds().join(u' ').toStdString());
    EXPECT_EQ(vbrun::objectKind(nullptr).toStdString(), "");
    EXPECT_TRUE(vbrun::membersOf(nullptr).isEmpty());
    EXPECT_TRUE(vbrun::memberNames(QStringLiteral("Nothing")).isEmpty());
}

TEST_F(Members, TheBindingAnswersEveryListedMember) {
    std::vector<std::pair<const Sample*, vbrun::ObjectPtr>> objects;
    for (const Sample& s : kSamples)
        if (QLatin1String(s.kind) != u"Filter") objects.emplace_back(&s, reach(s.expression));
    // Every call into the store fails from here on, so that methods (Delete,
    // Logoff, Send ...) answer without doing anything; only a member the
    // binding lacks gives 438.
    faulty::faults().failOn(QStringLiteral("*"), 1, mapi::code::DiskError, -1);
    QStringList missing;
    for (const auto& [sample, obj] : objects) {
        ASSERT_TRUE(obj) << sample->expression;
        for (const QString& member : vbrun::memberNames(QLatin1String(sample->kind)))
            if (answer(obj, member) == u"438") missing << sample->kind + (u'.' + member);
    }
    EXPECT_EQ(missing.join(u' ').toStdString(), "");
}

TEST_F(Members, AFilterOffersTheMembersOfItsKind) {
    const vbrun::ObjectPtr messages = reach(kSamples[17].expression);
    const vbrun::ObjectPtr entries = reach(kSamples[18].expression);
    ASSERT_TRUE(messages && entries);
    EXPECT_EQ(vbrun::membersOf(messages).join(u' ').toStdString(),
              "Class Fields Importance Not Or Parent Recipients Sender Sent Session Size Subject "
              "Text TimeFirst TimeLast Type Unread");
    EXPECT_EQ(vbrun::membersOf(entries).join(u' ').toStdString(),
              "Address Class Fields Name Not Or Parent Session");
    // What is offered the filter takes; what is left out it refuses.
    for (const vbrun::ObjectPtr& f : {messages, entries})
        for (const QString& member : vbrun::memberNames(QStringLiteral("Filter"))) {
            const QString said = answer(f, member);
            if (vbrun::membersOf(f).contains(member))
                EXPECT_EQ(said.toStdString(), "") << member.toStdString();
            else
                EXPECT_EQ(said.toInt(), mapi::code::NoSupport) << member.toStdString();
        }
}

TEST(MemberNames, SortedIgnoringCaseWithTheMembersEveryObjectHas) {
    EXPECT_EQ(vbrun::memberNames(QStringLiteral("Messages")).join(u' ').toStdString(),
              "Add Class Count Delete Filter GetFirst GetLast GetNext GetPrevious Item Parent "
              "Session Sort");
    EXPECT_EQ(vbrun::memberNames(QStringLiteral("Field")).join(u' ').toStdString(),
              "Class ID Name Parent Session Type Value");
}

}  // namespace
