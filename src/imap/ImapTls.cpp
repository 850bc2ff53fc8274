#include <QCryptographicHash>
#include <QSslCertificate>
#include <QSslError>
#include <cstdlib>

#include "imap/EtpanUtil.h"
#include "imap/ImapClient.h"

namespace imap {

namespace {

QByteArray normalisedFingerprint(const QString& text) {
    QByteArray hex = text.toLatin1().toLower();
    hex.replace(':', "");
    hex.replace(' ', "");
    return hex;
}

QString colonHex(const QByteArray& hex) {
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2)
        pairs << QString::fromLatin1(hex.mid(i, 2)).toUpper();
    return pairs.join(QLatin1Char(':'));
}

}  // namespace

// libetpan only encrypts; whether the peer is who it claims to be is decided here,
// always, with the system's trusted roots or the one fingerprint the user accepted.
void Client::verifyCertificate() {
    unsigned char* der = nullptr;
    const ssize_t length = mailstream_ssl_get_certificate(imap_->imap_stream, &der);
    const QString host = options_.host;
    if (length <= 0 || !der) {
        disconnect();
        throw Error(ErrorKind::Certificate,
                    QStringLiteral("The server %1 sent no certificate").arg(host));
    }
    const QSslCertificate certificate(QByteArray(reinterpret_cast<const char*>(der), length),
                                      QSsl::Der);
    std::free(der);
    const QByteArray fingerprint = certificate.digest(QCryptographicHash::Sha256).toHex();
    if (!options_.acceptedFingerprint.isEmpty() &&
        normalisedFingerprint(options_.acceptedFingerprint) == fingerprint)
        return;
    const QList<QSslError> errors = QSslCertificate::verify({certificate}, host);
    if (errors.isEmpty() && !certificate.isNull()) return;
    disconnect();
    const QString reason = errors.isEmpty() ? QStringLiteral("the certificate cannot be read")
                                            : errors.first().errorString();
    throw Error(ErrorKind::Certificate,
                QStringLiteral("The certificate of %1 is not trusted: %2 (SHA-256 fingerprint %3)")
                    .arg(host, reason, colonHex(fingerprint)));
}

}  // namespace imap
