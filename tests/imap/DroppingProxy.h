#pragma once

#include <QByteArray>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A TCP relay on 127.0.0.1 between the client under test and a server on
// 127.0.0.1 that loses its connections when told, as a server restart, an idle
// timeout or a NAT that forgot the connection would. It runs on a thread of its
// own, since the client's calls block; each method returns once the relay has
// done what it says.
class DroppingProxy {
  public:
    explicit DroppingProxy(quint16 serverPort);
    ~DroppingProxy();
    DroppingProxy(const DroppingProxy&) = delete;
    DroppingProxy& operator=(const DroppingProxy&) = delete;

    // 0 when the relay could not listen.
    quint16 port() const { return port_; }

    // Ends every connection now, both ways; `farewell` goes to the client first
    // (Dovecot's idle timeout says "* BYE Disconnected for inactivity.").
    void dropAll(const QByteArray& farewell = {});
    // While refusing, nothing listens on the port: connecting fails at once.
    void setRefusing(bool refusing);
    // Once: the first client data containing `command` is not passed on and its
    // connection is dropped, so the server never sees the command.
    void dropOnCommand(const QByteArray& command);
    // Once: after a client sent `command`, the server's first data containing
    // `answer` is not passed on and the connection is dropped, so the command
    // did its work on the server but its answer never reaches the client.
    void loseAnswer(const QByteArray& command, const QByteArray& answer);

    int connections() const;  // accepted so far
    // Everything clients sent, in order.
    QByteArray clientSent() const;

  private:
    struct Pair {
        int client = -1;
        int server = -1;
        bool armed = false;  // sent the command a pending trigger waits for
    };
    struct Trigger {
        QByteArray command;
        QByteArray answer;  // empty: drop on the command itself
    };

    void loop();
    void run(std::function<void()> job);  // on the relay's thread, waiting for it
    bool listen();
    void accept();
    void close(Pair& p);
    // False when the pair was closed.
    bool relay(Pair& p, bool fromClient);

    quint16 serverPort_;
    quint16 port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::vector<Pair> pairs_;
    std::vector<Trigger> triggers_;
    int connections_ = 0;
    QByteArray clientSent_;
    bool stopping_ = false;

    mutable std::mutex mutex_;  // guards jobs_, connections_ and clientSent_
    std::vector<std::function<void()>> jobs_;
    std::thread thread_;
};
