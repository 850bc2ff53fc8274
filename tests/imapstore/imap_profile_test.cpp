// IMAP accounts as the program keeps them: added with quorvane-store, opened by
// the profile's logon, against a private Dovecot on a self-signed certificate
// (made by dovecot-fixture.sh with openssl req -x509 for each run).
#include <gtest/gtest.h>

#include <QProcess>

#include "DovecotServer.h"
#include "app/ImapAccounts.h"
#include "messaging/Error.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"

namespace {

bool addImap(const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(QUORVANE_STORE_TOOL), QStringList{QStringLiteral("add-imap")} + args);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) {
        ADD_FAILURE() << tool.readAll().toStdString();
        return false;
    }
    return true;
}

// The fingerprint as the program shows it: upper-case pairs joined by colons.
QString colonPairs(const QString& hex) {
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) pairs << hex.mid(i, 2).toUpper();
    return pairs.join(QLatin1Char(':'));
}

struct Outcome {
    std::int32_t error = 0;  // 0: logged on
    QString description;
    QStringList stores;
};

Outcome logon(const QString& profile) {
    Outcome out;
    try {
        mapi::Ref<mapi::Session> s = mapi::createSession();
        mapi::LogonArgs a;
        a.profileName = profile;
        a.showDialog = false;
        a.newSession = true;
        s->Logon(a);
        for (int i = 1; i <= s->InfoStoresOf()->Count(); ++i)
            out.stores << s->InfoStoresOf()->Item(i)->Name();
        s->Logoff();
    } catch (const mapi::Error& e) {
        out.error = e.number();
        out.description = e.description();
    }
    return out;
}

TEST(ImapProfiles, AnUntrustedCertificateIsAcceptedOnlyByItsFingerprint) {
    DovecotServer server;
    if (server.missing()) GTEST_SKIP() << "Dovecot is not installed";
    ASSERT_NE(server.imapPort(), 0) << server.failure().toStdString();
    const QString fingerprint = colonPairs(server.certificateFingerprint());
    ASSERT_EQ(fingerprint.size(), 95);
    const QString tlsPort = QString::number(server.imapsPort());
    const QString plainPort = QString::number(server.imapPort());
    const QStringList common{"--server", "127.0.0.1", "--user", "alice", "--password-file"};
    const QString password = QStringLiteral(PASSWORD_FILE);
    struct Account {
        const char* profile;
        QStringList options;
    };
    const std::vector<Account> accounts = {
        {"Untrusted", {"--security", "tls", "--port", tlsPort}},
        {"Pinned", {"--security", "tls", "--port", tlsPort, "--fingerprint", fingerprint}},
        // Case and colons do not matter.
        {"PinnedLower",
         {"--security", "tls", "--port", tlsPort, "--fingerprint",
          server.certificateFingerprint().toLower()}},
        {"WrongPin",
         {"--security", "tls", "--port", tlsPort, "--fingerprint",
          QString(fingerprint).replace(0, 2, fingerprint.startsWith('0') ? "11" : "00")}},
        {"StartTlsUntrusted", {"--security", "starttls", "--port", plainPort}},
        {"StartTlsPinned",
         {"--security", "starttls", "--port", plainPort, "--fingerprint", fingerprint}},
    };
    for (const Account& a : accounts)
        ASSERT_TRUE(addImap(QStringList{"--profile", a.profile} + common + QStringList{password} +
                            a.options));
    store::installDefaultBackend();
    app::installImapAccounts(QString());

    const QString refused =
        QStringLiteral(
            "The certificate of 127.0.0.1 is not trusted: The certificate is self-signed, and "
            "untrusted (SHA-256 fingerprint %1). [MAPI_E_NETWORK_ERROR(80040115)]")
            .arg(fingerprint);
    const QStringList mailbox{QStringLiteral("Mailbox - alice@127.0.0.1")};
    const struct {
        const char* profile;
        std::int32_t error;
        QString description;
        QStringList stores;
    } cases[] = {
        {"Untrusted", mapi::code::NetworkError, refused, {}},
        {"Pinned", 0, {}, mailbox},
        {"PinnedLower", 0, {}, mailbox},
        {"WrongPin", mapi::code::NetworkError, refused, {}},
        {"StartTlsUntrusted", mapi::code::NetworkError, refused, {}},
        {"StartTlsPinned", 0, {}, mailbox},
        // A refused certificate leaves nothing behind: the next logon works.
        {"Pinned", 0, {}, mailbox},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        const Outcome got = logon(QLatin1String(c.profile));
        EXPECT_EQ(got.error, c.error);
        EXPECT_EQ(got.description, c.description);
        EXPECT_EQ(got.stores, c.stores);
    }
}

}  // namespace
