// A server that goes away or never answers ends in an error, never a hang.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>

#include "ImapTestUtil.h"

using namespace imap;

namespace {

// A listening socket on 127.0.0.1 that nobody ever serves: connecting works,
// the greeting never comes.
class SilentPort {
  public:
    SilentPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 4);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
    }
    ~SilentPort() { ::close(fd_); }
    quint16 port() const { return port_; }

  private:
    int fd_ = -1;
    quint16 port_ = 0;
};

}  // namespace

TEST_F(ImapTest, AServerThatNeverGreetsTimesOut) {
    SilentPort silent;
    ConnectOptions options = plain();
    options.port = silent.port();
    options.timeout = std::chrono::seconds(1);
    Client client;
    expectImapError([&] { client.connect(options); }, ErrorKind::Timeout,
                    QStringLiteral("The server 127.0.0.1 did not answer within 1 seconds"));
    EXPECT_FALSE(client.isConnected());
}
