#include "tests/support/tunnel_proxy.h"

#include <QByteArray>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int PollMs = 20;
constexpr qsizetype MaxHeadBytes = 65536;

int ConnectLocal(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

// Passes bytes both ways until both sides have finished (or the proxy stops).
void Pipe(int a, int b, const std::atomic<bool>& stopping) {
    bool open[2] = {true, true};
    const int fds[2] = {a, b};
    char buffer[16384];
    while ((open[0] || open[1]) && !stopping) {
        pollfd polls[2] = {{a, short(open[0] ? POLLIN : 0), 0}, {b, short(open[1] ? POLLIN : 0), 0}};
        if (::poll(polls, 2, PollMs) < 0)
            return;
        for (int side = 0; side < 2; ++side) {
            if (!open[side] || !(polls[side].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = ::recv(fds[side], buffer, sizeof buffer, 0);
            if (got <= 0 || !SendAll(fds[1 - side], buffer, got)) {
                if (got < 0)
                    return; // a reset: drop both
                open[side] = false;
                ::shutdown(fds[1 - side], SHUT_WR);
            }
        }
    }
}

} // namespace

TunnelProxy::TunnelProxy(int plainPort, int tlsPort) : plainPort_(plainPort), tlsPort_(tlsPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 64);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

TunnelProxy::~TunnelProxy() {
    stopping_ = true;
    acceptor_.join();
    ::close(listener_);
    std::lock_guard lock(mutex_);
    for (Connection& connection : connections_)
        connection.Thread.join();
}

void TunnelProxy::Accept() {
    while (!stopping_) {
        pollfd poll{listener_, POLLIN, 0};
        if (::poll(&poll, 1, PollMs) <= 0)
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (it->Done) {
                it->Thread.join();
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
        Connection& connection = connections_.emplace_back();
        connection.Thread = std::thread([this, client, &connection] {
            Serve(client);
            connection.Done = true;
        });
    }
}

void TunnelProxy::Serve(int client) {
    // The request head decides where the connection goes.
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < MaxHeadBytes && !stopping_) {
        pollfd poll{client, POLLIN, 0};
        if (::poll(&poll, 1, PollMs) <= 0)
            continue;
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        head.append(buffer, got);
    }
    const bool tunnel = head.startsWith("CONNECT ");
    const int server = head.contains("\r\n\r\n") ? ConnectLocal(tunnel ? tlsPort_ : plainPort_) : -1;
    if (server >= 0) {
        bool ready = true;
        if (tunnel) {
            static const QByteArray established = "HTTP/1.1 200 Connection established\r\n\r\n";
            const qsizetype end = head.indexOf("\r\n\r\n") + 4;
            ready = SendAll(client, established.constData(), established.size()) &&
                    SendAll(server, head.constData() + end, head.size() - end);
        } else {
            ready = SendAll(server, head.constData(), head.size());
        }
        if (ready)
            Pipe(client, server, stopping_);
        ::close(server);
    }
    ::close(client);
}
