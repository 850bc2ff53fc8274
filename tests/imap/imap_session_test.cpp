// Logging on, capabilities, the mailbox tree, TLS and the protocol log.
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "ImapTestUtil.h"
#include "imap/ProtocolLog.h"

using namespace imap;

TEST_F(ImapTest, LoginWithTheRightPasswordReportsTheServerCapabilities) {
    const auto alice = logon();
    EXPECT_TRUE(alice->capabilities().uidPlus);
    EXPECT_TRUE(alice->capabilities().condStore);
    EXPECT_TRUE(alice->capabilities().qresync);
    const auto legacy = logon(QStringLiteral("legacy"));
    EXPECT_FALSE(legacy->capabilities().uidPlus);
    EXPECT_FALSE(legacy->capabilities().condStore);
}

// Dovecot slows every later logon from an address that failed (2, 4, 8 ... seconds), so
// this runs on an instance of its own and keeps to two failures.
TEST_F(ImapTest, WrongPasswordOrUnknownUserIsLogonFailedAndALaterLoginWorks) {
    DovecotServer server;
    ASSERT_NE(server.imapPort(), 0) << server.failure().toStdString();
    ConnectOptions options = plain(server);
    options.timeout = std::chrono::seconds(20);
    const struct {
        const char* user;
        const char* password;
    } cases[] = {{"alice", "wrong"}, {"nobody-here", "secret"}};
    Client client;
    client.connect(options);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        expectImapError(
            [&] { client.login(QString::fromLatin1(c.user), QString::fromLatin1(c.password)); },
            ErrorKind::LogonFailed,
            QStringLiteral("The server 127.0.0.1 rejected the user name or password: "));
    }
    ASSERT_TRUE(client.isConnected());
    client.login(QStringLiteral("alice"), QStringLiteral("secret"));
    EXPECT_FALSE(client.list().isEmpty());
}

TEST_F(ImapTest, SelectAndExamineReportValidityNextUidAndModSeq) {
    const auto bob = logon(QStringLiteral("bob"));
    bob->create(QStringLiteral("Counted"));
    const MailboxStatus empty = bob->select(QStringLiteral("Counted"));
    EXPECT_NE(empty.uidValidity, 0u);
    EXPECT_EQ(empty.exists, 0u);
    const quint32 uid = bob->append(QStringLiteral("Counted"), "Subject: one\r\n\r\nx\r\n", 0);
    const MailboxStatus one = bob->examine(QStringLiteral("Counted"));
    EXPECT_EQ(one.uidValidity, empty.uidValidity);
    EXPECT_EQ(one.exists, 1u);
    EXPECT_EQ(one.uidNext, uid + 1);
    EXPECT_GT(one.highestModSeq, 0u);
    expectImapError([&] { bob->select(QStringLiteral("No such folder")); }, ErrorKind::Rejected,
                    QStringLiteral("SELECT failed: "));
}

TEST_F(ImapTest, ProtocolLogFileHasEveryExchangeWithThePasswordMasked) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("imap.log"));
    {
        FileProtocolLog log(path);
        ASSERT_TRUE(log.isOpen());
        Client client;
        client.setProtocolLog(&log);
        client.connect(plain());
        client.login(QStringLiteral("alice"), QStringLiteral("secret"));
        client.list();
        client.logout();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QByteArrayList sent, received;
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith("C: ")) sent << line;
        if (line.startsWith("S: ")) received << line;
    }
    EXPECT_EQ(sent, (QByteArrayList{"C: 1 CAPABILITY", "C: 2 LOGIN alice ***", "C: 3 CAPABILITY",
                                    "C: 4 LIST \"\" \"*\"", "C: 5 LOGOUT"}));
    ASSERT_FALSE(received.isEmpty());
    EXPECT_TRUE(received.first().startsWith("S: * OK")) << text.toStdString();
    EXPECT_TRUE(received.contains("S: * LIST (\\HasNoChildren) \"/\" INBOX")) << text.toStdString();
    EXPECT_TRUE(received.contains("S: * BYE Logging out")) << text.toStdString();
    EXPECT_FALSE(text.contains("secret"));
    EXPECT_FALSE(text.contains('\r'));
}
