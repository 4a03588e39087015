#include "tests/support/http_server.h"

#include "tests/support/test_tls.h"
#include "tests/support/tunnel_proxy.h"
#include "web/site_pace.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <httplib.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

enum class RouteKind { Body, Redirect, Fail, Slow, Truncated, Reply };

struct Route {
    RouteKind Kind = RouteKind::Body;
    QByteArray Body;
    QByteArray ContentType = "text/html";
    QByteArray Location;
    int Status = 200;
    int PieceBytes = 0;
    int PauseMs = 0;
    qint64 AnnouncedLength = 0;
    QList<QByteArray> Headers;
};

QByteArray HostWithoutPort(const std::string& host) {
    QByteArray h = QByteArray::fromStdString(host);
    const qsizetype colon = h.lastIndexOf(':');
    if (colon >= 0 && !h.endsWith(']'))
        h.truncate(colon);
    return h.toLower();
}

// With a proxy the request line carries the whole address; without one only the path.
QByteArray TargetWithoutAuthority(const std::string& target) {
    QByteArray t = QByteArray::fromStdString(target);
    if (t.startsWith("http://") || t.startsWith("https://")) {
        const qsizetype slash = t.indexOf('/', t.indexOf("//") + 2);
        t = slash < 0 ? QByteArray("/") : t.mid(slash);
    }
    return t;
}

// The route key of a url: the scheme ("http" when none is written), lower-case host, then the
// target unchanged.
QByteArray RouteKey(const QString& url) {
    QByteArray u = url.toUtf8();
    QByteArray scheme = "http";
    if (u.startsWith("http://")) {
        u = u.mid(7);
    } else if (u.startsWith("https://")) {
        u = u.mid(8);
        scheme = "https";
    }
    const qsizetype slash = u.indexOf('/');
    const QByteArray host = slash < 0 ? u : u.left(slash);
    const QByteArray target = slash < 0 ? QByteArray("/") : u.mid(slash);
    return scheme + "://" + host.toLower() + target;
}

QByteArray RouteKey(const TestHttpServer::Request& request) {
    return request.Scheme + "://" + request.Host + request.Target;
}

} // namespace

struct TestHttpServer::Impl {
    httplib::Server Server;
    std::thread Listener;
    TestAuthority Authority;
    QTemporaryDir AuthorityFolder;
    QString AuthorityFile;
    std::unique_ptr<httplib::SSLServer> TlsServer;
    std::thread TlsListener;
    std::unique_ptr<TunnelProxy> Proxy;
    int Port = 0;
    std::atomic<bool> Stopping{false};
    mutable std::mutex Mutex;
    std::map<QByteArray, Route> Routes;
    std::vector<Request> Received;
    std::set<QByteArray> Held;
    std::condition_variable Released;

    void Answer(const httplib::Request& in, httplib::Response& out, const QByteArray& scheme) {
        Request request;
        request.Scheme = scheme;
        request.Method = QByteArray::fromStdString(in.method);
        request.Version = QByteArray::fromStdString(in.version);
        request.Host = HostWithoutPort(in.get_header_value("Host"));
        request.Target = TargetWithoutAuthority(in.target);
        for (const auto& [name, value] : in.headers)
            request.Headers.append({QByteArray::fromStdString(name), QByteArray::fromStdString(value)});

        Route route;
        bool found = false;
        {
            std::unique_lock lock(Mutex);
            Received.push_back(request);
            Released.wait(lock, [&] { return Stopping || !Held.contains(RouteKey(request)); });
            const auto it = Routes.find(RouteKey(request));
            if (it != Routes.end()) {
                route = it->second;
                found = true;
            }
        }
        if (!found) {
            route.Kind = RouteKind::Fail;
            route.Status = 404;
        }
        Respond(route, out);
    }

    void Respond(const Route& route, httplib::Response& out) {
        switch (route.Kind) {
        case RouteKind::Body:
            out.status = 200;
            out.set_content(route.Body.toStdString(), route.ContentType.toStdString());
            break;
        case RouteKind::Redirect:
            out.status = route.Status;
            out.set_header("Location", route.Location.toStdString());
            out.set_content("<html><body>moved</body></html>", "text/html");
            break;
        case RouteKind::Fail:
            out.status = route.Status;
            out.set_content("<html><body>error " + std::to_string(route.Status) + "</body></html>", "text/html");
            break;
        case RouteKind::Reply:
            out.status = route.Status;
            for (const QByteArray& line : route.Headers) {
                const qsizetype colon = line.indexOf(':');
                out.set_header(line.left(colon).trimmed().toStdString(), line.mid(colon + 1).trimmed().toStdString());
            }
            if (!route.Body.isEmpty())
                out.set_content(route.Body.toStdString(), route.ContentType.toStdString());
            break;
        case RouteKind::Slow:
            out.status = 200;
            out.set_content_provider(static_cast<size_t>(route.Body.size()), route.ContentType.toStdString(),
                                     [this, route](size_t offset, size_t, httplib::DataSink& sink) {
                                         std::this_thread::sleep_for(std::chrono::milliseconds(route.PauseMs));
                                         if (Stopping)
                                             return false;
                                         const size_t piece = std::min(static_cast<size_t>(route.PieceBytes),
                                                                       static_cast<size_t>(route.Body.size()) - offset);
                                         return sink.write(route.Body.constData() + offset, piece);
                                     });
            break;
        case RouteKind::Truncated:
            out.status = 200;
            out.set_content_provider(static_cast<size_t>(route.AnnouncedLength), route.ContentType.toStdString(),
                                     [route](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset >= static_cast<size_t>(route.Body.size()))
                                             return false; // drops the connection
                                         return sink.write(route.Body.constData() + offset,
                                                           static_cast<size_t>(route.Body.size()) - offset);
                                     });
            break;
        }
    }

    void Add(const QString& url, Route route) {
        std::lock_guard lock(Mutex);
        Routes[RouteKey(url)] = std::move(route);
    }
};

QByteArray TestHttpServer::Request::Header(const QByteArray& name) const {
    for (const auto& [key, value] : Headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

namespace {

template <typename ServerType>
int Start(ServerType& server, std::thread& listener, TestHttpServer::Impl& impl, const QByteArray& scheme) {
    server.set_keep_alive_max_count(1);
    server.set_pre_routing_handler([&impl, scheme](const httplib::Request& in, httplib::Response& out) {
        impl.Answer(in, out, scheme);
        return httplib::Server::HandlerResponse::Handled;
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    listener = std::thread([&server] { server.listen_after_bind(); });
    // stop() only reaches a server that is already running.
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port;
}

} // namespace

TestHttpServer::TestHttpServer() : impl_(std::make_unique<Impl>()) {
    ResetSessionPacing();
    Impl& impl = *impl_;
    const int plainPort = Start(impl.Server, impl.Listener, impl, "http");
    impl.TlsServer = std::make_unique<httplib::SSLServer>([&impl](SSL_CTX& context) {
        impl.Authority.Install(context);
        return true;
    });
    const int tlsPort = Start(*impl.TlsServer, impl.TlsListener, impl, "https");
    impl.AuthorityFile = impl.AuthorityFolder.filePath(QStringLiteral("authority.pem"));
    QFile pem(impl.AuthorityFile);
    if (pem.open(QIODevice::WriteOnly))
        pem.write(impl.Authority.CertificatePem());
    pem.close();
    impl.Proxy = std::make_unique<TunnelProxy>(plainPort, tlsPort);
    impl.Port = impl.Proxy->Port();
}

TestHttpServer::~TestHttpServer() {
    {
        std::lock_guard lock(impl_->Mutex);
        impl_->Stopping = true;
    }
    impl_->Released.notify_all();
    impl_->Proxy.reset();
    impl_->Server.stop();
    impl_->TlsServer->stop();
    impl_->Listener.join();
    impl_->TlsListener.join();
}

int TestHttpServer::Port() const {
    return impl_->Port;
}

QByteArray TestHttpServer::ProxyAddress() const {
    return "http://127.0.0.1:" + QByteArray::number(impl_->Port);
}

QString TestHttpServer::AuthorityFile() const {
    return impl_->AuthorityFile;
}

void TestHttpServer::Serve(const QString& url, const QByteArray& body, const QByteArray& contentType) {
    Route route;
    route.Body = body;
    route.ContentType = contentType;
    impl_->Add(url, route);
}

void TestHttpServer::ServeFile(const QString& url, const QString& path, const QByteArray& contentType) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(url, 404);
        return;
    }
    Serve(url, file.readAll(), contentType);
}

void TestHttpServer::Redirect(const QString& url, const QString& location, int status) {
    Route route;
    route.Kind = RouteKind::Redirect;
    route.Location = location.toUtf8();
    route.Status = status;
    impl_->Add(url, route);
}

void TestHttpServer::Fail(const QString& url, int status) {
    Route route;
    route.Kind = RouteKind::Fail;
    route.Status = status;
    impl_->Add(url, route);
}

void TestHttpServer::Reply(const QString& url, int status, const QList<QByteArray>& headers, const QByteArray& body) {
    Route route;
    route.Kind = RouteKind::Reply;
    route.Status = status;
    route.Headers = headers;
    route.Body = body;
    impl_->Add(url, route);
}

void TestHttpServer::ServeSlowly(const QString& url, const QByteArray& body, int pieceBytes, int pauseMs) {
    Route route;
    route.Kind = RouteKind::Slow;
    route.Body = body;
    route.PieceBytes = std::max(1, pieceBytes);
    route.PauseMs = pauseMs;
    impl_->Add(url, route);
}

void TestHttpServer::ServeTruncated(const QString& url, const QByteArray& body, qint64 announcedLength) {
    Route route;
    route.Kind = RouteKind::Truncated;
    route.Body = body;
    route.AnnouncedLength = announcedLength;
    impl_->Add(url, route);
}

void TestHttpServer::Hold(const QString& url) {
    std::lock_guard lock(impl_->Mutex);
    impl_->Held.insert(RouteKey(url));
}

void TestHttpServer::Release(const QString& url) {
    {
        std::lock_guard lock(impl_->Mutex);
        impl_->Held.erase(RouteKey(url));
    }
    impl_->Released.notify_all();
}

std::vector<TestHttpServer::Request> TestHttpServer::Requests() const {
    std::lock_guard lock(impl_->Mutex);
    return impl_->Received;
}

int TestHttpServer::HitCount(const QString& url) const {
    const QByteArray key = RouteKey(url);
    int count = 0;
    for (const Request& request : Requests()) {
        if (RouteKey(request) == key)
            ++count;
    }
    return count;
}

ProxyEnvironment::ProxyEnvironment(const TestHttpServer& server) {
    const QByteArray proxy = server.ProxyAddress();
    const std::pair<const char*, QByteArray> settings[] = {
        {"http_proxy", proxy},  {"https_proxy", proxy},
        {"HTTPS_PROXY", proxy}, {"all_proxy", proxy},
        {"ALL_PROXY", proxy},   {"no_proxy", {}},
        {"NO_PROXY", {}},       {"SSL_CERT_FILE", QFile::encodeName(server.AuthorityFile())},
        {"SSL_CERT_DIR", {}}};
    for (const auto& [name, value] : settings) {
        saved_.push_back({name, {qEnvironmentVariableIsSet(name), qgetenv(name)}});
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
}

ProxyEnvironment::~ProxyEnvironment() {
    for (const auto& [name, previous] : saved_) {
        if (previous.first)
            qputenv(name.constData(), previous.second);
        else
            qunsetenv(name.constData());
    }
}
