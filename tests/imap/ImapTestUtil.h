#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "DovecotServer.h"
#include "imap/ImapClient.h"

// One private Dovecot for the whole test binary; tests that change mail work in
// mailboxes of their own so they do not depend on each other's order.
inline DovecotServer& sharedServer() {
    static std::unique_ptr<DovecotServer> server = std::make_unique<DovecotServer>();
    return *server;
}

class ImapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (sharedServer().missing())
            GTEST_SKIP() << "Dovecot is not installed: " << sharedServer().failure().toStdString();
        ASSERT_NE(sharedServer().imapPort(), 0) << sharedServer().failure().toStdString();
    }

    static imap::ConnectOptions plain(const DovecotServer& server = sharedServer()) {
        imap::ConnectOptions o;
        o.host = QStringLiteral("127.0.0.1");
        o.port = server.imapPort();
        o.timeout = std::chrono::seconds(5);
        return o;
    }

    static std::unique_ptr<imap::Client> logon(const QString& user = QStringLiteral("alice")) {
        auto client = std::make_unique<imap::Client>();
        client->connect(plain());
        client->login(user, QStringLiteral("secret"));
        return client;
    }
};

// Runs f, which must throw imap::Error of the given kind whose message contains `fragment`.
inline void expectImapError(const std::function<void()>& f, imap::ErrorKind kind,
                            const QString& fragment) {
    try {
        f();
        ADD_FAILURE() << "no error thrown, expected one containing " << fragment.toStdString();
    } catch (const imap::Error& e) {
        EXPECT_EQ(int(e.kind()), int(kind)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(fragment)) << e.message().toStdString();
    }
}
