#pragma once

#include <QString>
#include <stdexcept>

namespace oauth {

enum class ErrorKind {
    Refused,    // the authorization server refused the grant (revoked, expired, wrong client)
    Denied,     // the user (or the server on their behalf) declined at the authorization page
    Network,    // the server could not be reached or answered with something else than OAuth
    Timeout,    // no answer (or no redirect) in time
    Cancelled,  // the sign-in was abandoned
};

// Every failure of the flow; the message is a sentence for the user.
class Error : public std::runtime_error {
  public:
    Error(ErrorKind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message) {}
    ErrorKind kind() const { return kind_; }
    const QString& message() const { return message_; }

  private:
    ErrorKind kind_;
    QString message_;
};

}  // namespace oauth
