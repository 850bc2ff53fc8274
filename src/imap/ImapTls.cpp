#include <QCryptographicHash>
#include <QFile>
#include <QMutex>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>

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

// Every certificate the server sent, its own first: servers of public CAs send their
// intermediates too, and without them no chain reaches a trusted root.
QList<QSslCertificate> peerChain(mailstream* stream) {
    QList<QSslCertificate> chain;
    carray* sent = mailstream_get_certificate_chain(stream);
    if (!sent) return chain;
    for (unsigned i = 0; i < carray_count(sent); ++i) {
        const auto* der = static_cast<const MMAPString*>(carray_get(sent, i));
        QSslCertificate certificate(QByteArray(der->str, qsizetype(der->len)), QSsl::Der);
        // An unreadable intermediate cannot help; an unreadable leaf is refused below.
        if (i == 0 || !certificate.isNull()) chain << certificate;
    }
    mailstream_certificate_chain_free(sent);
    return chain;
}

QList<QSslCertificate> readCaFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            ErrorKind::Certificate,
            QStringLiteral("The CA file %1 cannot be read: %2").arg(path, file.errorString()));
    const QByteArray data = file.readAll();
    QList<QSslCertificate> certificates = QSslCertificate::fromData(data, QSsl::Pem);
    if (certificates.isEmpty()) certificates = QSslCertificate::fromData(data, QSsl::Der);
    if (certificates.isEmpty())
        throw Error(ErrorKind::Certificate,
                    QStringLiteral("The CA file %1 holds no certificate").arg(path));
    return certificates;
}

// QSslCertificate::verify trusts the system's roots and those of Qt's default
// configuration, nothing else. An account's own CA joins the default only for the
// length of its own check, under a lock every check takes, so no other account's
// server is ever judged by it.
QList<QSslError> verifyChain(const QList<QSslCertificate>& chain, const QString& host,
                             const QList<QSslCertificate>& extraRoots) {
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    if (extraRoots.isEmpty()) return QSslCertificate::verify(chain, host);
    const QSslConfiguration saved = QSslConfiguration::defaultConfiguration();
    QSslConfiguration widened = saved;
    widened.addCaCertificates(extraRoots);
    QSslConfiguration::setDefaultConfiguration(widened);
    const QList<QSslError> errors = QSslCertificate::verify(chain, host);
    QSslConfiguration::setDefaultConfiguration(saved);
    return errors;
}

// "CN=…, O=…, OU=…, C=…" of the certificate's subject or issuer: the whole
// name, as a user compares it with what the provider published.
QString names(const QSslCertificate& c, bool issuer) {
    static const std::pair<QSslCertificate::SubjectInfo, const char*> parts[] = {
        {QSslCertificate::CommonName, "CN"},
        {QSslCertificate::Organization, "O"},
        {QSslCertificate::OrganizationalUnitName, "OU"},
        {QSslCertificate::CountryName, "C"}};
    QStringList out;
    for (const auto& [attribute, label] : parts) {
        const QStringList values = issuer ? c.issuerInfo(attribute) : c.subjectInfo(attribute);
        for (const QString& v : values) out << QStringLiteral("%1=%2").arg(QLatin1String(label), v);
    }
    return out.join(QStringLiteral(", "));
}

}  // namespace

// libetpan only encrypts; whether the peer is who it claims to be is decided here,
// always: the chain it sent must lead to the system's trusted roots or the account's
// own CA and name the host, unless its leaf is the one the user pinned.
void Client::verifyCertificate() {
    const QString host = options_.host;
    const QList<QSslCertificate> chain = peerChain(imap_->imap_stream);
    if (chain.isEmpty()) {
        disconnect();
        throw Error(ErrorKind::Certificate,
                    QStringLiteral("The server %1 sent no certificate").arg(host));
    }
    const QSslCertificate& leaf = chain.first();
    const QByteArray fingerprint = leaf.digest(QCryptographicHash::Sha256).toHex();
    if (!options_.acceptedFingerprint.isEmpty() &&
        normalisedFingerprint(options_.acceptedFingerprint) == fingerprint)
        return;
    QString reason = QStringLiteral("the certificate cannot be read");
    if (!leaf.isNull()) {
        QList<QSslError> errors;
        try {
            const QList<QSslCertificate> extraRoots =
                options_.caFile.isEmpty() ? QList<QSslCertificate>() : readCaFile(options_.caFile);
            errors = verifyChain(chain, host, extraRoots);
        } catch (const Error&) {
            disconnect();
            throw;
        }
        if (errors.isEmpty()) return;
        reason = errors.first().errorString();
    }
    if (options_.trustCertificate && !leaf.isNull()) {
        const CertificateInfo info{host,
                                   names(leaf, false),
                                   names(leaf, true),
                                   leaf.effectiveDate(),
                                   leaf.expiryDate(),
                                   colonHex(fingerprint),
                                   reason};
        if (options_.trustCertificate(info)) return;
    }
    disconnect();
    throw Error(ErrorKind::Certificate,
                QStringLiteral("The certificate of %1 is not trusted: %2 (SHA-256 fingerprint %3)")
                    .arg(host, reason, colonHex(fingerprint)));
}

}  // namespace imap
