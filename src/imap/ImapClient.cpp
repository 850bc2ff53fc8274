#include "imap/ImapClient.h"

#include <QDateTime>
#include <csignal>
#include <mutex>

#include "imap/EtpanUtil.h"
#include "imap/ProtocolLog.h"

namespace imap {

namespace {

bool succeeded(int r) {
    return r == MAILIMAP_NO_ERROR || r == MAILIMAP_NO_ERROR_AUTHENTICATED ||
           r == MAILIMAP_NO_ERROR_NON_AUTHENTICATED;
}

bool isTransportFailure(int r) {
    return r == MAILIMAP_ERROR_STREAM || r == MAILIMAP_ERROR_CONNECTION_REFUSED ||
           r == MAILIMAP_ERROR_FATAL || r == MAILIMAP_ERROR_SSL || r == MAILIMAP_ERROR_PARSE ||
           r == MAILIMAP_ERROR_DONT_ACCEPT_CONNECTION || r == MAILIMAP_ERROR_PROTOCOL ||
           r == MAILIMAP_ERROR_BAD_STATE;
}

}  // namespace

Client::Client() {
    // libetpan writes to its sockets without MSG_NOSIGNAL: a server that goes away
    // would otherwise end the whole program instead of failing the command.
    static std::once_flag ignorePipe;
    std::call_once(ignorePipe, [] { std::signal(SIGPIPE, SIG_IGN); });
}

Client::~Client() {
    disconnect();
}

void Client::onLog(mailimap*, int type, const char* data, size_t size, void* self) {
    auto* client = static_cast<Client*>(self);
    if (!client->log_ || !data) return;
    switch (type) {
        case MAILSTREAM_LOG_TYPE_DATA_RECEIVED:
            client->log_->write(Direction::Received, QByteArray(data, qsizetype(size)));
            break;
        case MAILSTREAM_LOG_TYPE_DATA_SENT:
            if (client->authenticating_) {
                client->logAuthenticate(QByteArray(data, qsizetype(size)));
                break;
            }
            client->log_->write(Direction::Sent, QByteArray(data, qsizetype(size)));
            break;
        case MAILSTREAM_LOG_TYPE_DATA_SENT_PRIVATE: {
            if (client->authenticating_) {
                client->logAuthenticate(QByteArray(data, qsizetype(size)));
                break;
            }
            // libetpan marks the whole LOGIN line private; keep the command readable
            // and hide only the password, or everything when it cannot be found as sent.
            QByteArray text(data, qsizetype(size));
            const QByteArray& password = client->password_;
            for (const QByteArray& tail : {" " + password + "\r\n", " \"" + password + "\"\r\n"}) {
                if (!password.isEmpty() && text.endsWith(tail)) {
                    text.chop(tail.size());
                    client->log_->write(Direction::Sent, text + " ***\r\n");
                    return;
                }
            }
            client->log_->write(Direction::Sent, "***\r\n");
            break;
        }
        default:
            break;
    }
}

// The token may arrive in pieces of any size: only the command's name is logged,
// once, with the rest masked.
void Client::logAuthenticate(const QByteArray& sent) {
    if (authenticateLogged_) return;
    authenticateLogged_ = true;
    const QByteArray mechanism = "AUTHENTICATE XOAUTH2";
    const qsizetype at = sent.indexOf(mechanism);
    log_->write(Direction::Sent,
                (at < 0 ? QByteArray() : sent.left(at + mechanism.size()) + ' ') + "***\r\n");
}

void Client::startCommand() {
    commandStartedMs_ = QDateTime::currentMSecsSinceEpoch();
}

void Client::requireConnection() const {
    if (!imap_) throw Error(ErrorKind::Network, QStringLiteral("Not connected to the server"));
}

void Client::disconnect() {
    if (!imap_) return;
    mailimap_free(imap_);
    imap_ = nullptr;
}

void Client::check(int result, const char* what) {
    if (succeeded(result)) return;
    const QString server =
        imap_ ? QString::fromUtf8(detail::bytes(imap_->imap_response)) : QString();
    const QString host = options_.host;
    if (isTransportFailure(result)) {
        const qint64 elapsed = QDateTime::currentMSecsSinceEpoch() - commandStartedMs_;
        const qint64 limit = qint64(options_.timeout.count()) * 1000;
        disconnect();
        if (result == MAILIMAP_ERROR_STREAM && elapsed >= limit - 250)
            throw Error(ErrorKind::Timeout,
                        QStringLiteral("The server %1 did not answer within %2 seconds")
                            .arg(host)
                            .arg(options_.timeout.count()));
        if (result == MAILIMAP_ERROR_CONNECTION_REFUSED)
            throw Error(
                ErrorKind::Network,
                QStringLiteral("Could not connect to %1 on port %2").arg(host).arg(options_.port));
        throw Error(
            ErrorKind::Network,
            QStringLiteral("The connection to %1 was lost (%2)").arg(host, QLatin1String(what)));
    }
    if (result == MAILIMAP_ERROR_LOGIN && authenticating_)
        throw Error(
            ErrorKind::LogonFailed,
            QStringLiteral("The server %1 rejected the access token: %2").arg(host, server));
    if (result == MAILIMAP_ERROR_LOGIN)
        throw Error(ErrorKind::LogonFailed,
                    QStringLiteral("The server %1 rejected the user name or password: %2")
                        .arg(host, server));
    throw Error(ErrorKind::Rejected,
                QStringLiteral("%1 failed: %2").arg(QLatin1String(what), server));
}

void Client::connect(const ConnectOptions& options) {
    disconnect();
    options_ = options;
    password_.clear();
    caps_ = {};
    imap_ = mailimap_new(0, nullptr);
    mailimap_set_timeout(imap_, time_t(options.timeout.count()));
    mailimap_set_logger(imap_, &Client::onLog, this);
    const QByteArray host = options.host.toUtf8();
    startCommand();
    if (options.security == Security::Tls) {
        check(mailimap_ssl_connect(imap_, host.constData(), options.port), "CONNECT");
        verifyCertificate();
    } else {
        check(mailimap_socket_connect(imap_, host.constData(), options.port), "CONNECT");
        if (options.security == Security::StartTls) {
            startCommand();
            check(mailimap_socket_starttls(imap_), "STARTTLS");
            verifyCertificate();
        }
    }
    readCapabilities();
}

void Client::readCapabilities() {
    mailimap_capability_data* data = nullptr;
    startCommand();
    check(mailimap_capability(imap_, &data), "CAPABILITY");
    mailimap_capability_data_free(data);
    caps_.uidPlus = mailimap_has_uidplus(imap_);
    caps_.condStore = mailimap_has_condstore(imap_);
    caps_.qresync = mailimap_has_qresync(imap_);
}

void Client::login(const QString& user, const QString& password) {
    requireConnection();
    password_ = password.toUtf8();
    startCommand();
    check(mailimap_login(imap_, user.toUtf8().constData(), password_.constData()), "LOGIN");
    readCapabilities();
}

void Client::loginOAuth2(const QString& user, const QString& accessToken) {
    requireConnection();
    password_ = accessToken.toUtf8();
    startCommand();
    authenticating_ = true;
    authenticateLogged_ = false;
    const int r =
        mailimap_oauth2_authenticate(imap_, user.toUtf8().constData(), password_.constData());
    try {
        check(r, "AUTHENTICATE XOAUTH2");
    } catch (const Error&) {
        authenticating_ = false;
        throw;
    }
    authenticating_ = false;
    readCapabilities();
}

void Client::noop() {
    requireConnection();
    startCommand();
    check(mailimap_noop(imap_), "NOOP");
}

void Client::logout() {
    if (!imap_) return;
    startCommand();
    mailimap_logout(imap_);
    disconnect();
}

}  // namespace imap
