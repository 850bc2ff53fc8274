// Certificate checks over implicit TLS and STARTTLS, against Dovecot serving what
// tls-fixture.sh issues for each run: a root CA that only an account's CA file makes
// trusted, an intermediate it signed, and server certificates the intermediate signed,
// sent with the intermediate as real servers send them.
#include <QCryptographicHash>
#include <QProcess>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <map>

#include "ImapTestUtil.h"

using namespace imap;

namespace {

// The certificates of one run, in a folder of their own.
class Pki {
  public:
    Pki() {
        QProcess script;
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start(QStringLiteral(TLS_FIXTURE_SCRIPT), {dir_.path()});
        script.waitForFinished(60000);
        if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
            failure_ = QString::fromLocal8Bit(script.readAll());
    }
    const QString& failure() const { return failure_; }
    QString dir() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString certificate(const QString& name) const { return path(name + QStringLiteral(".pem")); }
    QString key(const QString& name) const { return path(name + QStringLiteral("-key.pem")); }
    // The leaf's SHA-256 as the client shows it: upper-case pairs joined by colons.
    QString fingerprint(const QString& name) const {
        const auto sent = QSslCertificate::fromPath(certificate(name));
        if (sent.isEmpty()) return {};
        const QByteArray hex = sent.first().digest(QCryptographicHash::Sha256).toHex().toUpper();
        QStringList pairs;
        for (qsizetype i = 0; i < hex.size(); i += 2) pairs << QString::fromLatin1(hex.mid(i, 2));
        return pairs.join(QLatin1Char(':'));
    }

  private:
    QTemporaryDir dir_;
    QString failure_;
};

// The refusal of an untrusted certificate; {fp} stands for the served leaf's fingerprint.
QString untrusted(const char* reason) {
    return QStringLiteral(
               "The certificate of 127.0.0.1 is not trusted: %1 (SHA-256 fingerprint {fp})")
        .arg(QLatin1String(reason));
}

const QString kNoIssuer =
    untrusted("The issuer certificate of a locally looked up certificate could not be found");

}  // namespace

TEST_F(ImapTest, TlsTrustsTheWholeChainTheServerSendsOrThePinnedLeafAndNothingElse) {
    const Pki pki;
    ASSERT_TRUE(pki.failure().isEmpty()) << pki.failure().toStdString();
    // One server for each certificate served.
    std::map<QString, std::unique_ptr<DovecotServer>> servers;
    for (const char* served : {"chain", "leaf", "selfsigned", "otherhost", "expired"}) {
        const QString name = QLatin1String(served);
        auto& server = servers[name];
        server = std::make_unique<DovecotServer>(pki.certificate(name), pki.key(name));
        ASSERT_NE(server->imapPort(), 0) << server->failure().toStdString();
    }
    // An empty `refused` logs on; {dir} in it is the certificates' folder.
    const struct {
        const char* served;
        Security security;
        const char* caFile;
        bool pinned;
        QString refused;
    } cases[] = {
        {"chain", Security::Tls, "root.pem", false, {}},
        {"chain", Security::StartTls, "root.pem", false, {}},
        // The account's CA is trusted for its own check only.
        {"chain", Security::Tls, "", false, kNoIssuer},
        {"chain", Security::StartTls, "", false, kNoIssuer},
        // A server that leaves out its intermediate cannot be verified ...
        {"leaf", Security::Tls, "root.pem", false, kNoIssuer},
        {"leaf", Security::StartTls, "root.pem", false, kNoIssuer},
        // ... but its leaf can be pinned, whatever its chain.
        {"leaf", Security::Tls, "", true, {}},
        {"leaf", Security::StartTls, "", true, {}},
        {"selfsigned", Security::Tls, "root.pem", false,
         untrusted("The certificate is self-signed, and untrusted")},
        {"selfsigned", Security::StartTls, "", false,
         untrusted("The certificate is self-signed, and untrusted")},
        {"selfsigned", Security::StartTls, "", true, {}},
        {"otherhost", Security::Tls, "root.pem", false,
         untrusted("The host name did not match any of the valid hosts for this certificate")},
        {"expired", Security::Tls, "root.pem", false, untrusted("The certificate has expired")},
        {"expired", Security::StartTls, "root.pem", false,
         untrusted("The certificate has expired")},
        {"expired", Security::Tls, "root.pem", true, {}},
        // The CA file is read at each connection; one that cannot be used is named.
        {"chain", Security::Tls, "nowhere.pem", false,
         "The CA file {dir}/nowhere.pem cannot be read: No such file or directory"},
        {"chain", Security::StartTls, "root-key.pem", false,
         "The CA file {dir}/root-key.pem holds no certificate"},
        // A pinned leaf needs no CA file at all.
        {"chain", Security::Tls, "nowhere.pem", true, {}},
    };
    for (const auto& c : cases) {
        const QString served = QLatin1String(c.served);
        SCOPED_TRACE(std::string(c.served) + (c.security == Security::Tls ? " TLS" : " STARTTLS") +
                     " CA file '" + c.caFile + "'" + (c.pinned ? " pinned" : ""));
        const DovecotServer& server = *servers.at(served);
        ConnectOptions options = plain(server);
        options.security = c.security;
        if (c.security == Security::Tls) options.port = server.imapsPort();
        if (*c.caFile) options.caFile = pki.path(QLatin1String(c.caFile));
        if (c.pinned) options.acceptedFingerprint = pki.fingerprint(served);
        const std::string refused = QString(c.refused)
                                        .replace(QStringLiteral("{fp}"), pki.fingerprint(served))
                                        .replace(QStringLiteral("{dir}"), pki.dir())
                                        .toStdString();
        Client client;
        try {
            client.connect(options);
            client.login(QStringLiteral("alice"), QStringLiteral("secret"));
            EXPECT_FALSE(client.list().isEmpty());
            EXPECT_EQ("", refused) << "logged on";
            client.logout();
        } catch (const Error& e) {
            EXPECT_EQ(e.message().toStdString(), refused);
            EXPECT_EQ(int(e.kind()), int(ErrorKind::Certificate));
        }
        EXPECT_FALSE(client.isConnected());
    }
}
