#pragma once

// Asked when a mail server's certificate does not verify: what it is, and
// whether to trust exactly that certificate for the account.

#include <QDialog>

#include "store/LibraryDialogs.h"

namespace libdialogs {

// The certificate's account, subject, issuer, validity and SHA-256 fingerprint
// in the read-only text "CertificateText"; "TrustButton" accepts, "CancelButton"
// or closing the window refuses.
class CertificateDialog : public QDialog {
  public:
    explicit CertificateDialog(const store::UntrustedCertificate& certificate,
                               QWidget* parent = nullptr);
};

// The text the dialog shows.
QString certificateText(const store::UntrustedCertificate& certificate);

}  // namespace libdialogs
