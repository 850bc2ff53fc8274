// A connection the server or the network ends between two actions: the next
// action logs on again once and goes on, or fails with a clear message when the
// server cannot be reached again; what it did is checked on the server. The
// session reaches the private Dovecot through a relay that drops connections
// when told (DroppingProxy).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "DovecotServer.h"
#include "DroppingProxy.h"
#include "ImapStoreTestUtil.h"
#include "imap/ImapClient.h"
#include "imapstore/Account.h"
#include "messaging/Error.h"

namespace {

using imapstore_test::expectError;
using imapstore_test::folder;
using imapstore_test::mail;
using imapstore_test::subjects;

DovecotServer& server() {
    static DovecotServer s;
    return s;
}

// The subjects in a mailbox as the server holds them, in UID order.
QString onServer(imap::Client& writer, const QString& mailbox) {
    writer.examine(mailbox);
    QStringList out;
    for (const imap::MessageSummary& m : writer.fetchSummaries(writer.allUids()))
        out << QString::fromUtf8(m.envelope.subject);
    return out.join(QLatin1Char(','));
}

QString errorText(const mapi::Error& e) {
    return QStringLiteral("error %1: %2").arg(e.number()).arg(e.description());
}

// What an action holds from before the connection went.
struct Held {
    mapi::Ref<mapi::Messages> messages;
    mapi::Ref<mapi::Message> message;
};

// How the connection goes before (or during) the action.
enum class Loss {
    Idle,        // dropped while nothing was sent
    Command,     // the action's command never reaches the server
    LostAnswer,  // the action's command does its work, its answer never arrives
};

struct Action {
    const char* name;
    QList<QByteArray> seed;  // subjects in the action's mailbox before the session opens
    // What the session does before the connection goes; `writer` is another client.
    std::function<void(imapstore::Account&, imap::Client& writer, const QString& box, Held&)> ready;
    std::function<QString(imapstore::Account&, const QString& box, Held&)> act;
    Loss loss;
    QByteArray command;  // the command Loss::Command and Loss::LostAnswer lie in wait for
    // What the action gives when the server can be reached again (BOX stands for
    // the action's mailbox, PORT for the relay's port).
    QString result;
    QString afterwards;  // the mailbox on the server then
    // When the server cannot be reached again: the error and the mailbox on the
    // server; then what the same action gives once it can be reached, and the
    // mailbox after it (both empty: not tried again).
    QString refusedError;
    QString afterRefusal;
    QString repeated;
    QString afterRepeat;
};

const QString kNotMadeAgain = QStringLiteral(
    "error -2147221227: The connection to 127.0.0.1 was lost and could not be made again: Could "
    "not connect to 127.0.0.1 on port PORT. [MAPI_E_NETWORK_ERROR(80040115)]");
const QString kNotChecked = QStringLiteral(
    "error -2147221227: The connection to 127.0.0.1 was lost while the message was being saved "
    "in BOX, and whether it was saved could not be checked: Could not connect to 127.0.0.1 on "
    "port PORT. [MAPI_E_NETWORK_ERROR(80040115)]");

QString saveDraft(imapstore::Account& a, Held& h) {
    h.message->Update();
    // The key found for it names the draft on the server.
    return QStringLiteral("saved as ") + a.messageById(h.message->ID())->Subject();
}

void newDraft(imapstore::Account& a, const QString& box, Held& h) {
    // The folder was walked: its UIDVALIDITY is known, the save goes straight to APPEND.
    subjects(folder(a, box));
    h.message = folder(a, box)->MessagesOf()->Add();
    h.message->SetSubject(QStringLiteral("draft"));
    h.message->SetText(QStringLiteral("Saved once."));
}

const std::vector<Action>& actions() {
    static const std::vector<Action> all = {
        {"Text",
         {"one"},
         [](imapstore::Account& a, imap::Client&, const QString& box, Held& h) {
             h.message = folder(a, box)->MessagesOf()->Item(1);
         },
         [](imapstore::Account&, const QString&, Held& h) { return h.message->Text(); },
         Loss::Idle,
         {},
         "Text of one\n",
         "one",
         kNotMadeAgain,
         "one",
         "Text of one\n",
         "one"},
        {"Listing",
         {"one"},
         [](imapstore::Account& a, imap::Client& writer, const QString& box, Held&) {
             subjects(folder(a, box));
             writer.append(box, mail("two"), 0);
         },
         [](imapstore::Account& a, const QString& box, Held&) {
             return subjects(folder(a, box)).join(QLatin1Char(','));
         },
         Loss::Idle,
         {},
         "one,two",
         "one,two",
         kNotMadeAgain,
         "one,two",
         "one,two",
         "one,two"},
        {"Filter",
         {"alpha", "beta"},
         [](imapstore::Account& a, imap::Client&, const QString& box, Held& h) {
             h.messages = folder(a, box)->MessagesOf();
             h.messages->Count();
             h.messages->FilterOf()->Set(QStringLiteral("Subject"),
                                         mapi::Variant(QStringLiteral("beta")));
         },
         [](imapstore::Account&, const QString&, Held& h) {
             QStringList out;
             for (mapi::Ref<mapi::Message> m : *h.messages) out << m->Subject();
             return out.join(QLatin1Char(','));
         },
         Loss::Idle,
         {},
         "beta",
         "alpha,beta",
         kNotMadeAgain,
         "alpha,beta",
         "beta",
         "alpha,beta"},
        {"Delete",
         {"keep", "drop"},
         [](imapstore::Account& a, imap::Client&, const QString& box, Held& h) {
             h.message = folder(a, box)->MessagesOf()->Item(2);
         },
         [](imapstore::Account&, const QString&, Held& h) {
             h.message->Delete();
             return QStringLiteral("deleted");
         },
         Loss::Idle,
         {},
         "deleted",
         "keep",
         kNotMadeAgain,
         "keep,drop",
         "deleted",
         "keep"},
        {"Save",
         {},
         [](imapstore::Account& a, imap::Client&, const QString& box, Held& h) {
             newDraft(a, box, h);
         },
         [](imapstore::Account& a, const QString&, Held& h) { return saveDraft(a, h); },
         Loss::Idle,
         {},
         "saved as draft",
         "draft",
         kNotMadeAgain,
         "",
         "saved as draft",
         "draft"},
        // The server stored the draft: it is found by its Message-ID, not stored twice.
        {"SaveAnswerLost",
         {},
         [](imapstore::Account& a, imap::Client&, const QString& box, Held& h) {
             newDraft(a, box, h);
         },
         [](imapstore::Account& a, const QString&, Held& h) { return saveDraft(a, h); },
         Loss::LostAnswer,
         "APPEND",
         "saved as draft",
         "draft",
         kNotChecked,
         "draft",
         "",
         ""},
        // The server never had the draft: the save says so rather than sending it again.
        {"SaveNeverArrived",
         {},
         [](imapstore::Account& a, imap::Client&, const QString& box, Held& h) {
             newDraft(a, box, h);
         },
         [](imapstore::Account& a, const QString&, Held& h) { return saveDraft(a, h); },
         Loss::Command,
         "APPEND",
         "error -2147221227: The message was not saved in BOX: the connection to 127.0.0.1 was "
         "lost while it was being stored. [MAPI_E_NETWORK_ERROR(80040115)]",
         "",
         kNotChecked,
         "",
         "saved as draft",
         "draft"},
    };
    return all;
}

// How the server meets the next action.
enum class Meets { Again, AgainAfterBye, Refusing };

struct Variant {
    const char* suffix;
    Meets meets;
};

class ReconnectTest : public ::testing::TestWithParam<Variant> {
  protected:
    void SetUp() override {
        if (server().missing())
            GTEST_SKIP() << "Dovecot is not installed: " << server().failure().toStdString();
        ASSERT_NE(server().imapPort(), 0) << server().failure().toStdString();
    }
};

TEST_P(ReconnectTest, EachActionAfterALostConnectionReachesTheServerOrSaysWhy) {
    const Variant v = GetParam();
    auto writer = imapstore_test::other(server().imapPort(), QStringLiteral("alice"));
    for (const Action& action : actions()) {
        // A BYE before the drop matters only to a connection lost while idle.
        if (v.meets == Meets::AgainAfterBye && action.loss != Loss::Idle) continue;
        const QString box = QLatin1String(action.name) + QLatin1String(v.suffix);
        SCOPED_TRACE(box.toStdString());
        writer->create(box);
        for (const QByteArray& subject : action.seed) writer->append(box, mail(subject), 0);

        DroppingProxy proxy(server().imapPort());
        ASSERT_NE(proxy.port(), 0);
        auto account = imapstore::Account::open(imapstore_test::settings(proxy.port(), "alice"));
        Held held;
        action.ready(*account, *writer, box, held);

        switch (action.loss) {
            case Loss::Idle:
                proxy.dropAll(v.meets == Meets::AgainAfterBye
                                  ? QByteArray("* BYE Disconnected for inactivity.\r\n")
                                  : QByteArray());
                break;
            case Loss::Command:
                proxy.dropOnCommand(action.command);
                break;
            case Loss::LostAnswer:
                proxy.loseAnswer(action.command, "APPENDUID");
                break;
        }
        if (v.meets == Meets::Refusing) proxy.setRefusing(true);

        auto attempt = [&] {
            try {
                return action.act(*account, box, held);
            } catch (const mapi::Error& e) {
                return errorText(e)
                    .replace(box, QLatin1String("BOX"))
                    .replace(QString::number(proxy.port()), QLatin1String("PORT"));
            }
        };
        const QString result = attempt();
        if (v.meets != Meets::Refusing) {
            EXPECT_EQ(result, action.result);
            EXPECT_EQ(onServer(*writer, box), action.afterwards);
            // Logged on again once.
            EXPECT_EQ(proxy.connections(), 2);
            continue;
        }
        EXPECT_EQ(result, action.refusedError);
        EXPECT_EQ(onServer(*writer, box), action.afterRefusal);
        EXPECT_EQ(proxy.connections(), 1);
        if (action.repeated.isEmpty()) continue;
        // The next action once the server is back logs on again and goes on.
        proxy.setRefusing(false);
        EXPECT_EQ(attempt(), action.repeated);
        EXPECT_EQ(onServer(*writer, box), action.afterRepeat);
        EXPECT_EQ(proxy.connections(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Drops, ReconnectTest,
                         ::testing::Values(Variant{"-lost", Meets::Again},
                                           Variant{"-bye", Meets::AgainAfterBye},
                                           Variant{"-refused", Meets::Refusing}),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             switch (info.param.meets) {
                                 case Meets::Again:
                                     return std::string("Dropped");
                                 case Meets::AgainAfterBye:
                                     return std::string("DroppedAfterBye");
                                 case Meets::Refusing:
                                     return std::string("Refused");
                             }
                             return std::string();
                         });

class ReconnectCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (server().missing())
            GTEST_SKIP() << "Dovecot is not installed: " << server().failure().toStdString();
        ASSERT_NE(server().imapPort(), 0) << server().failure().toStdString();
    }
};

// The lines a client sent containing `text`.
QList<QByteArray> linesWith(const QByteArray& traffic, const QByteArray& text) {
    QList<QByteArray> out;
    for (const QByteArray& line : traffic.split('\n'))
        if (line.contains(text)) out << line.trimmed();
    return out;
}

TEST_F(ReconnectCacheTest, TheHeaderCacheIsKeptWhenTheMailboxWasNotRenumbered) {
    auto writer = imapstore_test::other(server().imapPort(), QStringLiteral("bob"));
    const QString box = QStringLiteral("Cached");
    writer->create(box);
    for (const char* s : {"m1", "m2", "m3"}) writer->append(box, mail(s), 0);
    QTemporaryDir dir;
    DroppingProxy proxy(server().imapPort());
    imapstore::AccountSettings a = imapstore_test::settings(proxy.port(), "bob");
    a.cachePath = dir.filePath(QStringLiteral("account.cache"));
    auto account = imapstore::Account::open(a);
    EXPECT_EQ(subjects(folder(*account, box)), (QStringList{"m1", "m2", "m3"}));
    const quint32 fresh = writer->append(box, mail("m4"), 0);

    const qsizetype before = proxy.clientSent().size();
    // As Dovecot ends an idle connection: a SELECT that reads this BYE must not
    // pass for one that found the mailbox renumbered.
    proxy.dropAll("* BYE Disconnected for inactivity.\r\n");
    EXPECT_EQ(subjects(folder(*account, box)), (QStringList{"m1", "m2", "m3", "m4"}));
    const QByteArray after = proxy.clientSent().mid(before);
    EXPECT_EQ(linesWith(after, " LOGIN ").size(), 1);
    // Only the new message's headers are fetched on the new connection.
    const QList<QByteArray> fetched = linesWith(after, "ENVELOPE");
    ASSERT_EQ(fetched.size(), 1) << after.toStdString();
    EXPECT_TRUE(fetched.first().contains("UID FETCH " + QByteArray::number(fresh) + " "))
        << fetched.first().toStdString();
}

TEST_F(ReconnectCacheTest, AMailboxRenumberedWhileTheConnectionWasGoneNamesNoneOfItsOldMessages) {
    auto writer = imapstore_test::other(server().imapPort(), QStringLiteral("bob"));
    const QString box = QStringLiteral("Renumbered while away");
    writer->create(box);
    writer->append(box, mail("before"), 0);
    DroppingProxy proxy(server().imapPort());
    auto account = imapstore::Account::open(imapstore_test::settings(proxy.port(), "bob"));
    mapi::Ref<mapi::Message> old = folder(*account, box)->MessagesOf()->Item(1);

    writer->remove(box);
    writer->create(box);
    writer->append(box, mail("after"), 0);
    proxy.dropAll();
    // The same UID now holds another message: its text is not this one's.
    expectError([&] { old->Text(); }, mapi::code::NotFound, QString());
    EXPECT_EQ(subjects(folder(*account, box)), QStringList{"after"});
}

TEST_F(ReconnectCacheTest, AConnectionLostAgainOnTheRetryIsReportedNotRetriedAgain) {
    auto writer = imapstore_test::other(server().imapPort(), QStringLiteral("bob"));
    const QString box = QStringLiteral("Lost twice");
    writer->create(box);
    writer->append(box, mail("one"), 0);
    DroppingProxy proxy(server().imapPort());
    auto account = imapstore::Account::open(imapstore_test::settings(proxy.port(), "bob"));
    mapi::Ref<mapi::Message> m = folder(*account, box)->MessagesOf()->Item(1);
    proxy.dropOnCommand("BODY.PEEK[]");
    proxy.dropOnCommand("BODY.PEEK[]");
    expectError([&] { m->Text(); }, mapi::code::NetworkError,
                QStringLiteral("The connection to 127.0.0.1 was lost (UID FETCH)."));
    EXPECT_EQ(proxy.connections(), 2);
    // The next action makes the connection again.
    EXPECT_EQ(m->Text(), QStringLiteral("Text of one\n"));
    EXPECT_EQ(proxy.connections(), 3);
}

}  // namespace
