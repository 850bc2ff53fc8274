#include "DovecotServer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>

DovecotServer::DovecotServer() {
    start({});
}

DovecotServer::DovecotServer(const QString& certificate, const QString& key) {
    start({certificate, key});
}

void DovecotServer::start(const QStringList& certificateAndKey) {
    if (!run("start", certificateAndKey)) return;
    running_ = true;
    QFile ports(dir_.filePath("ports"));
    ports.open(QIODevice::ReadOnly);
    for (const QByteArray& line : ports.readAll().split('\n')) {
        if (line.startsWith("IMAP=")) imapPort_ = quint16(line.mid(5).toUInt());
        if (line.startsWith("IMAPS=")) imapsPort_ = quint16(line.mid(6).toUInt());
    }
}

DovecotServer::~DovecotServer() {
    stop();
}

void DovecotServer::stop() {
    if (running_) run("stop");
    running_ = false;
}

bool DovecotServer::run(const char* command, const QStringList& more) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(DOVECOT_FIXTURE_SCRIPT),
                 QStringList{QString::fromLatin1(command), dir_.path()} + more);
    script.waitForFinished(120000);
    if (script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0) return true;
    missing_ = script.exitCode() == 77;
    failure_ = QString::fromLocal8Bit(script.readAll());
    return false;
}

QString DovecotServer::certificateFingerprint() const {
    const auto certificates = QSslCertificate::fromPath(dir_.filePath("tls/cert.pem"));
    if (certificates.isEmpty()) return {};
    return QString::fromLatin1(certificates.first().digest(QCryptographicHash::Sha256).toHex());
}
