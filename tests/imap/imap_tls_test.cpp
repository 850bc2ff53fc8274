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
#include "support/JsonCases.h"

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
    // tls.json: [served, security, CA file, "pinned", the refusal or "" to log on].
    for (const jsoncases::Case& c : jsoncases::read(CASES_DIR "/tls.json")) {
        SCOPED_TRACE(c.name);
        const QString served = c.fields[0];
        const DovecotServer& server = *servers.at(served);
        ConnectOptions options = plain(server);
        options.security = c.fields[1] == u"TLS" ? Security::Tls : Security::StartTls;
        if (options.security == Security::Tls) options.port = server.imapsPort();
        if (!c.fields[2].isEmpty()) options.caFile = pki.path(c.fields[2]);
        if (c.fields[3] == u"pinned") options.acceptedFingerprint = pki.fingerprint(served);
        const std::string refused = QString(c.fields[4])
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
