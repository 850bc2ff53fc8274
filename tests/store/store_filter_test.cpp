// Message and address-entry filters: every member, the field conditions with
// Not and Or, and the values that make the enumeration fail.

#include <gtest/gtest.h>

#include "support/StoreTestUtil.h"

using namespace storetest;
using mapi::Ref;
using mapi::Variant;

namespace {

class MessageFilter : public ::testing::Test {
  protected:
    void SetUp() override {
        installFixture();
        s = logon();
        msgs = s->GetFolder(QStringLiteral("B110"), QStringLiteral("B1"))->MessagesOf();
        filter = msgs->FilterOf();
    }
    // The ids the filtered collection yields by for-each, checked against
    // Count/Item and GetFirst/GetNext.
    QStringList ids() {
        QStringList each, walked, items;
        for (Ref<mapi::Message> m : *msgs) each << m->ID();
        for (auto m = msgs->GetFirst(); m; m = msgs->GetNext()) walked << m->ID();
        const int n = msgs->Count();
        for (int i = 1; i <= n; ++i) items << msgs->Item(i)->ID();
        EXPECT_EQ(each, walked);
        EXPECT_EQ(each, items);
        return each;
    }
    Ref<mapi::Session> s;
    Ref<mapi::Messages> msgs;
    Ref<mapi::Filter> filter;
};

TEST_F(MessageFilter, TextMembersMatchSubstringsIgnoringCase) {
    EXPECT_EQ(ids(), (QStringList{"B1A1", "B1A2", "B1A3"}));
    filter->Set(QStringLiteral("Subject"), QStringLiteral("BUDGET"));
    EXPECT_EQ(ids(), QStringList{"B1A2"});

    auto fresh = [&] {
        msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
        filter = msgs->FilterOf();
    };
    fresh();
    filter->Set(QStringLiteral("Text"), QStringLiteral("budget sheet"));
    EXPECT_EQ(ids(), QStringList{"B1A2"});
    fresh();
    filter->Set(QStringLiteral("sender"),
                QStringLiteral("EXAMPLE.ORG"));  // address, any case of member name
    EXPECT_EQ(ids(), QStringList{"B1A3"});
    fresh();
    filter->Set(QStringLiteral("Sender"), QStringLiteral("carl"));  // name
    EXPECT_EQ(ids(), QStringList{"B1A1"});
    fresh();
    filter->Set(QStringLiteral("Recipients"), QStringLiteral("dina"));
    EXPECT_EQ(ids(), QStringList{"B1A2"});
    fresh();
    filter->Set(QStringLiteral("Recipients"), QStringLiteral("ann@"));
    EXPECT_EQ(ids(), QStringList{"B1A1"});
}

// Substrings are compared with Unicode case folding: plain ASCII on both sides
// takes a shorter way that must agree with it, and a character beyond ASCII
// that folds to an ASCII one still matches.
TEST_F(MessageFilter, SubjectSubstringsAsciiAndBeyond) {
    const char* const subjects[] = {"STRASSE 12", "Kelvin \u212A scale", "\u00C4rger im B\u00FCro",
                                    "", "tab\there"};
    QStringList added;
    for (const char* subject : subjects) {
        auto m = msgs->Add();
        m->SetSubject(QString::fromUtf8(subject));
        m->Update();
        added << m->ID();
    }
    const struct {
        const char* needle;
        std::vector<int> matches;
    } cases[] = {
        {"strasse", {0}},   {"SSE 1", {0}}, {"n k s", {1}},      {"\u00E4RGER", {2}},
        {"b\u00DCro", {2}}, {"\tH", {4}},   {"strasse 123", {}}, {"ar", {}},
    };
    for (const auto& c : cases) {
        msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
        filter = msgs->FilterOf();
        filter->Set(QStringLiteral("Subject"), QString::fromUtf8(c.needle));
        QStringList expected;
        for (int i : c.matches) expected << added[i];
        EXPECT_EQ(ids(), expected) << c.needle;
    }
}

TEST_F(MessageFilter, ValueMembers) {
    struct Case {
        const char* member;
        Variant value;
        QStringList expected;
    };
    const Case cases[] = {
        {"Importance", Variant(std::int32_t{2}), {"B1A2"}},
        {"Importance", Variant(std::int32_t{0}), {"B1A3"}},
        {"Size", Variant(std::int32_t{300}), {"B1A2", "B1A3"}},  // at least
        {"Size", Variant(std::int32_t{5001}), {}},
        {"Sent", Variant(false), {"B1A3"}},
        {"Unread", Variant(true), {"B1A2"}},
        {"Type", Variant("ipm.note.receipt"), {"B1A3"}},
        {"Type", Variant("IPM.Note"), {"B1A1", "B1A2"}},  // equal, not a prefix
        {"TimeFirst", Variant("3/2/1999"), {"B1A2", "B1A3"}},
        {"TimeFirst", Variant("3/1/1999 9:00:00 AM"), {"B1A1", "B1A2", "B1A3"}},  // inclusive
        {"TimeLast", Variant("3/2/1999"), {"B1A1", "B1A2"}},                      // the whole day
        {"TimeLast", Variant("3/2/1999 2:29:59 PM"), {"B1A1"}},
        {"TimeLast",
         Variant(mapi::Date::fromDateTime(QDateTime(QDate(1999, 3, 3), QTime(0, 0)))),
         {"B1A1", "B1A2", "B1A3"}},
    };
    for (const Case& c : cases) {
        msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
        msgs->FilterOf()->Set(QLatin1String(c.member), c.value);
        EXPECT_EQ(ids(), c.expected) << c.member << " " << c.value.toText().toStdString();
    }
}

TEST_F(MessageFilter, MembersAndTogetherAndReadBack) {
    filter->Set(QStringLiteral("Subject"), QStringLiteral("budget"));
    filter->Set(QStringLiteral("Importance"), std::int32_t{1});
    EXPECT_EQ(ids(), QStringList{});
    EXPECT_EQ(filter->Get(QStringLiteral("importance")), Variant(std::int32_t{1}));
    EXPECT_TRUE(filter->Get(QStringLiteral("Text")).isEmpty());
    filter->Set(QStringLiteral("Importance"), std::int32_t{2});
    EXPECT_EQ(ids(), QStringList{"B1A2"});
}

TEST_F(MessageFilter, FieldConditionsWithNotAndOr) {
    auto fields = filter->FieldsOf();
    fields->Add(Variant(QStringLiteral("Keywords")), 8, Variant(QStringLiteral("FINANCE")));
    EXPECT_EQ(ids(), QStringList{"B1A2"});
    fields->Add(Variant(QStringLiteral("Ticket")), 3, Variant(std::int32_t{9}));
    EXPECT_EQ(ids(), QStringList{});  // AND
    filter->SetOr(true);
    EXPECT_EQ(ids(), (QStringList{"B1A2", "B1A3"}));
    filter->SetNot(true);
    EXPECT_EQ(ids(), QStringList{"B1A1"});  // neither field condition holds
    EXPECT_EQ(fields->Count(), 2);
    EXPECT_EQ(fields->Item(2)->Name(), QStringLiteral("Ticket"));
}

TEST_F(MessageFilter, NotAndOrLeaveOtherMembersAnded) {
    filter->Set(QStringLiteral("Subject"), QStringLiteral("budget"));
    filter->SetNot(true);
    EXPECT_EQ(ids(), QStringList{"B1A2"});  // no field condition: Not has nothing to negate
    filter->FieldsOf()->Add(Variant(QStringLiteral("Ticket")), 3, Variant(std::int32_t{7}));
    EXPECT_EQ(ids(), QStringList{});  // Subject AND NOT(Ticket = 7)
    filter->Set(QStringLiteral("Subject"), QStringLiteral("n"));
    EXPECT_EQ(ids(), (QStringList{"B1A1", "B1A3"}));
}

TEST_F(MessageFilter, FieldsByTagTextAndStandardProperties) {
    // 3604510 is the subject's tag, given as text as the criteria list does.
    filter->FieldsOf()->Add(Variant(QStringLiteral("3604510")), 8,
                            Variant(QStringLiteral("lunch on friday")));
    EXPECT_EQ(ids(), QStringList{"B1A1"});
    msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    msgs->FilterOf()->FieldsOf()->Add(Variant(QStringLiteral("&H0037001E")), 8,
                                      Variant(QStringLiteral("MEETING RECEIPT")));
    EXPECT_EQ(ids(), QStringList{"B1A3"});
    msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    msgs->FilterOf()->FieldsOf()->Add(Variant(QStringLiteral("0x0037001e")), 8,
                                      Variant(QStringLiteral("budget 1999 draft")));
    EXPECT_EQ(ids(), QStringList{"B1A2"});
    msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    msgs->FilterOf()->FieldsOf()->Add(Variant(std::int32_t{0x0E080003}), 3,
                                      Variant(std::int32_t{300}));
    EXPECT_EQ(ids(), QStringList{"B1A3"});
    msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    // Dates compare by value; a Long condition on a string field compares as text.
    msgs->FilterOf()->FieldsOf()->Add(
        Variant(std::int32_t{0x0E060040}), 7,
        Variant(mapi::Date::fromDateTime(QDateTime(QDate(1999, 3, 2), QTime(14, 30)))));
    EXPECT_EQ(ids(), QStringList{"B1A2"});
}

TEST_F(MessageFilter, BadDatesFailTheEnumerationNotTheAssignment) {
    filter->Set(QStringLiteral("TimeFirst"), QStringLiteral("not a date"));  // accepted here
    EXPECT_EQ(errorOf([&] { msgs->Count(); }), mapi::code::InvalidParameter);
    EXPECT_EQ(errorOf([&] { msgs->GetFirst(); }), mapi::code::InvalidParameter);
    EXPECT_EQ(errorOf([&] {
                  for (Ref<mapi::Message> m : *msgs) (void)m;
              }),
              mapi::code::InvalidParameter);
    try {
        msgs->Count();
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("The parameter is not valid. [E_INVALIDARG(80070057)]"));
    }
    msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    msgs->FilterOf()->Set(QStringLiteral("TimeLast"), QStringLiteral("13/45/1999"));
    EXPECT_EQ(errorOf([&] { msgs->Count(); }), mapi::code::InvalidParameter);
    msgs = s->GetFolder(QStringLiteral("B110"), QString())->MessagesOf();
    msgs->FilterOf()->Set(QStringLiteral("Importance"), QStringLiteral("high"));
    EXPECT_EQ(errorOf([&] { msgs->Count(); }), mapi::code::InvalidParameter);
}

// The result listing reads its three parts straight from the rows; a message
// lacking one of them (no receipt time, no sender, no subject) or added in
// this session must list exactly as reading each message does, filtered or not.
TEST_F(MessageFilter, ListedLinesMatchTheMessagesOneByOne) {
    auto added = msgs->Add();
    added->SetSubject(QString::fromUtf8("\u00C4rger \u65E5\u672C"));
    added->Update();
    auto linesOf = [](const Ref<mapi::Messages>& m) {
        QStringList listed, walked;
        m->listLines([&](const mapi::MessageLine& l) {
            listed << l.received + u'|' + l.sender + u'|' + l.subject;
        });
        for (Ref<mapi::Message> x : *m) {
            const mapi::MessageLine l = mapi::Messages::lineOf(*x);
            walked << l.received + u'|' + l.sender + u'|' + l.subject;
        }
        EXPECT_EQ(listed, walked);
        return listed;
    };
    const QStringList inbox = linesOf(msgs);
    ASSERT_EQ(4, inbox.size());
    EXPECT_EQ(QStringLiteral("3/1/1999 9:00:00 AM|Carl Moe|Lunch on Friday"), inbox[0]);
    EXPECT_TRUE(inbox[3].endsWith(QString::fromUtf8("|\u00C4rger \u65E5\u672C")))
        << inbox[3].toStdString();

    filter->Set(QStringLiteral("Subject"), QStringLiteral("budget"));
    EXPECT_EQ(QStringList{QStringLiteral("3/2/1999 2:30:00 PM|Bob Stone|Budget 1999 draft")},
              linesOf(msgs));

    const QStringList old =
        linesOf(s->GetFolder(QStringLiteral("A110"), QStringLiteral("A1"))->MessagesOf());
    EXPECT_EQ((QStringList{QStringLiteral("12/31/1998 11:59:00 PM|Bob Stone|Budget 1998"),
                           QStringLiteral("12/30/1899||")}),
              old);

    filter->Set(QStringLiteral("TimeFirst"), QStringLiteral("not a date"));
    EXPECT_EQ(errorOf([&] { msgs->listLines([](const mapi::MessageLine&) {}); }),
              mapi::code::InvalidParameter);
}

TEST_F(MessageFilter, UnknownMemberIsNotSupported) {
    EXPECT_EQ(errorOf([&] { filter->Set(QStringLiteral("Colour"), QStringLiteral("red")); }),
              mapi::code::NoSupport);
    EXPECT_EQ(errorOf([&] { filter->Set(QStringLiteral("Name"), QStringLiteral("x")); }),
              mapi::code::NoSupport);  // an address-entry member
}

class AddressFilter : public ::testing::Test {
  protected:
    void SetUp() override {
        installFixture();
        s = logon();
        entries = s->AddressListByName(QStringLiteral("Global Address List"))->AddressEntriesOf();
        filter = entries->FilterOf();
    }
    QStringList ids() {
        QStringList each, walked;
        for (Ref<mapi::AddressEntry> e : *entries) each << e->ID();
        for (auto e = entries->GetFirst(); e; e = entries->GetNext()) walked << e->ID();
        EXPECT_EQ(each, walked);
        EXPECT_EQ(entries->Count(), each.size());
        return each;
    }
    Ref<mapi::Session> s;
    Ref<mapi::AddressEntries> entries;
    Ref<mapi::Filter> filter;
};

TEST_F(AddressFilter, NameAndAddressSubstrings) {
    filter->Set(QStringLiteral("Name"), QStringLiteral("CARL"));
    EXPECT_EQ(ids(), (QStringList{"E3", "E4"}));
    filter->Set(QStringLiteral("Address"), QStringLiteral(".org"));
    EXPECT_EQ(ids(), QStringList{"E4"});
    EXPECT_EQ(errorOf([&] { filter->Set(QStringLiteral("Subject"), QStringLiteral("x")); }),
              mapi::code::NoSupport);
}

TEST_F(AddressFilter, AccountTagMatchesTheAliasExactlyIgnoringCase) {
    // As the alias look-up calls it: tag as a Long, the alias second.
    filter->FieldsOf()->Add(Variant(std::int32_t{973078558}), Variant(QStringLiteral("CARLM")));
    EXPECT_EQ(ids(), QStringList{"E3"});
    EXPECT_EQ(entries->GetFirst()->Name(), QStringLiteral("Carl Moe"));

    entries = s->AddressListByName(QStringLiteral("Global Address List"))->AddressEntriesOf();
    entries->FilterOf()->FieldsOf()->Add(Variant(std::int32_t{973078558}),
                                         Variant(QStringLiteral("carl")));
    EXPECT_TRUE(entries->GetFirst().isNothing());  // not a prefix match
}

TEST_F(AddressFilter, FieldsWithNotAndOr) {
    auto f = filter->FieldsOf();
    f->Add(Variant(QStringLiteral("973078558")), 8, Variant(QStringLiteral("annl")));
    f->Add(Variant(QStringLiteral("Office")), 8, Variant(QStringLiteral("b-12")));
    EXPECT_EQ(ids(), QStringList{});
    filter->SetOr(true);
    EXPECT_EQ(ids(), (QStringList{"E1", "E2"}));
    filter->SetNot(true);
    EXPECT_EQ(ids(), (QStringList{"E3", "E4"}));
    filter->Set(QStringLiteral("Address"), QStringLiteral("example.com"));
    EXPECT_EQ(ids(), QStringList{"E3"});
}

}  // namespace
