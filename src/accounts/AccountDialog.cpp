#include "accounts/AccountDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "libdialogs/OkCancelRow.h"
#include "ui/Dialogs.h"

namespace accounts {

namespace {

// Combo entries in order, and the words the store keeps for them.
const char* const kSecurity[] = {"none", "starttls", "tls"};

int defaultPort(int security) {
    return security == 2 ? 993 : 143;
}

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

AccountDialog::AccountDialog(QWidget* parent, const std::optional<store::AccountEntry>& before,
                             bool passwordKept)
    : QDialog(parent),
      before_(before),
      server_(named(new QLineEdit(this), "ServerText")),
      port_(named(new QLineEdit(this), "PortText")),
      security_(named(new QComboBox(this), "SecurityCombo")),
      user_(named(new QLineEdit(this), "UserText")),
      password_(named(new QLineEdit(this), "PasswordText")),
      remember_(named(new QCheckBox(tr("&Remember the password"), this), "RememberCheck")),
      caFile_(named(new QLineEdit(this), "CaFileText")) {
    setObjectName(QStringLiteral("AccountDialog"));
    setWindowTitle(before ? tr("Edit IMAP Account") : tr("Add IMAP Account"));
    setWindowModality(Qt::ApplicationModal);

    security_->addItems({tr("None"), tr("STARTTLS"), tr("TLS")});
    port_->setValidator(new QIntValidator(1, 65535, port_));
    password_->setEchoMode(QLineEdit::Password);
    caFile_->setPlaceholderText(tr("only for a server whose CA is not a public one"));
    auto* browse = named(new QPushButton(tr("&Browse…"), this), "CaFileButton");

    if (before) {
        server_->setText(before->server);
        port_->setText(QString::number(before->port));
        for (int i = 0; i < 3; ++i)
            if (before->security.compare(QLatin1String(kSecurity[i]), Qt::CaseInsensitive) == 0)
                security_->setCurrentIndex(i);
        user_->setText(before->user);
        caFile_->setText(before->caFile);
        remember_->setChecked(passwordKept);
        if (passwordKept) password_->setPlaceholderText(tr("unchanged"));
    } else {
        security_->setCurrentIndex(2);  // what public mail servers offer
        port_->setText(QString::number(defaultPort(2)));
        remember_->setChecked(true);
    }

    auto* caRow = new QHBoxLayout;
    caRow->addWidget(caFile_);
    caRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(tr("&Server:"), server_);
    form->addRow(tr("&Port:"), port_);
    form->addRow(tr("S&ecurity:"), security_);
    form->addRow(tr("&User name:"), user_);
    form->addRow(tr("Pass&word:"), password_);
    form->addRow(QString(), remember_);
    form->addRow(tr("&CA file:"), caRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(libdialogs::okCancelRow(this));

    connect(security_, &QComboBox::currentIndexChanged, this, &AccountDialog::securityChanged);
    connect(browse, &QPushButton::clicked, this, &AccountDialog::chooseCaFile);
}

void AccountDialog::securityChanged() {
    // The port follows the security while it is the other one's usual port.
    const int port = port_->text().toInt();
    if (port_->text().isEmpty() || port == 143 || port == 993)
        port_->setText(QString::number(defaultPort(security_->currentIndex())));
}

void AccountDialog::chooseCaFile() {
    if (const std::optional<QString> path = ui::openFileName(
            tr("CA File"),
            QStringLiteral("Certificates (*.pem *.crt *.cer *.der)|*.pem;*.crt;*.cer;*.der|"
                           "All files (*)|*")))
        caFile_->setText(*path);
}

void AccountDialog::accept() {
    QString problem;
    const int port = port_->text().toInt();
    if (server_->text().trimmed().isEmpty())
        problem = tr("Enter the mail server's name.");
    else if (port < 1 || port > 65535)
        problem = tr("Enter a port from 1 to 65535.");
    else if (user_->text().trimmed().isEmpty())
        problem = tr("Enter the user name.");
    else if (const QString ca = caFile_->text().trimmed();
             !ca.isEmpty() && !QFileInfo(ca).isReadable())
        problem = tr("The CA file %1 cannot be read.").arg(ca);
    if (!problem.isEmpty()) {
        ui::msgBox(problem, ui::Icon::Exclamation);
        return;
    }
    QDialog::accept();
}

store::AccountEntry AccountDialog::entry() const {
    store::AccountEntry e = before_.value_or(store::AccountEntry{});
    e.server = server_->text().trimmed();
    e.port = port_->text().toInt();
    e.security = QLatin1String(kSecurity[std::max(0, security_->currentIndex())]);
    e.user = user_->text().trimmed();
    e.password = remember_->isChecked() ? password_->text() : QString();
    QString ca = caFile_->text().trimmed();
    e.caFile = ca.isEmpty() ? ca : QFileInfo(ca).absoluteFilePath();
    // A certificate pinned for one server says nothing about another.
    if (before_ && before_->server.compare(e.server, Qt::CaseInsensitive) != 0)
        e.fingerprint.clear();
    return e;
}

bool AccountDialog::remember() const {
    return remember_->isChecked();
}

}  // namespace accounts
