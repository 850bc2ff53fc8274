#pragma once

// The redirect of a native program's sign-in (RFC 8252 section 7.3): a one-use
// HTTP listener on 127.0.0.1 that the browser is sent back to with the code.

#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrlQuery>

namespace oauth {

class Loopback : public QObject {
    Q_OBJECT
  public:
    explicit Loopback(QObject* parent = nullptr);
    // Listens on a port the system picks; false (with the reason) when it cannot.
    bool listen(QString& why);
    // http://127.0.0.1:PORT/
    QString redirectUri() const;

  Q_SIGNALS:
    // The query of the first request that carries "code" or "error"; the browser
    // is answered with a page saying the window may be closed.
    void redirected(const QUrlQuery& query);

  private:
    void serve(class QTcpSocket* socket);
    QTcpServer server_;
    bool done_ = false;
    quint16 port_ = 0;
};

}  // namespace oauth
