// Every kind of message filter gives the same messages on an IMAP folder as on
// the same mail imported into the embedded store: the two back-ends answer the
// same generated code, so they must agree on what it finds. The value table runs
// every kind of value a filter takes against every kind a field holds.
#include <gtest/gtest.h>
#include <utime.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "DovecotServer.h"
#include "imap/ImapClient.h"
#include "imap/ProtocolLog.h"
#include "imapstore/Account.h"
#include "import/Importer.h"
#include "messaging/Error.h"
#include "messaging/SessionFactory.h"
#include "messaging/VbConvert.h"
#include "store/Backend.h"
#include "store/StoreBackend.h"

namespace {

struct Seed {
    const char* file;  // Maildir name; ":2,S" marks it read
    QByteArray raw;
    const char* received;  // INTERNALDATE and file time, UTC
};

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

// Written with CRLF so the server's RFC822.SIZE and the file's size agree.
const std::vector<Seed>& seeds() {
    static const std::vector<Seed> all = {
        {"1001.M1.host:2,S",
         crlf("From: Ann Archer <ann@example.com>\nTo: Jo Doe <jo@example.com>\n"
              "Subject: Welcome\nDate: Mon, 1 Mar 1999 09:00:00 +0000\n\nHello and welcome.\n"),
         "1999-03-01T10:00:00"},
        {"1002.M2.host:2,",
         crlf("From: Bob Baker <bob@example.com>\nTo: Jo Doe <jo@example.com>\n"
              "Cc: Cy Cole <cy@example.com>\nSubject: Re: Budget\n"
              "Date: Tue, 2 Mar 1999 09:00:00 +0000\nImportance: high\n\n"
              "The budget is attached, with the numbers for March and more words to be "
              "larger.\n"),
         "1999-03-02T10:00:00"},
        {"1003.M3.host:2,S",
         crlf("From: Cy Cole <cy@example.com>\nTo: Ann Archer <ann@example.com>\n"
              "Subject: Lunch\nDate: Wed, 3 Mar 1999 09:00:00 +0000\nX-Priority: 5\n\n"
              "Lunch on Friday?\n"),
         "1999-03-03T23:30:00"},
        {"1004.M4.host:2,",
         crlf("From: Dee Dunn <dee@example.com>\nTo: Jo Doe <jo@example.com>\n"
              "Bcc: Ann Archer <ann@example.com>\nSubject: Numbers\n"
              "Date: Thu, 4 Mar 1999 09:00:00 +0000\n\nWeekly numbers inside.\n"),
         "1999-03-04T10:00:00"},
    };
    return all;
}

QDateTime utc(const char* text) {
    return QDateTime::fromString(QLatin1String(text) + QLatin1Char('Z'), Qt::ISODate);
}

struct Condition {
    const char* member;  // a filter member, or "#tag" for a field condition
    mapi::Variant value;
};

struct Case {
    const char* name;
    std::vector<Condition> conditions;
    QStringList expected;  // on both stores
};

QStringList run(const mapi::Ref<mapi::Messages>& messages, const std::vector<Condition>& conds) {
    mapi::Ref<mapi::Filter> f = messages->FilterOf();
    for (const Condition& c : conds) {
        if (c.member[0] == '#')
            f->FieldsOf()->Add(mapi::Variant(QString::fromLatin1(c.member + 1).toInt()), c.value);
        else
            f->Set(QLatin1String(c.member), c.value);
    }
    QStringList out;
    for (mapi::Ref<mapi::Message> m : *messages) out << m->Subject();
    return out;
}

// The commands the account sent, for showing what a filter asks the server.
class SentLog : public imap::ProtocolLog {
  public:
    void write(imap::Direction d, const QByteArray& data) override {
        if (d == imap::Direction::Sent) sent += data;
    }
    QByteArray sent;
};

mapi::Variant date(const char* text) {
    return mapi::Variant(vb::toDate(QLatin1String(text)));
}

// The same mail twice: on the server, and as a Maildir imported into a store.
class SameMail : public ::testing::Test {
  protected:
    void SetUp() override {
        if (server.missing()) GTEST_SKIP() << "Dovecot is not installed";
        ASSERT_NE(server.imapPort(), 0) << server.failure().toStdString();
        const QString maildir = tmp.filePath(QStringLiteral("Mail"));
        for (const char* sub : {"cur", "new", "tmp"}) QDir().mkpath(maildir + '/' + sub);
        imap::Client writer;
        imap::ConnectOptions o;
        o.host = QStringLiteral("127.0.0.1");
        o.port = server.imapPort();
        writer.connect(o);
        writer.login(QStringLiteral("alice"), QStringLiteral("secret"));
        for (const Seed& s : seeds()) {
            const bool seen = QByteArray(s.file).endsWith('S');
            writer.append(QStringLiteral("INBOX"), s.raw, seen ? imap::Seen : 0u, utc(s.received));
            const QString path = maildir + QStringLiteral("/cur/") + QLatin1String(s.file);
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(s.raw);
            f.close();
            const time_t t = utc(s.received).toSecsSinceEpoch();
            utimbuf times{t, t};
            ::utime(QFile::encodeName(path).constData(), &times);
        }
        writer.logout();

        import::ImportOptions options;
        options.sources << maildir;
        options.profile = QStringLiteral("Local");
        options.storeName = QStringLiteral("Imported");
        options.storePath = tmp.filePath(QStringLiteral("mailstore.db"));
        ASSERT_EQ(import::runImport(options).exitStatus(), 0);
        std::make_shared<store::Backend>(options.storePath)->install();
        local = mapi::createSession();
        mapi::LogonArgs logon;
        logon.profileName = QStringLiteral("Local");
        local->Logon(logon);

        imapstore::AccountSettings settings;
        settings.connect = o;
        settings.user = QStringLiteral("alice");
        settings.password = QStringLiteral("secret");
        settings.log = &log;
        account = imapstore::Account::open(settings);
    }
    mapi::Ref<mapi::Messages> localInbox() {
        return local->InfoStoresOf()->Item(1)->RootFolder()->FoldersOf()->Item(1)->MessagesOf();
    }
    mapi::Ref<mapi::Messages> liveInbox() {
        return account->folderById(account->ids().folder(QStringLiteral("INBOX")))->MessagesOf();
    }

    DovecotServer server;
    QTemporaryDir tmp;
    SentLog log;
    mapi::Ref<mapi::Session> local;
    std::shared_ptr<imapstore::Account> account;
};

TEST_F(SameMail, EveryFilterKindFindsTheSameMessagesOnBothStores) {
    const auto localInbox = [&] { return this->localInbox(); };
    const auto liveInbox = [&] { return this->liveInbox(); };
    const QStringList all{"Welcome", "Re: Budget", "Lunch", "Numbers"};
    const std::vector<Case> cases = {
        {"none", {}, all},
        {"subject", {{"Subject", mapi::Variant(QStringLiteral("budget"))}}, {"Re: Budget"}},
        {"text", {{"Text", mapi::Variant(QStringLiteral("numbers"))}}, {"Re: Budget", "Numbers"}},
        {"sender name", {{"Sender", mapi::Variant(QStringLiteral("cy cole"))}}, {"Lunch"}},
        {"sender address", {{"Sender", mapi::Variant(QStringLiteral("dee@"))}}, {"Numbers"}},
        {"recipients",
         {{"Recipients", mapi::Variant(QStringLiteral("ann"))}},
         {"Lunch", "Numbers"}},
        {"recipients cc", {{"Recipients", mapi::Variant(QStringLiteral("cy@"))}}, {"Re: Budget"}},
        {"importance high", {{"Importance", mapi::Variant(std::int32_t{2})}}, {"Re: Budget"}},
        {"importance low", {{"Importance", mapi::Variant(QStringLiteral("0"))}}, {"Lunch"}},
        {"size", {{"Size", mapi::Variant(std::int32_t{250})}}, {"Re: Budget"}},
        {"unread", {{"Unread", mapi::Variant(true)}}, {"Re: Budget", "Numbers"}},
        {"read", {{"Unread", mapi::Variant(false)}}, {"Welcome", "Lunch"}},
        {"sent", {{"Sent", mapi::Variant(true)}}, {}},
        {"type", {{"Type", mapi::Variant(QStringLiteral("ipm.note"))}}, all},
        {"time first", {{"TimeFirst", date("3/3/1999")}}, {"Lunch", "Numbers"}},
        {"time last (whole day)",
         {{"TimeLast", date("3/3/1999")}},
         {"Welcome", "Re: Budget", "Lunch"}},
        {"time range",
         {{"TimeFirst", date("3/2/1999")}, {"TimeLast", mapi::Variant(QStringLiteral("3/2/1999"))}},
         {"Re: Budget"}},
        {"subject and unread",
         {{"Subject", mapi::Variant(QStringLiteral("e"))}, {"Unread", mapi::Variant(false)}},
         {"Welcome"}},
        {"field", {{"#3604510", mapi::Variant(QStringLiteral("lunch"))}}, {"Lunch"}},
        {"fields or",
         {{"Or", mapi::Variant(true)},
          {"#3604510", mapi::Variant(QStringLiteral("Lunch"))},
          {"#1507331", mapi::Variant(std::int32_t{2})}},
         {"Re: Budget", "Lunch"}},
        {"fields not",
         {{"Not", mapi::Variant(true)}, {"#3604510", mapi::Variant(QStringLiteral("Lunch"))}},
         {"Welcome", "Re: Budget", "Numbers"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(localInbox(), c.conditions), c.expected);
        EXPECT_EQ(run(liveInbox(), c.conditions), c.expected);
    }

    // With the headers cached, a filter is one UID SEARCH: no header fetch of the
    // folder, and the bodies of the server's candidates only.
    struct Traffic {
        const char* name;
        std::vector<Condition> conditions;
        QByteArray search;  // the SEARCH key sent
        int bodies;         // whole messages fetched
        QStringList expected;
    };
    const std::vector<Traffic> traffic = {
        {"subject",
         {{"Subject", mapi::Variant(QStringLiteral("budget"))}},
         " SUBJECT budget",
         0,
         {"Re: Budget"}},
        {"text",
         {{"Text", mapi::Variant(QStringLiteral("numbers"))}},
         " BODY numbers",
         2,
         {"Re: Budget", "Numbers"}},
        {"text found nowhere",
         {{"Text", mapi::Variant(QStringLiteral("zebra"))}},
         " BODY zebra",
         0,
         {}},
        {"sender and unread",
         {{"Sender", mapi::Variant(QStringLiteral("dee"))}, {"Unread", mapi::Variant(true)}},
         " OR FROM dee HEADER Sender dee UNSEEN",
         0,
         {"Numbers"}},
        {"size", {{"Size", mapi::Variant(std::int32_t{250})}}, " LARGER 249", 0, {"Re: Budget"}},
        {"time range",
         {{"TimeFirst", date("3/2/1999")}, {"TimeLast", date("3/2/1999")}},
         " SINCE 1-Mar-1999 BEFORE 4-Mar-1999",
         0,
         {"Re: Budget"}},
    };
    run(liveInbox(), {});
    for (const Traffic& t : traffic) {
        SCOPED_TRACE(t.name);
        log.sent.clear();
        EXPECT_EQ(run(liveInbox(), t.conditions), t.expected);
        EXPECT_TRUE(log.sent.contains("UID SEARCH")) << log.sent.toStdString();
        EXPECT_TRUE(log.sent.contains(t.search)) << log.sent.toStdString();
        EXPECT_FALSE(log.sent.contains("ENVELOPE")) << log.sent.toStdString();
        EXPECT_EQ(log.sent.count("BODY.PEEK[]"), t.bodies) << log.sent.toStdString();
    }

    // A value the filter cannot use fails the walk the same way on both.
    for (const auto& inbox : {std::function<mapi::Ref<mapi::Messages>()>(localInbox),
                              std::function<mapi::Ref<mapi::Messages>()>(liveInbox)}) {
        try {
            run(inbox(), {{"TimeFirst", mapi::Variant(QStringLiteral("not a date"))}});
            ADD_FAILURE() << "no error for a TimeFirst that is not a date";
        } catch (const mapi::Error& e) {
            EXPECT_EQ(e.number(), mapi::code::InvalidParameter);
        }
    }
}

// One value of every kind a field or a filter member can hold, most of them
// near 2 so that the kinds meet wherever the comparison lets them.
struct Kind {
    const char* name;
    mapi::Variant value;
};

const std::vector<Kind>& wantedKinds() {
    using mapi::Variant;
    static const std::vector<Kind> all = {
        {"Empty", Variant()},
        {"Null", Variant::null()},
        {"Integer 2", Variant::integer(2)},
        {"Long 2", Variant(std::int32_t{2})},
        {"Single 2.1", Variant(2.1f)},
        {"Double 2.1", Variant(2.1)},
        {"Double 2.5", Variant(2.5)},
        {"Currency 2.5", Variant(mapi::Currency{25000})},
        {"Date 1/1/1900", Variant(mapi::Date{2.0})},
        {"Date 3/4/1999 10:00", date("3/4/1999 10:00:00 AM")},
        {"String 2", Variant("2")},
        {"String 2.1", Variant("2.1")},
        {"String 3/4/1999 10:00", Variant("3/4/1999 10:00:00 AM")},
        {"String 02", Variant("02")},
        {"String empty", Variant(QString())},
        {"Boolean True", Variant(true)},
        {"Error 2", Variant(mapi::ErrorValue{2})},
        {"Binary 02", Variant(QByteArray("\x02", 1))},
    };
    return all;
}

// The custom fields each message is given: A to D hold another kind on each
// message, so that one condition meets four kinds at once. The Empty and Null
// types make the value given ("x") Empty or Null.
struct StoredField {
    const char* subject;
    const char* field;
    mapi::VarType vt;
    mapi::Variant value;
};

const std::vector<StoredField>& storedFields() {
    using mapi::Variant;
    using mapi::VarType;
    static const std::vector<StoredField> all = {
        {"Welcome", "A", VarType::Integer, Variant::integer(2)},
        {"Re: Budget", "A", VarType::Long, Variant(std::int32_t{2})},
        {"Lunch", "A", VarType::Single, Variant(2.1f)},
        {"Numbers", "A", VarType::Double, Variant(2.1)},
        {"Welcome", "B", VarType::Currency, Variant(mapi::Currency{25000})},
        {"Re: Budget", "B", VarType::Date, Variant(mapi::Date{2.0})},
        {"Lunch", "B", VarType::String, Variant("2")},
        {"Numbers", "B", VarType::Boolean, Variant(true)},
        {"Welcome", "C", VarType::Error, Variant(mapi::ErrorValue{2})},
        {"Re: Budget", "C", VarType::Binary, Variant(QByteArray("\x02", 1))},
        {"Lunch", "C", VarType::Empty, Variant("x")},
        {"Numbers", "C", VarType::Null, Variant("x")},
        {"Welcome", "D", VarType::String, Variant(QString())},
        {"Re: Budget", "D", VarType::String, Variant("2.1")},
        {"Lunch", "D", VarType::String, Variant("02")},
        {"Numbers", "D", VarType::Double, Variant(2.5)},
    };
    return all;
}

void addStoredFields(const mapi::Ref<mapi::Message>& m) {
    for (const StoredField& f : storedFields())
        if (m->Subject() == QLatin1String(f.subject))
            m->FieldsOf()->Add(mapi::Variant(QString::fromLatin1(f.field)),
                               static_cast<std::int16_t>(f.vt), f.value);
}

// What a filter finds: the initials of the messages (Welcome, re: Budget, Lunch,
// Numbers), "-" for none, "!" for MAPI_E_INVALID_PARAMETER.
QString found(const std::function<QStringList()>& walk) {
    try {
        QString out;
        for (const QString& subject : walk())
            out += subject == QLatin1String("Re: Budget") ? QChar('B') : subject.front();
        return out.isEmpty() ? QStringLiteral("-") : out;
    } catch (const mapi::Error& e) {
        return e.number() == mapi::code::InvalidParameter ? QStringLiteral("!")
                                                          : QStringLiteral("!%1").arg(e.number());
    }
}

// A filter member, a field condition by name, or "#TAG" a field condition by tag;
// "Not" and "Or" are set over the condition #Importance = 2.
void setCondition(const mapi::Ref<mapi::Filter>& f, const QString& target, const mapi::Variant& v) {
    if (target.startsWith(QLatin1Char('#'))) {
        f->FieldsOf()->Add(
            mapi::Variant(static_cast<std::int32_t>(target.mid(1).toUInt(nullptr, 16))), v);
    } else if (target.size() == 1) {
        f->FieldsOf()->Add(mapi::Variant(target), v);
    } else {
        if (target == QLatin1String("Not") || target == QLatin1String("Or"))
            f->FieldsOf()->Add(mapi::Variant(std::int32_t{0x00170003}),
                               mapi::Variant(std::int32_t{2}));
        f->Set(target, v);
    }
}

QStringList walk(const mapi::Ref<mapi::Messages>& messages) {
    QStringList out;
    for (mapi::Ref<mapi::Message> m : *messages) out << m->Subject();
    return out;
}

TEST_F(SameMail, EveryValueKindComparesTheSameOnBothStores) {
    // The embedded store keeps custom fields; a message on the server keeps them
    // on its object for as long as the object lives, so each walk of the live
    // folder gives its messages the fields first.
    {
        mapi::Ref<mapi::Messages> all = localInbox();
        for (mapi::Ref<mapi::Message> m : *all) {
            addStoredFields(m);
            m->Update();
        }
    }
    const auto onLocal = [&](const QString& target, const mapi::Variant& v) {
        return found([&] {
            mapi::Ref<mapi::Messages> messages = localInbox();
            setCondition(messages->FilterOf(), target, v);
            return walk(messages);
        });
    };
    const auto onServer = [&](const QString& target, const mapi::Variant& v) {
        return found([&] {
            mapi::Ref<mapi::Messages> messages = liveInbox();
            std::vector<mapi::Ref<mapi::Message>> held;
            for (mapi::Ref<mapi::Message> m : *messages) {
                addStoredFields(m);
                held.push_back(m);
            }
            setCondition(messages->FilterOf(), target, v);
            return walk(messages);
        });
    };

    // What each target finds with each wanted value, one cell per column of
    // wantedKinds(): the embedded store's answers, which the server's must equal.
    struct Row {
        const char* target;
        const char* found;
    };
    // clang-format off
    const std::vector<Row> rows = {
        //              Empty Null Int2 Lng2 Sng2.1 Dbl2.1 Dbl2.5 Cur2.5 Date2 Date3/4 "2"  "2.1" "3/4" "02" ""   True Err2 Bin02
        {"A",          "-     -    WB   WB   LN     LN     -      -      WB    -       WB   LN    -     -    -    WBLN -    -"},
        {"B",          "-     -    BLN  BLN  N      N      WN     WN     B     -       L    -     -     -    -    WN   -    -"},
        {"C",          "-     -    -    -    -      -      -      -      -     -       -    -     -     B    -    -    W    B"},
        {"D",          "W     -    -    -    B      B      N      N      -     -       -    B     -     L    W    N    -    L"},
        {"#00170003",  "-     -    B    B    B      B      B      B      B     -       B    B     -     B    -    -    -    L"},  // Importance, Long
        {"#0E060040",  "-     -    -    -    -      -      -      -      -     N       -    -     N     -    -    -    -    -"},  // DeliveryTime, Date
        {"#00710102",  "-     -    -    -    -      -      -      -      -     -       -    -     -     -    WBLN -    -    -"},  // ConversationIndex, Binary (empty)
        {"#0037001E",  "-     -    -    -    -      -      -      -      -     -       -    -     -     -    -    -    -    -"},  // Subject, String
        {"#0E070003",  "-     -    -    -    -      -      -      -      -     -       -    -     -     -    -    -    -    -"},  // MessageFlags, Long
        {"Importance", "!     !    B    B    B      B      B      B      !     !       B    B     !     B    !    -    !    !"},
        {"Size",       "!     !    WBLN WBLN WBLN   WBLN   WBLN   WBLN   !     !       WBLN WBLN  !     WBLN !    WBLN !    !"},
        {"Unread",     "!     !    BN   BN   BN     BN     BN     BN     !     !       BN   BN    !     BN   !    BN   !    !"},
        {"Sent",       "!     !    -    -    -      -      -      -      !     !       -    -     !     -    !    -    !    !"},
        {"Type",       "!     !    -    -    -      -      -      -      -     -       -    -     -     -    -    -    !    -"},
        {"Subject",    "!     !    -    -    -      -      -      -      -     -       -    -     -     -    WBLN -    !    -"},
        {"TimeFirst",  "!     !    !    !    !      !      !      !      WBLN  N       !    -     N     !    !    !    !    !"},
        {"TimeLast",   "!     !    !    !    !      !      !      !      -     WBLN    !    WBLN  WBLN  !    !    !    !    !"},
        {"Not",        "!     !    WLN  WLN  WLN    WLN    WLN    WLN    !     !       WLN  WLN   !     WLN  !    WLN  !    !"},
        {"Or",         "!     !    B    B    B      B      B      B      !     !       B    B     !     B    !    B    !    !"},
    };
    // clang-format on
    const std::vector<Kind>& wanted = wantedKinds();
    for (const Row& row : rows) {
        const QString target = QLatin1String(row.target);
        const QStringList expected =
            QString::fromLatin1(row.found).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_EQ(static_cast<std::size_t>(expected.size()), wanted.size()) << row.target;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            SCOPED_TRACE(std::string(row.target) + " = " + wanted[i].name);
            EXPECT_EQ(onLocal(target, wanted[i].value), expected[static_cast<qsizetype>(i)]);
            EXPECT_EQ(onServer(target, wanted[i].value), expected[static_cast<qsizetype>(i)]);
        }
    }
}

// A condition changed through its Field filters the same collection again: the
// next walk answers the new value on both stores.
TEST_F(SameMail, AConditionSetAgainFiltersAgain) {
    for (const auto& inbox :
         {std::function<mapi::Ref<mapi::Messages>()>([&] { return localInbox(); }),
          std::function<mapi::Ref<mapi::Messages>()>([&] { return liveInbox(); })}) {
        mapi::Ref<mapi::Messages> messages = inbox();
        mapi::Ref<mapi::Field> subject = messages->FilterOf()->FieldsOf()->Add(
            mapi::Variant(std::int32_t{0x0037001E}), mapi::Variant("Lunch"));
        EXPECT_EQ(walk(messages), QStringList{"Lunch"});
        subject->SetValue(mapi::Variant("Numbers"));
        EXPECT_EQ(walk(messages), QStringList{"Numbers"});
        messages->FilterOf()->Set(QStringLiteral("Not"), mapi::Variant(true));
        EXPECT_EQ(walk(messages), (QStringList{"Welcome", "Re: Budget", "Lunch"}));
    }
}

TEST(ImapStoreOutbox, IsMadeOnFirstUseAndHoldsTheSavedMessage) {
    DovecotServer server;
    if (server.missing()) GTEST_SKIP() << "Dovecot is not installed";
    ASSERT_NE(server.imapPort(), 0) << server.failure().toStdString();
    imapstore::AccountSettings settings;
    settings.connect.host = QStringLiteral("127.0.0.1");
    settings.connect.port = server.imapPort();
    settings.user = QStringLiteral("bob");
    settings.password = QStringLiteral("secret");
    auto account = imapstore::Account::open(settings);
    account->setUserName(QStringLiteral("Bob Baker"));

    mapi::Ref<mapi::Message> m = account->outbox()->MessagesOf()->Add();
    m->SetSubject(QStringLiteral("Draft ✓"));
    m->SetText(QStringLiteral("Line one\nline two"));
    m->SetImportance(2);
    m->RecipientsOf()
        ->Add(QStringLiteral("Jo Doe"), 1)
        ->SetAddress(QStringLiteral("jo@example.com"));
    m->RecipientsOf()
        ->Add(QStringLiteral("Cy Cole"), 2)
        ->SetAddress(QStringLiteral("cy@example.com"));
    mapi::Ref<mapi::Attachment> a = m->AttachmentsOf()->Add();
    a->SetName(QStringLiteral("data.bin"));
    QTemporaryDir tmp;
    const QString in = tmp.filePath(QStringLiteral("data.bin"));
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x00\x01\x02 binary\r\n", 12));
    f.close();
    a->ReadFromFile(in);
    m->Update();
    const QString id = m->ID();

    // Read back by a new logon, as the program's next session would.
    auto again = imapstore::Account::open(settings);
    mapi::Ref<mapi::Messages> outbox = again->outbox()->MessagesOf();
    ASSERT_EQ(outbox->Count(), 1);
    mapi::Ref<mapi::Message> back = outbox->Item(1);
    EXPECT_EQ(back->ID(), id);
    EXPECT_EQ(back->Subject(), QStringLiteral("Draft ✓"));
    EXPECT_EQ(back->Text(), QStringLiteral("Line one\nline two"));
    EXPECT_EQ(back->Importance().asLong(), 2);
    EXPECT_EQ(back->Unread().asBoolean(), false);
    EXPECT_EQ(back->Sender()->Name(), QStringLiteral("Bob Baker"));
    EXPECT_EQ(back->Sender()->Address(), QStringLiteral("bob@127.0.0.1"));
    mapi::Ref<mapi::Recipients> r = back->RecipientsOf();
    ASSERT_EQ(r->Count(), 2);
    EXPECT_EQ(r->Item(1)->Name(), QStringLiteral("Jo Doe"));
    EXPECT_EQ(r->Item(1)->Address(), QStringLiteral("jo@example.com"));
    EXPECT_EQ(r->Item(1)->Type(), 1);
    EXPECT_EQ(r->Item(2)->Type(), 2);
    ASSERT_EQ(back->AttachmentsOf()->Count(), 1);
    const QString out = tmp.filePath(QStringLiteral("out.bin"));
    back->AttachmentsOf()->Item(1)->WriteToFile(out);
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("\x00\x01\x02 binary\r\n", 12));
    EXPECT_EQ(back->AttachmentsOf()->Item(1)->Name(), QStringLiteral("data.bin"));
}

}  // namespace
