#include "DroppingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>

namespace {

sockaddr_in loopback(quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool sendAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

DroppingProxy::DroppingProxy(quint16 serverPort) : serverPort_(serverPort) {
    if (::pipe(wake_) != 0 || !listen()) return;
    thread_ = std::thread([this] { loop(); });
}

DroppingProxy::~DroppingProxy() {
    if (thread_.joinable()) {
        run([this] { stopping_ = true; });
        thread_.join();
    }
    for (Pair& p : pairs_) close(p);
    if (listener_ >= 0) ::close(listener_);
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

bool DroppingProxy::listen() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return false;
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // The same port again after a spell of refusing, so the client finds it.
    sockaddr_in a = loopback(port_);
    socklen_t size = sizeof a;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    port_ = ntohs(a.sin_port);
    return true;
}

void DroppingProxy::run(std::function<void()> job) {
    if (!thread_.joinable()) return job();
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back([&] {
            job();
            done.set_value();
        });
    }
    const char byte = 1;
    if (::write(wake_[1], &byte, 1) != 1) return;
    finished.wait();
}

void DroppingProxy::dropAll(const QByteArray& farewell) {
    run([&] {
        for (Pair& p : pairs_) {
            if (!farewell.isEmpty()) sendAll(p.client, farewell.constData(), farewell.size());
            close(p);
        }
        pairs_.clear();
    });
}

void DroppingProxy::setRefusing(bool refusing) {
    run([&] {
        if (refusing && listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        } else if (!refusing && listener_ < 0) {
            listen();
        }
    });
}

void DroppingProxy::dropOnCommand(const QByteArray& command) {
    run([&] { triggers_.push_back({command, {}}); });
}

void DroppingProxy::loseAnswer(const QByteArray& command, const QByteArray& answer) {
    run([&] { triggers_.push_back({command, answer}); });
}

int DroppingProxy::connections() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

QByteArray DroppingProxy::clientSent() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return clientSent_;
}

void DroppingProxy::close(Pair& p) {
    for (int* fd : {&p.client, &p.server}) {
        if (*fd < 0) continue;
        ::shutdown(*fd, SHUT_RDWR);
        ::close(*fd);
        *fd = -1;
    }
}

void DroppingProxy::accept() {
    Pair p;
    p.client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (p.client < 0) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++connections_;
    }
    p.server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = loopback(serverPort_);
    if (p.server < 0 || ::connect(p.server, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        close(p);
        return;
    }
    pairs_.push_back(p);
}

bool DroppingProxy::relay(Pair& p, bool fromClient) {
    char buffer[65536];
    const ssize_t n = ::recv(fromClient ? p.client : p.server, buffer, sizeof buffer, 0);
    if (n <= 0) {
        close(p);
        return false;
    }
    const QByteArray data = QByteArray::fromRawData(buffer, qsizetype(n));
    if (fromClient) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            clientSent_ += data;
        }
        if (!triggers_.empty() && data.contains(triggers_.front().command)) {
            if (triggers_.front().answer.isEmpty()) {
                triggers_.erase(triggers_.begin());
                close(p);
                return false;
            }
            p.armed = true;
        }
    } else if (p.armed && !triggers_.empty() && data.contains(triggers_.front().answer)) {
        triggers_.erase(triggers_.begin());
        close(p);
        return false;
    }
    if (!sendAll(fromClient ? p.server : p.client, buffer, qsizetype(n))) {
        close(p);
        return false;
    }
    return true;
}

void DroppingProxy::loop() {
    while (!stopping_) {
        std::vector<pollfd> fds{{wake_[0], POLLIN, 0}};
        if (listener_ >= 0) fds.push_back({listener_, POLLIN, 0});
        const std::size_t firstPair = fds.size();
        for (const Pair& p : pairs_) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents) {
            char drained[64];
            [[maybe_unused]] const ssize_t n = ::read(wake_[0], drained, sizeof drained);
            std::vector<std::function<void()>> jobs;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                jobs.swap(jobs_);
            }
            for (auto& job : jobs) job();
            // The jobs may have closed pairs or the listener: look again.
            continue;
        }
        for (std::size_t i = 0; firstPair + 2 * i < fds.size(); ++i) {
            const short fromClient = fds[firstPair + 2 * i].revents;
            const short fromServer = fds[firstPair + 2 * i + 1].revents;
            if (fromClient && !relay(pairs_[i], true)) continue;
            if (fromServer && pairs_[i].server >= 0) relay(pairs_[i], false);
        }
        std::erase_if(pairs_, [](const Pair& p) { return p.client < 0 || p.server < 0; });
        if (firstPair == 2 && fds[1].revents) accept();
    }
}
