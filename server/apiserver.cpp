#include "apiserver.h"

#include "checkin.h"
#include "checkinupload.h"
#include "dashboard.h"
#include "database.h"
#include "objectstore.h"
#include "platformconstants.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>

#include <httplib.h>

Q_LOGGING_CATEGORY(lcHttp, "platform.http", QtInfoMsg)

namespace {

QJsonObject parseObject(const std::string &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(body.data(), static_cast<int>(body.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw ApiError(400, QStringLiteral("the request is not a JSON object"));
    return document.object();
}

void sendJson(httplib::Response &response, int status, const QJsonValue &value)
{
    response.status = status;
    const QByteArray body = value.isArray()
        ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
        : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    response.set_content(body.constData(), static_cast<size_t>(body.size()), "application/json");
}

void sendError(httplib::Response &response, int status, const QString &message)
{
    sendJson(response, status, QJsonObject{{QStringLiteral("error"), message}});
}

// Answers with an error while the request's body is still unread, and ends the connection once
// the answer is out: reading the body only to throw it away is what the refusal avoids, and the
// connection cannot carry another request while the body is in the way.
void refuseAndClose(httplib::Response &response, int status, const QString &message)
{
    const std::string body = QJsonDocument(QJsonObject{{QStringLiteral("error"), message}})
                                 .toJson(QJsonDocument::Compact)
                                 .toStdString();
    response.status = status;
    response.set_header("Connection", "close");
    response.set_content_provider(
        body.size(), "application/json",
        [body](size_t offset, size_t length, httplib::DataSink &sink) {
            sink.write(body.data() + offset, length);
            // Declining to go on after the last byte makes the server close the connection.
            return false;
        });
}

// The value of a Content-Length header: decimal digits only.
bool parseLength(const std::string &text, long long *length)
{
    if (text.empty() || text.size() > 18)
        return false;
    *length = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        *length = *length * 10 + (c - '0');
    }
    return true;
}

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Runs a handler and turns whatever it throws into a status code and a JSON error body.
template <typename Fn>
void guarded(httplib::Response &response, Fn &&fn)
{
    try {
        fn();
    } catch (const ApiError &error) {
        sendError(response, error.status(), QString::fromStdString(error.what()));
        if (error.retryAfterSeconds() > 0)
            response.set_header("Retry-After", std::to_string(error.retryAfterSeconds()));
    } catch (const std::exception &error) {
        qCWarning(lcHttp) << "request failed:" << error.what();
        sendError(response, 500, QStringLiteral("internal error"));
    }
}

QJsonArray toJson(const QList<ObjectRow> &rows)
{
    QJsonArray array;
    for (const ObjectRow &row : rows)
        array.append(row.toJson());
    return array;
}

QJsonArray refsOf(const QJsonObject &body)
{
    const QJsonArray refs = body.value(QStringLiteral("refs")).toArray();
    if (refs.size() > platform::kMaxRecordsPerRequest)
        throw ApiError(413, QStringLiteral("too many records in one request"));
    return refs;
}

// The object whose id the request's path names.
ObjectRow objectInPath(ObjectStore &store, const httplib::Request &request)
{
    const std::optional<ObjectRow> row = store.byPhid(QString::fromStdString(request.matches[1]));
    if (!row)
        throw ApiError(404, QStringLiteral("no such object"));
    return *row;
}

QString bearerToken(const httplib::Request &request)
{
    const std::string header = request.get_header_value("Authorization");
    const std::string prefix = "Bearer ";
    if (header.compare(0, prefix.size(), prefix) != 0)
        return QString();
    return QString::fromStdString(header.substr(prefix.size()));
}

} // namespace

ApiServer::ApiServer(const Options &options)
    : m_options(options), m_accounts(options.sessionTtlSeconds)
{
    if (!options.certFile.isEmpty()) {
        m_server = std::make_unique<httplib::SSLServer>(options.certFile.toLocal8Bit().constData(),
                                                        options.keyFile.toLocal8Bit().constData());
    } else {
        m_server = std::make_unique<httplib::Server>();
    }
    // Every open connection holds one of these threads.
    const int threads = qMax(2, options.threads > 0 ? options.threads : platform::kDefaultThreads);
    m_server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    m_server->set_payload_max_length(static_cast<size_t>(options.maxUploadBytes));
    // A client fetching a drawing's files one after another keeps its connection, but an idle
    // one is let go soon.
    m_server->set_keep_alive_timeout(platform::kKeepAliveSeconds);
    m_server->set_keep_alive_max_count(platform::kKeepAliveMaxRequests);
    m_server->set_read_timeout(platform::kReadTimeoutSeconds);
    m_server->set_write_timeout(platform::kWriteTimeoutSeconds);
    installRoutes();
}

ApiServer::~ApiServer() = default;

bool ApiServer::isTls() const { return !m_options.certFile.isEmpty(); }

bool ApiServer::bind(QString *error)
{
    if (!m_server->is_valid()) {
        *error = QStringLiteral("the TLS certificate or key cannot be used");
        return false;
    }
    const std::string host = m_options.host.toStdString();
    if (m_options.port == 0) {
        m_port = m_server->bind_to_any_port(host);
    } else {
        m_port = m_server->bind_to_port(host, m_options.port) ? m_options.port : -1;
    }
    if (m_port <= 0) {
        *error = QStringLiteral("cannot listen on %1:%2").arg(m_options.host).arg(m_options.port);
        return false;
    }
    return true;
}

void ApiServer::run() { m_server->listen_after_bind(); }

void ApiServer::stop() { m_server->stop(); }

Caller ApiServer::caller(const httplib::Request &request)
{
    return m_accounts.authenticate(bearerToken(request));
}

bool ApiServer::refusedBeforeBody(const httplib::Request &request, httplib::Response &response)
{
    const bool chunked = request.has_header("Transfer-Encoding");
    const bool stated = request.has_header("Content-Length");
    long long length = 0;
    if (stated && !parseLength(request.get_header_value("Content-Length"), &length)) {
        refuseAndClose(response, 400, QStringLiteral("the request's length is not a number"));
        return true;
    }
    // The server would read a body of unstated length up to the end of the connection.
    const bool carriesBody = request.method == "POST" || request.method == "PUT"
        || request.method == "PATCH" || request.method == "PRI";
    const bool unstated = carriesBody && !stated && !chunked;
    auto refuse = [&](int status, const QString &message) {
        if (chunked || unstated || length > 0)
            refuseAndClose(response, status, message);
        else
            sendError(response, status, message);
        return true;
    };

    // Every object request names its caller; sign-in is under the CAS address.
    if (startsWith(request.path, std::string(platform::kApiPrefix) + "/")) {
        try {
            caller(request);
        } catch (const ApiError &error) {
            return refuse(error.status(), QString::fromStdString(error.what()));
        }
    }
    // A check-in streams into a file, counted as it arrives.
    if (request.path == std::string(platform::kApiPrefix) + "/checkin") {
        if (length > m_options.maxUploadBytes)
            return refuse(413, QStringLiteral("the request is too large"));
        return false;
    }
    // Other bodies are small JSON documents, read whole: their length must be known and
    // within bounds before reading begins.
    if (chunked || unstated)
        return refuse(411, QStringLiteral("the request must state its length"));
    if (length > platform::kMaxJsonBodyBytes)
        return refuse(413, QStringLiteral("the request is too large"));
    return false;
}

void ApiServer::jsonRoute(const char *method, const char *pattern, JsonHandler handler)
{
    auto run = [this, handler](const httplib::Request &request, httplib::Response &response) {
        guarded(response, [&] {
            const Caller who = caller(request);
            const QJsonObject body = request.body.empty() ? QJsonObject() : parseObject(request.body);
            sendJson(response, 200, handler(who, body));
        });
    };
    const std::string path = std::string(platform::kApiPrefix) + pattern;
    if (qstrcmp(method, "GET") == 0)
        m_server->Get(path, run);
    else
        m_server->Post(path, run);
}

void ApiServer::installRoutes()
{
    m_server->set_pre_routing_handler([this](const httplib::Request &request,
                                             httplib::Response &response) {
        return refusedBeforeBody(request, response) ? httplib::Server::HandlerResponse::Handled
                                                    : httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (response.body.empty() && !response.content_provider_) {
            sendError(response, response.status,
                      response.status == 413 ? QStringLiteral("the request is too large")
                                             : QStringLiteral("request failed"));
        }
    });
    m_server->set_exception_handler(
        [](const httplib::Request &, httplib::Response &response, std::exception_ptr) {
            sendError(response, 500, QStringLiteral("internal error"));
        });
    m_server->set_logger([](const httplib::Request &request, const httplib::Response &response) {
        qCDebug(lcHttp) << request.method.c_str() << request.path.c_str() << response.status;
    });

    installCasRoutes();

    jsonRoute("GET", "/me", [this](const Caller &who, const QJsonObject &) {
        return QJsonValue(m_accounts.userInfo(who));
    });
    jsonRoute("GET", "/spaces", [this](const Caller &who, const QJsonObject &) {
        return QJsonValue(QJsonObject{
            {QStringLiteral("spaces"), QJsonArray::fromStringList(m_accounts.spaceNames(who))}});
    });
    jsonRoute("POST", "/search", [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        const QJsonValue query = body.value(QStringLiteral("query"));
        const QList<ObjectRow> rows = query.isObject() ? store.search(query.toObject())
                                                       : store.searchCurrentSpace();
        return QJsonValue(QJsonObject{{QStringLiteral("objects"), toJson(rows)}});
    });
    jsonRoute("POST", "/details", [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        QJsonArray results;
        for (const QJsonValue &ref : refsOf(body)) {
            const std::optional<ObjectRow> row = store.resolve(ref.toObject());
            results.append(row ? QJsonValue(row->toJson()) : QJsonValue());
        }
        return QJsonValue(QJsonObject{{QStringLiteral("results"), results}});
    });
    jsonRoute("POST", "/previews", [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        QJsonArray results;
        for (const QJsonValue &ref : refsOf(body)) {
            const std::optional<ObjectRow> row = store.resolve(ref.toObject());
            const std::optional<ObjectRow> preview = row ? store.previewOf(*row) : std::nullopt;
            results.append(preview ? QJsonValue(preview->toJson()) : QJsonValue());
        }
        return QJsonValue(QJsonObject{{QStringLiteral("results"), results}});
    });
    jsonRoute("POST", "/structure", [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        const ObjectRow root = store.resolveOrThrow(body.value(QStringLiteral("ref")).toObject());
        return QJsonValue(QJsonObject{{QStringLiteral("objects"), toJson(store.structure(root))}});
    });
    jsonRoute("POST", "/lock", [](const Caller &who, const QJsonObject &body) {
        return QJsonValue(ObjectStore(who).lock(body.value(QStringLiteral("ref")).toObject()).toJson());
    });
    jsonRoute("POST", "/unlock", [](const Caller &who, const QJsonObject &body) {
        return QJsonValue(
            ObjectStore(who).unlock(body.value(QStringLiteral("ref")).toObject()).toJson());
    });
    jsonRoute("POST", "/delete", [](const Caller &who, const QJsonObject &body) {
        ObjectStore(who).remove(refsOf(body));
        return QJsonValue(QJsonObject{{QStringLiteral("deleted"), true}});
    });
    jsonRoute("POST", "/autonames", [](const Caller &who, const QJsonObject &body) {
        const QStringList names =
            ObjectStore(who).autonames(body.value(QStringLiteral("count")).toInt());
        return QJsonValue(QJsonObject{{QStringLiteral("names"), QJsonArray::fromStringList(names)}});
    });

    const std::string objects = std::string(platform::kApiPrefix) + "/objects/([0-9A-F]{32})";
    m_server->Get(objects, [this](const httplib::Request &request, httplib::Response &response) {
        guarded(response, [&] {
            ObjectStore store(caller(request));
            sendJson(response, 200, objectInPath(store, request).toJson());
        });
    });
    m_server->Get(objects + "/content",
                  [this](const httplib::Request &request, httplib::Response &response) {
                      serveContent(request, response);
                  });
    m_server->Post(std::string(platform::kApiPrefix) + "/checkin",
                   [this](const httplib::Request &request, httplib::Response &response,
                          const httplib::ContentReader &reader) {
                       checkIn(request, response, reader);
                   });

    Dashboard::install(*m_server, m_accounts);
}

void ApiServer::installCasRoutes()
{
    const std::string cas = std::string(platform::kCasPath) + "/v1";
    auto signIn = [this](bool withCookie) {
        return [this, withCookie](const httplib::Request &request, httplib::Response &response) {
            guarded(response, [&] {
                const QJsonObject body = parseObject(request.body);
                auto text = [&body](const char *key) {
                    return body.value(QLatin1String(key)).toString();
                };
                const bool preferred = body.value(QStringLiteral("preferredContext")).toBool();
                const QString token = withCookie
                    ? m_accounts.signInWithCookie(text("cookie"), text("tenant"), text("space"),
                                                  preferred)
                    : m_accounts.signInWithPassword(text("username"), text("password"),
                                                    text("tenant"), text("space"), preferred,
                                                    QString::fromStdString(request.remote_addr));
                sendJson(response, 200,
                         QJsonObject{{QStringLiteral("token"), token},
                                     {QStringLiteral("expiresIn"),
                                      m_options.sessionTtlSeconds}});
            });
        };
    };
    m_server->Post(cas + "/login", signIn(false));
    m_server->Post(cas + "/cookie", signIn(true));
    m_server->Post(cas + "/logout",
                   [this](const httplib::Request &request, httplib::Response &response) {
                       guarded(response, [&] {
                           m_accounts.signOut(bearerToken(request));
                           sendJson(response, 200, QJsonObject{{QStringLiteral("signedOut"), true}});
                       });
                   });
}

void ApiServer::serveContent(const httplib::Request &request, httplib::Response &response)
{
    guarded(response, [&] {
        ObjectStore store(caller(request));
        const ObjectRow row = objectInPath(store, request);
        const QByteArray bytes = store.content(row);
        response.set_header(platform::kHeaderSha256, row.sha256.toStdString());
        response.set_header(platform::kHeaderModified,
                            ObjectStore::stampText(row.modified).toStdString());
        response.set_content(bytes.constData(), static_cast<size_t>(bytes.size()),
                             "application/octet-stream");
    });
}

void ApiServer::checkIn(const httplib::Request &request, httplib::Response &response,
                        const httplib::ContentReader &reader)
{
    if (!request.is_multipart_form_data()) {
        refuseAndClose(response, 400,
                       QStringLiteral("a check-in is a multipart form with a manifest"));
        return;
    }
    CheckInUpload upload(m_options.uploadFolder, m_options.maxUploadBytes);
    if (!upload.receive(reader)) {
        refuseAndClose(response, upload.status(), upload.errorString());
        return;
    }
    guarded(response, [&] {
        const Caller who = caller(request);
        const QJsonObject manifest = parseObject(upload.manifest());
        CheckIn checkIn(who, m_accounts);
        const QList<ObjectRow> stored = checkIn.run(manifest, upload.contents());
        sendJson(response, 200, QJsonObject{{QStringLiteral("objects"), toJson(stored)}});
    });
}
