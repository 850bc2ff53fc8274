#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace imap {

// What went wrong, coarse enough for the back-end to pick one of the messaging
// library's error numbers (network error, logon failed, not supported ...).
enum class ErrorKind {
    Network,       // unreachable, refused, dropped connection, unreadable response
    Timeout,       // no answer within the configured time
    LogonFailed,   // the server rejected the user name or password
    Certificate,   // the TLS certificate is not trusted and its fingerprint not accepted
    NotSupported,  // the server lacks a capability the operation needs
    Rejected,      // the server answered NO or BAD to a command
    Cancelled,     // the caller's progress callback asked to stop
    Cache,         // the local header cache could not be read or written
};

class Error : public std::exception {
  public:
    Error(ErrorKind kind, QString message);

    ErrorKind kind() const { return kind_; }
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return what_.constData(); }

  private:
    ErrorKind kind_;
    QString message_;
    QByteArray what_;
};

}  // namespace imap
