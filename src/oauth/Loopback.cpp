#include "oauth/Loopback.h"

#include <QTcpSocket>
#include <QUrl>

namespace oauth {

namespace {

// A request line and headers are all the loopback reads; a client sending more
// before the blank line is not a browser.
constexpr qsizetype kMaxRequest = 64 * 1024;

QByteArray response(int status, const QByteArray& reason, const QByteArray& text) {
    const QByteArray page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + text +
                            "</title></head><body><p>" + text + "</p></body></html>\n";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
}

}  // namespace

Loopback::Loopback(QObject* parent) : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool Loopback::listen(QString& why) {
    if (server_.listen(QHostAddress(QHostAddress::LocalHost), 0)) {
        port_ = server_.serverPort();  // still needed for the token request once closed
        return true;
    }
    why = server_.errorString();
    return false;
}

QString Loopback::redirectUri() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(port_);
}

void Loopback::serve(QTcpSocket* socket) {
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n")) {
        if (request.size() > kMaxRequest) socket->abort();
        return;
    }
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QUrl target(QString::fromLatin1(line.value(1)));
    const QUrlQuery query(target);
    const bool answer = line.value(0) == "GET" && (query.hasQueryItem(QStringLiteral("code")) ||
                                                   query.hasQueryItem(QStringLiteral("error")));
    if (!answer || done_) {
        // A browser also asks for /favicon.ico; only the redirect counts, once.
        socket->write(response(404, "Not Found", "Not found."));
        socket->disconnectFromHost();
        return;
    }
    done_ = true;
    const bool ok = query.hasQueryItem(QStringLiteral("code"));
    socket->write(response(200, "OK",
                           ok ? "Quorvane '99 is signed in. You may close this window."
                              : "The sign-in did not succeed. You may close this window."));
    socket->disconnectFromHost();
    server_.close();
    Q_EMIT redirected(query);
}

}  // namespace oauth
