#pragma once

// What the account-store tests share: mail to seed, an account's settings, a
// second client as another mail program would be, and the checks of errors.

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <memory>
#include <ostream>

#include "imap/ImapClient.h"
#include "imapstore/Account.h"
#include "messaging/Error.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace imapstore_test {

inline QByteArray mail(const QByteArray& subject) {
    return "From: Ann <ann@example.com>\r\nTo: Jo <jo@example.com>\r\nSubject: " + subject +
           "\r\nDate: Fri, 05 Mar 1999 12:00:00 +0000\r\n\r\nText of " + subject + "\r\n";
}

inline imapstore::AccountSettings settings(quint16 port, const QString& user,
                                           const QString& password = QStringLiteral("secret")) {
    imapstore::AccountSettings a;
    a.connect.host = QStringLiteral("127.0.0.1");
    a.connect.port = port;
    a.connect.timeout = std::chrono::seconds(5);
    a.user = user;
    a.password = password;
    return a;
}

// A second client on the server itself, as another mail program would be.
inline std::unique_ptr<imap::Client> other(quint16 port, const QString& user) {
    auto c = std::make_unique<imap::Client>();
    imap::ConnectOptions o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = port;
    c->connect(o);
    c->login(user, QStringLiteral("secret"));
    return c;
}

inline mapi::Ref<mapi::Folder> folder(imapstore::Account& a, const QString& mailbox) {
    return a.folderById(a.ids().folder(mailbox));
}

inline QStringList subjects(const mapi::Ref<mapi::Folder>& f) {
    QStringList out;
    mapi::Ref<mapi::Messages> all = f->MessagesOf();
    for (mapi::Ref<mapi::Message> m : *all) out << m->Subject();
    return out;
}

inline void expectError(const std::function<void()>& f, std::int32_t number,
                        const QString& fragment) {
    try {
        f();
        ADD_FAILURE() << "no error, expected " << number;
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.number(), number) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(fragment)) << e.description().toStdString();
    }
}

}  // namespace imapstore_test
