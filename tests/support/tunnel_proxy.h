#pragma once

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

// The proxy end point of the test web on 127.0.0.1: a plain proxy request goes on to the HTTP server,
// a CONNECT (how a client reaches an https address through a proxy) is answered "200" and its tunnel
// joined to the TLS server, whatever host it names. Bytes are passed on unchanged both ways.
class TunnelProxy {
public:
    TunnelProxy(int plainPort, int tlsPort);
    ~TunnelProxy();
    TunnelProxy(const TunnelProxy&) = delete;
    TunnelProxy& operator=(const TunnelProxy&) = delete;

    int Port() const { return port_; }

private:
    void Accept();
    void Serve(int client);

    int plainPort_;
    int tlsPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    // A finished connection's thread is joined when the next one arrives: an unjoined thread keeps
    // its stack mapped, and a long run of lookups would run out of mappings.
    struct Connection {
        std::thread Thread;
        std::atomic<bool> Done{false};
    };
    std::mutex mutex_;
    std::list<Connection> connections_;
    std::thread acceptor_;
};
