#pragma once

#include "connectionwatch.h"
#include "httpexchange.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Metrics;
class QThreadPool;
struct MHD_Daemon;

// The platform's HTTP/1.1 server over GNU libmicrohttpd. A few event-driven threads serve every
// connection, so clients that send slowly or not at all hold no thread. Each request head is
// bounded in size (431 or 414 beyond it), in header count and in time; a connection that says
// nothing is let go; each client address holds a bounded number of connections. Requests run
// on the thread of their connection, one HttpExchange per request; a slow one finishes on a
// small pool of its own while its connection waits aside. Owned by ApiServer.
class HttpServer
{
public:
    struct Options {
        QString host = QStringLiteral("127.0.0.1");
        int port = 0;
        QByteArray certificatePem;
        QByteArray keyPem;
        int threads = 8;
        int perClientConnections = 256;
        // Reverse proxies whose X-Forwarded-For names the client; exempt from the per-client
        // limit.
        QStringList trustedProxies;
        // Told of every answered request and of the bytes that travel; not owned.
        Metrics *metrics = nullptr;
    };
    using Handler = std::function<std::unique_ptr<HttpExchange>(const HttpRequest &)>;

    HttpServer(const Options &options, Handler handler);
    ~HttpServer();

    // Starts serving; the chosen port is then port().
    bool start(QString *error);
    int port() const { return m_port; }
    int openConnections() const;
    // Takes no new connection, lets the requests in progress finish (for a few seconds at
    // most), then closes everything.
    void stop();

    // The internals of the library's callbacks, in httpserver.cpp.
    struct Callbacks;

private:
    Options m_options;
    Handler m_handler;
    std::unique_ptr<ConnectionWatch> m_watch;
    std::unique_ptr<QThreadPool> m_slowPool;
    MHD_Daemon *m_daemon = nullptr;
    int m_port = 0;
};
