// The account store's behaviour that a scripted session cannot show: changes
// made on the server by others, a renumbered mailbox, a server that goes away,
// and the refusals (wrong password, no UIDPLUS).
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "DovecotServer.h"
#include "ImapStoreTestUtil.h"
#include "imap/HeaderCache.h"
#include "imap/ImapClient.h"
#include "imapstore/Account.h"
#include "imapstore/EntryIds.h"
#include "imapstore/MessageData.h"
#include "messaging/Error.h"
#include "messaging/Progress.h"
#include "messaging/ReadOnly.h"

namespace {

using imapstore_test::expectError;
using imapstore_test::folder;
using imapstore_test::mail;
using imapstore_test::subjects;

class ImapStoreTest : public ::testing::Test {
  protected:
    static DovecotServer& server() {
        static DovecotServer s;
        return s;
    }

    void SetUp() override {
        if (server().missing())
            GTEST_SKIP() << "Dovecot is not installed: " << server().failure().toStdString();
        ASSERT_NE(server().imapPort(), 0) << server().failure().toStdString();
    }

    static imapstore::AccountSettings settings(const DovecotServer& s, const QString& user,
                                               const QString& password = QStringLiteral("secret")) {
        return imapstore_test::settings(s.imapPort(), user, password);
    }

    static std::unique_ptr<imap::Client> other(const DovecotServer& s, const QString& user) {
        return imapstore_test::other(s.imapPort(), user);
    }
};

TEST_F(ImapStoreTest, MailAddedByAnotherClientIsSeenOnTheNextOpen) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Added"));
    writer->append(QStringLiteral("Added"), mail("one"), 0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("bob")));
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Added"))), QStringList{"one"});
    writer->append(QStringLiteral("Added"), mail("two"), imap::Seen);
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Added"))), (QStringList{"one", "two"}));
    mapi::Ref<mapi::Messages> all = folder(*account, QStringLiteral("Added"))->MessagesOf();
    EXPECT_EQ(all->Item(2)->Unread().asBoolean(), false);
    EXPECT_EQ(all->Item(1)->Unread().asBoolean(), true);
    // Reading the text fetches the body with BODY.PEEK: the message stays unread.
    EXPECT_EQ(all->Item(1)->Text(), QStringLiteral("Text of one\n"));
    EXPECT_EQ(
        folder(*account, QStringLiteral("Added"))->MessagesOf()->Item(1)->Unread().asBoolean(),
        true);
}

// An HTML-only message reads as the text a mail reader shows, the same as the
// importer stores for it (tests/import/corpus/cases.mbox, "HTML only"), not as
// its markup.
TEST_F(ImapStoreTest, AnHtmlOnlyMessageReadsAsItsTextNotItsMarkup) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Html"));
    writer->append(QStringLiteral("Html"),
                   "From: news@example.net\r\nTo: ann@example.com\r\nSubject: HTML only\r\n"
                   "Date: Thu, 4 Mar 1999 07:45:00 +0100\r\nMessage-ID: <html@example.net>\r\n"
                   "Content-Type: text/html; charset=utf-8\r\n\r\n"
                   "<html><body><h1>Hello</h1><p>Fish &amp; chips &lt;today&gt;</p>"
                   "<p>Second&nbsp;paragraph</p></body></html>\r\n",
                   0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("bob")));
    mapi::Ref<mapi::Messages> all = folder(*account, QStringLiteral("Html"))->MessagesOf();
    EXPECT_EQ(all->Item(1)->Text().toStdString(),
              "Hello\n\nFish & chips <today>\n\nSecond paragraph");
}

TEST_F(ImapStoreTest, ARenumberedMailboxInvalidatesTheOldEntryIds) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Renumbered"));
    writer->append(QStringLiteral("Renumbered"), mail("before"), 0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("bob")));
    const QString oldId =
        folder(*account, QStringLiteral("Renumbered"))->MessagesOf()->Item(1)->ID();
    EXPECT_EQ(account->messageById(oldId)->Subject(), QStringLiteral("before"));

    // Deleted and created again: the server gives the mailbox a new UIDVALIDITY.
    writer->remove(QStringLiteral("Renumbered"));
    writer->create(QStringLiteral("Renumbered"));
    writer->append(QStringLiteral("Renumbered"), mail("after"), 0);
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Renumbered"))), QStringList{"after"});
    expectError([&] { account->messageById(oldId); }, mapi::code::NotFound, QString());
    EXPECT_NE(folder(*account, QStringLiteral("Renumbered"))->MessagesOf()->Item(1)->ID(), oldId);
}

// A listed message reads its envelope from the cache on first use: once a later
// walk found it expunged by another client, what it never read is not found,
// while its neighbours and what it had read stay.
TEST_F(ImapStoreTest, AListedMessageExpungedByAnotherClientIsNotFoundOnceTheNextWalkSawIt) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Gone"));
    const quint32 first = writer->append(QStringLiteral("Gone"), mail("first"), 0);
    writer->append(QStringLiteral("Gone"), mail("second"), 0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("bob")));
    mapi::Ref<mapi::Messages> before = folder(*account, QStringLiteral("Gone"))->MessagesOf();
    mapi::Ref<mapi::Message> read = before->Item(1);
    mapi::Ref<mapi::Message> unread =
        folder(*account, QStringLiteral("Gone"))->MessagesOf()->Item(1);
    EXPECT_EQ(read->Sender()->Name(), QStringLiteral("Ann"));

    writer->select(QStringLiteral("Gone"));
    writer->deleteMessage(first);
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Gone"))), QStringList{"second"});

    EXPECT_EQ(read->Sender()->Name(), QStringLiteral("Ann"));
    EXPECT_EQ(unread->Subject(), QStringLiteral("first"));
    expectError([&] { unread->Sender(); }, mapi::code::NotFound, QString());
    EXPECT_EQ(before->Item(2)->Sender()->Name(), QStringLiteral("Ann"));
}

// A walk makes message objects as it goes: one asked for again is the same object
// while something holds it, and one deleted stays deleted when it is made again.
TEST_F(ImapStoreTest, AMessageAskedForAgainIsTheSameWhileHeldAndStaysDeleted) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Again"));
    writer->append(QStringLiteral("Again"), mail("kept"), 0);
    writer->append(QStringLiteral("Again"), mail("deleted"), 0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("bob")));
    mapi::Ref<mapi::Messages> all = folder(*account, QStringLiteral("Again"))->MessagesOf();
    mapi::Ref<mapi::Message> held = all->GetFirst();
    held->SetSubject(QStringLiteral("changed, not saved"));
    EXPECT_EQ(all->Item(1), held);
    EXPECT_EQ(all->Item(1)->Subject(), QStringLiteral("changed, not saved"));

    all->Item(2)->Delete();
    EXPECT_EQ(all->Count(), 2);
    expectError([&] { all->Item(2)->ID(); }, mapi::code::NotFound, QString());
    expectError([&] { all->GetNext()->ID(); }, mapi::code::NotFound, QString());
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Again"))), QStringList{"kept"});
}

TEST_F(ImapStoreTest, DeleteWithoutUidPlusIsRefusedAndLeavesTheMessage) {
    auto writer = other(server(), QStringLiteral("legacy"));
    writer->append(QStringLiteral("INBOX"), mail("kept"), 0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("legacy")));
    mapi::Ref<mapi::Message> m = folder(*account, QStringLiteral("INBOX"))->MessagesOf()->Item(1);
    expectError(
        [&] { m->Delete(); }, mapi::code::NoSupport,
        QStringLiteral("cannot expunge a single message (no UIDPLUS); nothing was deleted"));
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("INBOX"))), QStringList{"kept"});
}

// A dry run: neither a delete nor a saved draft reaches the server.
TEST_F(ImapStoreTest, AReadOnlySessionChangesNothingOnTheServer) {
    auto writer = other(server(), QStringLiteral("alice"));
    writer->create(QStringLiteral("DryRun"));
    writer->append(QStringLiteral("DryRun"), mail("kept"), 0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("alice")));
    mapi::Ref<mapi::Message> m = folder(*account, QStringLiteral("DryRun"))->MessagesOf()->Item(1);
    mapi::Ref<mapi::Message> draft = account->outbox()->MessagesOf()->Add();
    mapi::setSessionsReadOnly(true);
    expectError([&] { m->Delete(); }, mapi::code::NoAccess,
                QStringLiteral("The session is read-only."));
    expectError([&] { draft->Update(); }, mapi::code::NoAccess,
                QStringLiteral("The session is read-only."));
    mapi::setSessionsReadOnly(false);
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("DryRun"))), QStringList{"kept"});
    EXPECT_EQ(account->outbox()->MessagesOf()->Count(), 0);
}

TEST_F(ImapStoreTest, ServerStoppedMidSessionIsANetworkError) {
    DovecotServer own;
    ASSERT_NE(own.imapPort(), 0) << own.failure().toStdString();
    auto writer = other(own, QStringLiteral("alice"));
    writer->append(QStringLiteral("INBOX"), mail("only"), 0);
    writer->logout();
    auto account = imapstore::Account::open(settings(own, QStringLiteral("alice")));
    mapi::Ref<mapi::Message> m = folder(*account, QStringLiteral("INBOX"))->MessagesOf()->Item(1);
    own.stop();
    expectError([&] { m->Text(); }, mapi::code::NetworkError,
                QStringLiteral("MAPI_E_NETWORK_ERROR"));
    // Every later call fails the same way rather than hanging.
    expectError([&] { folder(*account, QStringLiteral("INBOX"))->MessagesOf()->Count(); },
                mapi::code::NetworkError, QStringLiteral("MAPI_E_NETWORK_ERROR"));
}

// A listing reads subjects without the MIME reader where the text needs no
// decoding; where it does, it must leave the subject to the reader.
TEST(ImapSubjects, TheQuickReadingAgreesWithTheMimeReader) {
    const struct {
        QByteArray raw;
        bool quick;
    } cases[] = {
        {"Weekly numbers", true},
        {"", true},
        {"Re: [list] 50% off; (maybe) <now>", true},
        {"=?UTF-8?Q?Chart_attached_=E2=9C=93?=", false},
        {"two  blanks", false},
        {" leading", false},
        {"trailing ", false},
        {"folded\r\n line", false},
        {"tab\there", false},
        {"caf\xc3\xa9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        imap::MessageSummary s;
        s.envelope.subject = c.raw;
        const std::optional<QString> quick = imapstore::plainSubject(s);
        EXPECT_EQ(quick.has_value(), c.quick);
        if (quick) {
            EXPECT_EQ(*quick, imapstore::fromSummary(s).subject);
        }
    }
}

// Mailers split long subjects and names into several encoded words, padding and
// all, sometimes a character across two; the server's envelope keeps them as sent.
TEST_F(ImapStoreTest, SubjectAndNamesSplitIntoEncodedWordsReadWhole) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Encoded"));
    writer->append(
        QStringLiteral("Encoded"),
        "From: =?utf-8?b?R3LDvMOfZQ==?= =?utf-8?b?IGF1cyBLw7Zsbg==?= <ann@example.com>\r\n"
        "To: \"=?utf-8?q?J=C3=B6?= =?utf-8?q?rg?=\" <jo@example.com>,\r\n"
        " =?iso-8859-1?q?Ren=E9?=\r\n =?utf-8?b?IMOp?= <cc@example.com>\r\n"
        "Subject: =?utf-8?b?R3LDvMOfZSBhdXMgS8O2bG46IMOcbsOvY8O2ZMOpIOM=?=\r\n"
        " =?utf-8?b?g4bjgrnjg4gg8J+YgA==?=\r\n"
        "Date: Fri, 05 Mar 1999 12:00:00 +0000\r\n\r\nText\r\n",
        0);
    auto account = imapstore::Account::open(settings(server(), QStringLiteral("bob")));
    const QString subject = QStringLiteral("Grüße aus Köln: Ünïcödé テスト 😀");
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Encoded"))), QStringList{subject});
    mapi::Ref<mapi::Message> m = folder(*account, QStringLiteral("Encoded"))->MessagesOf()->Item(1);
    EXPECT_EQ(m->Subject(), subject);
    EXPECT_EQ(m->Sender()->Name(), QStringLiteral("Grüße aus Köln"));
    EXPECT_EQ(m->RecipientsOf()->Item(1)->Name(), QStringLiteral("Jörg"));
    EXPECT_EQ(m->RecipientsOf()->Item(2)->Name(), QStringLiteral("René é"));
}

// A message's identifier is written digit by digit: the largest numbers and a
// mailbox name beyond ASCII, exactly and back again.
TEST(ImapEntryIds, AMessageIdentifierCarriesItsKeyAndReadsBack) {
    const imapstore::EntryIds ids(QStringLiteral("bob@127.0.0.1"));
    const struct {
        imapstore::MessageKey key;
        const char* id;
    } cases[] = {
        {{QStringLiteral("Entw\u00fcrfe"), 0x0131071D, 7},
         "IMM212AAD7E0131071D00000007456E7477C3BC726665"},
        {{QStringLiteral("INBOX"), 0xFFFFFFFF, 0}, "IMM212AAD7EFFFFFFFF00000000494E424F58"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(ids.message(c.key), QLatin1String(c.id));
        const std::optional<imapstore::MessageKey> back = ids.messageKey(QLatin1String(c.id));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->mailbox, c.key.mailbox);
        EXPECT_EQ(back->uidValidity, c.key.uidValidity);
        EXPECT_EQ(back->uid, c.key.uid);
    }
    // Another account's message, or a folder, names none of this account's.
    const imapstore::EntryIds other(QStringLiteral("alice@127.0.0.1"));
    EXPECT_FALSE(ids.messageKey(other.message(cases[0].key)).has_value());
    EXPECT_FALSE(ids.messageKey(QStringLiteral("IMM212AAD7E0131071D")).has_value());
}

// Records each step and cancels at the one given (0: never).
class CancellingSink : public mapi::ProgressSink {
  public:
    explicit CancellingSink(int cancelAt) : cancelAt_(cancelAt) {}
    bool step(const QString& title, qint64 done, qint64 total) override {
        steps << QStringLiteral("%1 %2/%3").arg(title).arg(done).arg(total);
        return cancelAt_ == 0 || steps.size() < cancelAt_;
    }
    void finish() override { steps << QStringLiteral("finish"); }
    QStringList steps;

  private:
    int cancelAt_;
};

TEST_F(ImapStoreTest, ACancelledFirstOpenKeepsItsBatchesAndTheNextOpenFinishes) {
    auto writer = other(server(), QStringLiteral("bob"));
    writer->create(QStringLiteral("Big"));
    for (const char* s : {"m1", "m2", "m3", "m4", "m5"})
        writer->append(QStringLiteral("Big"), mail(s), 0);
    QTemporaryDir dir;
    imapstore::AccountSettings a = settings(server(), QStringLiteral("bob"));
    a.cachePath = dir.filePath(QStringLiteral("account.cache"));
    a.fetchBatch = 2;
    auto account = imapstore::Account::open(a);
    const QString title = QStringLiteral("Reading the message list of Big");

    CancellingSink cancel(2);
    mapi::ProgressSink* before = mapi::installProgressSink(&cancel);
    expectError([&] { subjects(folder(*account, QStringLiteral("Big"))); }, mapi::code::UserCancel,
                QStringLiteral("MAPI_E_USER_CANCEL"));
    EXPECT_EQ(cancel.steps, (QStringList{title + " 2/5", title + " 4/5", "finish"}));
    // The batches fetched before the cancel are in the cache file.
    QStringList cached;
    for (const imap::MessageSummary& m : imap::HeaderCache(a.cachePath).messages("Big"))
        cached << QString::fromUtf8(m.envelope.subject);
    EXPECT_EQ(cached, (QStringList{"m1", "m2", "m3", "m4"}));

    // The connection is still good; the next open fetches only the rest.
    CancellingSink watch(0);
    mapi::installProgressSink(&watch);
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Big"))),
              (QStringList{"m1", "m2", "m3", "m4", "m5"}));
    EXPECT_EQ(watch.steps, (QStringList{title + " 1/1", "finish"}));
    // From the cache nothing is fetched, so nothing is reported.
    watch.steps.clear();
    EXPECT_EQ(subjects(folder(*account, QStringLiteral("Big"))).size(), 5);
    EXPECT_EQ(watch.steps, QStringList{});
    mapi::installProgressSink(before);
}

}  // namespace
