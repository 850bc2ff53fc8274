#include "libdialogs/CertificateDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "libdialogs/WidgetDialogs.h"
#include "ui/Dialogs.h"

namespace libdialogs {

namespace {

QString when(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"))
                       : QStringLiteral("(not given)");
}

}  // namespace

QString certificateText(const store::UntrustedCertificate& c) {
    return QStringLiteral(
               "The mail server of %1 sent a certificate that is not trusted: %2.\n"
               "\n"
               "Subject:  %3\n"
               "Issuer:  %4\n"
               "Valid from:  %5\n"
               "Valid until:  %6\n"
               "SHA-256 fingerprint:  %7\n"
               "\n"
               "Trust exactly this certificate for this account only if the fingerprint is the "
               "one the server's administrator gave you. A certificate that changes later is "
               "asked about again.")
        .arg(c.account, c.reason, c.subject, c.issuer, when(c.validFrom), when(c.validUntil),
             c.fingerprint);
}

CertificateDialog::CertificateDialog(const store::UntrustedCertificate& certificate,
                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CertificateDialog"));
    setWindowTitle(QStringLiteral("Untrusted Certificate"));
    setWindowModality(Qt::ApplicationModal);

    auto* text = new QPlainTextEdit(certificateText(certificate), this);
    text->setObjectName(QStringLiteral("CertificateText"));
    text->setReadOnly(true);
    auto* trust = new QPushButton(QStringLiteral("&Trust This Certificate"), this);
    trust->setObjectName(QStringLiteral("TrustButton"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    // Trusting is never the default: Enter must not pin a certificate unread.
    cancel->setDefault(true);
    connect(trust, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(trust);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    resize(560, 300);
}

bool askTrustCertificate(const store::UntrustedCertificate& certificate) {
    CertificateDialog dialog(certificate, ui::dialogParent());
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace libdialogs
