#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

// A web server inside the test process. Each one is a new web: the sites remember no refusal of an
// earlier test. It listens on 127.0.0.1 at a random port and answers by the
// request's Host header, so with the proxy variables pointed at it (ProxyEnvironment) it stands in for
// every site the program talks to. Addresses nobody registered answer 404.
//
// Each `url` below is written the way the program asks for it: "http://" + host + the request target
// as it goes on the wire (percent-encoded where the program encodes), e.g. "http://www.bing.com/search?q=a+b".
// An "https://" url is served over TLS only: the proxy answers CONNECT with a tunnel to a TLS end point
// whose certificates, one per host name asked for, come from an authority made for this server.
class TestHttpServer {
public:
    struct Request {
        QByteArray Scheme; // "http" or "https"
        QByteArray Method;
        QByteArray Version; // "HTTP/1.0"
        QByteArray Host;    // without port
        QByteArray Target;  // path and query as sent
        QList<std::pair<QByteArray, QByteArray>> Headers;
        QByteArray Header(const QByteArray& name) const; // first value, name compared without case; empty if absent
        QString Url() const { return QString::fromLatin1(Scheme + "://" + Host + Target); }
    };

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int Port() const;
    // "http://127.0.0.1:PORT", the value for the proxy variables.
    QByteArray ProxyAddress() const;
    // The PEM file of the authority behind the TLS end point's certificates.
    QString AuthorityFile() const;

    void Serve(const QString& url, const QByteArray& body, const QByteArray& contentType = "text/html");
    void ServeFile(const QString& url, const QString& path, const QByteArray& contentType = "text/html");
    void Redirect(const QString& url, const QString& location, int status = 302);
    // Any status without the wanted content, e.g. 404 or 500; the body is a short error page.
    void Fail(const QString& url, int status);
    // Any status with these header lines ("Name: value") and this body, e.g. a refusal with Retry-After.
    void Reply(const QString& url, int status, const QList<QByteArray>& headers, const QByteArray& body = {});
    // Sends `body` in pieces of `pieceBytes` with a pause of `pauseMs` before each piece.
    void ServeSlowly(const QString& url, const QByteArray& body, int pieceBytes, int pauseMs);
    // Announces `announcedLength` bytes but sends only `body`, then drops the connection.
    void ServeTruncated(const QString& url, const QByteArray& body, qint64 announcedLength);

    // Requests for `url` are received (and counted) but not answered until Release(url): a test can
    // act while the program is certainly waiting for that reply.
    void Hold(const QString& url);
    void Release(const QString& url);

    // Every request received so far, in order of arrival.
    std::vector<Request> Requests() const;
    int HitCount(const QString& url) const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Points http_proxy, https_proxy and all_proxy at the server and clears no_proxy while it lives, so no
// request of the program can leave the machine, and makes the server's authority the only one trusted
// (SSL_CERT_FILE); restores the previous values afterwards.
class ProxyEnvironment {
public:
    explicit ProxyEnvironment(const TestHttpServer& server);
    ~ProxyEnvironment();
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

private:
    std::vector<std::pair<QByteArray, std::pair<bool, QByteArray>>> saved_;
};
