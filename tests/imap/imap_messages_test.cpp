// Reading, searching, deleting and appending messages.
#include "ImapTestUtil.h"

using namespace imap;

namespace {

const QByteArray kReport =
    "From: Alice Example <alice@example.com>\r\n"
    "To: Bob Builder <bob@example.com>\r\n"
    "Cc: Carol <carol@example.com>\r\n"
    "Subject: Quarterly report\r\n"
    "Date: Mon, 02 Mar 2026 10:00:00 +0000\r\n"
    "Message-ID: <report@example.com>\r\n"
    "\r\n"
    "The figures are attached.\r\n";

const QByteArray kLunch =
    "From: Dave <dave@example.org>\r\n"
    "To: alice@example.com\r\n"
    "Bcc: eve@example.net\r\n"
    "Subject: Lunch on Friday\r\n"
    "Date: Tue, 10 Mar 2026 12:30:00 +0100\r\n"
    "\r\n"
    "Shall we try the pineapple place?\r\n" +
    QByteArray(4000, 'x') + "\r\n";

const QByteArray kReply =
    "From: Bob Builder <bob@example.com>\r\n"
    "To: Alice Example <alice@example.com>\r\n"
    "Subject: Re: Quarterly report\r\n"
    "Date: Fri, 20 Mar 2026 08:15:00 -0500\r\n"
    "In-Reply-To: <report@example.com>\r\n"
    "\r\n"
    "Thanks.\r\n";

// Each test gets a mailbox of its own holding the three messages, received on
// 2, 10 and 20 March 2026; the reply is already read.
class MessagesTest : public ImapTest {
  protected:
    void SetUp() override {
        ImapTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        client = logon();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mailbox = QStringLiteral("T-%1").arg(QString::fromLatin1(info->name()));
        client->create(mailbox);
        report = client->append(mailbox, kReport, 0, at(2026, 3, 2));
        lunch = client->append(mailbox, kLunch, 0, at(2026, 3, 10));
        reply = client->append(mailbox, kReply, Seen, at(2026, 3, 20));
        client->select(mailbox);
    }

    static QDateTime at(int y, int m, int d) {
        return QDateTime(QDate(y, m, d), QTime(9, 0), Qt::UTC);
    }

    std::unique_ptr<Client> client;
    QString mailbox;
    quint32 report = 0, lunch = 0, reply = 0;
};

QByteArray emails(const QList<Address>& list) {
    QByteArrayList out;
    for (const Address& a : list) out << a.name + " <" + a.email() + ">";
    return out.join(", ");
}

}  // namespace

TEST_F(MessagesTest, SummariesCarryEnvelopeFlagsDateAndSize) {
    EXPECT_EQ(client->allUids(), (QList<quint32>{report, lunch, reply}));
    EXPECT_LT(report, lunch);
    const QList<MessageSummary> all = client->fetchSummaries({reply, report, lunch});
    ASSERT_EQ(all.size(), 3);
    const MessageSummary& r = all[0];
    EXPECT_EQ(r.uid, report);
    EXPECT_EQ(r.envelope.subject, "Quarterly report");
    EXPECT_EQ(emails(r.envelope.from), "Alice Example <alice@example.com>");
    EXPECT_EQ(emails(r.envelope.to), "Bob Builder <bob@example.com>");
    EXPECT_EQ(emails(r.envelope.cc), "Carol <carol@example.com>");
    EXPECT_EQ(r.envelope.date, "Mon, 02 Mar 2026 10:00:00 +0000");
    EXPECT_EQ(r.envelope.messageId, "<report@example.com>");
    EXPECT_EQ(r.size, quint32(kReport.size()));
    EXPECT_EQ(r.internalDate, at(2026, 3, 2));
    EXPECT_EQ(r.flags, 0u);

    EXPECT_EQ(emails(all[1].envelope.bcc), " <eve@example.net>");
    EXPECT_EQ(all[1].size, quint32(kLunch.size()));
    EXPECT_EQ(all[2].envelope.inReplyTo, "<report@example.com>");
    EXPECT_EQ(all[2].flags, unsigned(Seen));
}

TEST_F(MessagesTest, SummariesComeInBatchesWithProgressAndCanBeCancelled) {
    client->setFetchBatchSize(2);
    QList<std::pair<qsizetype, qsizetype>> steps;
    const auto all =
        client->fetchSummaries({report, lunch, reply}, [&](qsizetype done, qsizetype total) {
            steps.append({done, total});
            return true;
        });
    EXPECT_EQ(all.size(), 3);
    EXPECT_EQ(steps, (QList<std::pair<qsizetype, qsizetype>>{{2, 3}, {3, 3}}));
    expectImapError(
        [&] {
            client->fetchSummaries({report, lunch, reply},
                                   [](qsizetype, qsizetype) { return false; });
        },
        ErrorKind::Cancelled, QStringLiteral("Fetching the message list was cancelled"));
    EXPECT_EQ(client->fetchSummaries({lunch}).size(), 1);  // still usable
}

TEST_F(MessagesTest, WholeMessageIsReadByteForByteAndStaysUnread) {
    EXPECT_EQ(client->fetchMessage(report), kReport);
    EXPECT_EQ(client->fetchMessage(lunch), kLunch);
    for (const MessageSummary& s : client->fetchSummaries({report, lunch}))
        EXPECT_EQ(s.flags & Seen, 0u);
    EXPECT_EQ(client->search({.seen = false}), (QList<quint32>{report, lunch}));
    expectImapError([&] { client->fetchMessage(reply + 100); }, ErrorKind::Rejected,
                    QStringLiteral("is no longer on the server"));
}

TEST_F(MessagesTest, DeleteRemovesThatUidOnlyEvenBesideOtherDeletedMail) {
    const quint32 flagged =
        client->append(mailbox, "Subject: flagged by another client\r\n\r\nx\r\n", Deleted);
    client->select(mailbox);
    client->deleteMessage(lunch);
    EXPECT_EQ(client->allUids(), (QList<quint32>{report, reply, flagged}));
    client->select(mailbox);
    EXPECT_EQ(client->allUids(), (QList<quint32>{report, reply, flagged}));
    EXPECT_EQ(client->fetchMessage(reply), kReply);
}
