#pragma once

#include "accountstore.h"
#include "eventhub.h"
#include "metrics.h"
#include "platformconstants.h"
#include "retention.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class HttpExchange;
class HttpServer;
struct HttpRequest;
struct HttpResponse;

// The platform's HTTP/JSON service: the sign-in (CAS) endpoints, the object API the connector
// calls, and the dashboard, over HttpServer. Who is calling and how large the body is are
// checked from the request's head, before any body is read. Owned by the serve command; run()
// blocks until stop() is called.
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
        int connectionsPerClient = 0;
        QStringList trustedProxies;
        // Where check-in uploads are spooled; a private folder below the data folder.
        QString uploadFolder;
        // Which versions check-ins and restores leave behind.
        Retention retention;
        // How long deleted objects wait in the trash.
        int trashDays = platform::kDefaultTrashDays;
        // How often event streams carry a comment line and have their sessions checked.
        int keepAliveSeconds = platform::kDefaultKeepAliveSeconds;
        // Addresses and subnets ("10.0.0.0/8") that GET /metrics answers.
        QStringList metricsFrom;
        // The most days a launcher cookie fetched with a password lasts.
        int launcherCookieDays = platform::kDefaultLauncherCookieDays;
        // "https://aurex.example.com": where users reach the platform, as launcher files name
        // it; empty: the address a request came to.
        QString publicUrl;
    };

    explicit ApiServer(const Options &options);
    ~ApiServer();

    // Starts listening; the chosen port is then port().
    bool bind(QString *error);
    int port() const;
    bool isTls() const;
    void run();
    void stop();

private:
    using JsonHandler = std::function<QJsonValue(const Caller &, const QJsonObject &)>;

    void installRoutes();
    std::unique_ptr<HttpExchange> route(const HttpRequest &request);
    // An answer given from the head alone: a caller that is not signed in, a body too large
    // or of unknown length. Nothing when the request may go on.
    std::unique_ptr<HttpExchange> refusedBeforeBody(const HttpRequest &request);
    std::unique_ptr<HttpExchange> signIn(const HttpRequest &request, bool withCookie);
    // A launcher cookie for a user name and password, with what the launcher files need.
    std::unique_ptr<HttpExchange> launcherCookie(const HttpRequest &request);
    // "https://host:port" that users reach this platform at.
    QString publicOrigin(const HttpRequest &request) const;
    // An object, its content, its versions, a version's content or structure, or (POST) the
    // restore of a version.
    std::unique_ptr<HttpExchange> object(const HttpRequest &request);
    std::unique_ptr<HttpExchange> restore(const HttpRequest &request, const QString &phid,
                                          int revision);
    std::unique_ptr<HttpExchange> checkIn(const HttpRequest &request);
    // GET or PUT of a resumable upload.
    std::unique_ptr<HttpExchange> upload(const HttpRequest &request);
    // The caller's event stream.
    std::unique_ptr<HttpExchange> events(const HttpRequest &request);
    // The trail of the spaces the caller manages, filtered by the query's user, space, object,
    // since and until; 403 for a caller who manages none.
    HttpResponse audit(const HttpRequest &request);
    // 200 when the database answers, 503 otherwise: for a load balancer or a service manager.
    HttpResponse health();
    // The metrics, to the addresses allowed them.
    HttpResponse metrics(const HttpRequest &request);

    Options m_options;
    AccountStore m_accounts;
    std::map<std::string, JsonHandler> m_jsonRoutes; // "POST /search" -> handler
    EventHub m_events;
    Metrics m_metrics;
    std::unique_ptr<HttpServer> m_server;
    std::mutex m_stopMutex; // guards m_stopping
    std::condition_variable m_stopped;
    bool m_stopping = false;
};
