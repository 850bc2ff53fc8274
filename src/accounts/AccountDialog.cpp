#include "accounts/AccountDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
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
      caFile_(named(new QLineEdit(this), "CaFileText")),
      auth_(named(new QComboBox(this), "AuthCombo")),
      authorizeUrl_(named(new QLineEdit(this), "AuthorizeUrlText")),
      tokenUrl_(named(new QLineEdit(this), "TokenUrlText")),
      scope_(named(new QLineEdit(this), "ScopeText")),
      clientId_(named(new QLineEdit(this), "ClientIdText")),
      clientSecret_(named(new QLineEdit(this), "ClientSecretText")) {
    setObjectName(QStringLiteral("AccountDialog"));
    setWindowTitle(before ? tr("Edit IMAP Account") : tr("Add IMAP Account"));
    setWindowModality(Qt::ApplicationModal);

    security_->addItems({tr("None"), tr("STARTTLS"), tr("TLS")});
    port_->setValidator(new QIntValidator(1, 65535, port_));
    password_->setEchoMode(QLineEdit::Password);
    caFile_->setPlaceholderText(tr("only for a server whose CA is not a public one"));
    auto* browse = named(new QPushButton(tr("&Browse…"), this), "CaFileButton");
    auth_->addItems({tr("Password"), tr("OAuth 2.0")});
    clientSecret_->setPlaceholderText(tr("only for a client registered with one"));

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
        auth_->setCurrentIndex(before->usesOAuth2() ? 1 : 0);
        authorizeUrl_->setText(before->authorizeUrl);
        tokenUrl_->setText(before->tokenUrl);
        scope_->setText(before->scope);
        clientId_->setText(before->clientId);
        clientSecret_->setText(before->clientSecret);
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
    form->addRow(tr("&Authentication:"), auth_);
    form->addRow(tr("Authori&zation URL:"), authorizeUrl_);
    form->addRow(tr("&Token URL:"), tokenUrl_);
    form->addRow(tr("Sc&ope:"), scope_);
    form->addRow(tr("Client &ID:"), clientId_);
    form->addRow(tr("Client secre&t:"), clientSecret_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(libdialogs::okCancelRow(this));

    connect(security_, &QComboBox::currentIndexChanged, this, &AccountDialog::securityChanged);
    connect(browse, &QPushButton::clicked, this, &AccountDialog::chooseCaFile);
    connect(auth_, &QComboBox::currentIndexChanged, this, &AccountDialog::authChanged);
    authChanged();
}

void AccountDialog::authChanged() {
    // An OAuth 2.0 account has no password; a password account no OAuth settings.
    const bool oauth = auth_->currentIndex() == 1;
    password_->setEnabled(!oauth);
    remember_->setEnabled(!oauth);
    for (QLineEdit* e : {authorizeUrl_, tokenUrl_, scope_, clientId_, clientSecret_})
        e->setEnabled(oauth);
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
    else if (auth_->currentIndex() == 1) {
        for (QLineEdit* e : {authorizeUrl_, tokenUrl_}) {
            const QUrl url(e->text().trimmed(), QUrl::StrictMode);
            if (problem.isEmpty() &&
                (!url.isValid() || url.host().isEmpty() ||
                 (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))))
                problem = e == authorizeUrl_ ? tr("Enter the provider's authorization URL.")
                                             : tr("Enter the provider's token URL.");
        }
        if (problem.isEmpty() && clientId_->text().trimmed().isEmpty())
            problem = tr("Enter the client ID the provider registered.");
    }
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
    const bool oauth = auth_->currentIndex() == 1;
    e.password = remember_->isChecked() && !oauth ? password_->text() : QString();
    e.auth = oauth ? QStringLiteral("oauth2") : QStringLiteral("password");
    e.authorizeUrl = oauth ? authorizeUrl_->text().trimmed() : QString();
    e.tokenUrl = oauth ? tokenUrl_->text().trimmed() : QString();
    e.scope = oauth ? scope_->text().trimmed() : QString();
    e.clientId = oauth ? clientId_->text().trimmed() : QString();
    e.clientSecret = oauth ? clientSecret_->text().trimmed() : QString();
    QString ca = caFile_->text().trimmed();
    e.caFile = ca.isEmpty() ? ca : QFileInfo(ca).absoluteFilePath();
    // A certificate pinned for one server says nothing about another.
    if (before_ && before_->server.compare(e.server, Qt::CaseInsensitive) != 0)
        e.fingerprint.clear();
    return e;
}

bool AccountDialog::remember() const {
    return remember_->isChecked() && auth_->currentIndex() != 1;
}

}  // namespace accounts
