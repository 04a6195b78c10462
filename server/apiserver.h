#pragma once

#include "accountstore.h"

#include <QJsonValue>
#include <QString>

#include <functional>
#include <memory>

namespace httplib {
class ContentReader;
class Server;
struct Request;
struct Response;
} // namespace httplib

// The platform's HTTP/JSON service: the sign-in (CAS) endpoints, the object API the connector
// calls, and the dashboard. Requests run on a pool of worker threads, each with its own
// database connection. Who is calling and how large the body is are checked from the headers,
// before any body is read. Owned by the serve command; run() blocks until stop() is called.
class ApiServer
{
public:
    struct Options {
        QString host = QStringLiteral("127.0.0.1");
        int port = 0;
        QString certFile;
        QString keyFile;
        int sessionTtlSeconds = 0;
        long long maxUploadBytes = 0;
        int threads = 0;
        // Where check-in uploads are spooled; a private folder below the data folder.
        QString uploadFolder;
    };

    explicit ApiServer(const Options &options);
    ~ApiServer();

    // Binds the listening socket; the chosen port is then port().
    bool bind(QString *error);
    int port() const { return m_port; }
    bool isTls() const;
    void run();
    void stop();

private:
    using JsonHandler = std::function<QJsonValue(const Caller &, const QJsonObject &)>;

    void installRoutes();
    void installCasRoutes();
    // Runs before a request's body is read; true when it has answered the request itself.
    bool refusedBeforeBody(const httplib::Request &request, httplib::Response &response);
    void jsonRoute(const char *method, const char *pattern, JsonHandler handler);
    void serveContent(const httplib::Request &request, httplib::Response &response);
    void checkIn(const httplib::Request &request, httplib::Response &response,
                 const httplib::ContentReader &reader);
    Caller caller(const httplib::Request &request);

    Options m_options;
    AccountStore m_accounts;
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
};
