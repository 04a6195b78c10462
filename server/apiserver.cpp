#include "apiserver.h"

#include "audittrail.h"
#include "checkin.h"
#include "diskspace.h"
#include "checkinupload.h"
#include "chunkuploadexchange.h"
#include "contentstore.h"
#include "dashboard.h"
#include "database.h"
#include "httpexchange.h"
#include "httpserver.h"
#include "jsontext.h"
#include "objectstore.h"
#include "platformconstants.h"
#include "titleblockmapping.h"
#include "titlerules.h"
#include "uploadexchange.h"
#include "uploadsession.h"
#include "trash.h"
#include "versionstore.h"
#include "whereused.h"

#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <limits>

#include <cstring>

Q_LOGGING_CATEGORY(lcHttp, "platform.api", QtInfoMsg)

namespace {

const qint64 kUploadLifetimeSeconds = 24 * 3600;

QJsonObject parseObject(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw ApiError(400, QStringLiteral("the request is not a JSON object"));
    return document.object();
}

// Runs a handler and turns whatever it throws into a status code and a JSON error body.
template <typename Fn>
HttpResponse guarded(Fn &&fn)
{
    try {
        return fn();
    } catch (const ApiError &error) {
        HttpResponse response =
            HttpResponse::error(error.status(), QString::fromStdString(error.what()));
        if (error.retryAfterSeconds() > 0)
            response.headers.emplace_back("Retry-After", std::to_string(error.retryAfterSeconds()));
        return response;
    } catch (const std::exception &error) {
        qCWarning(lcHttp) << "request failed:" << error.what();
        return HttpResponse::error(500, QStringLiteral("internal error"));
    }
}

// The bytes a "Range: bytes=N-" or "bytes=N-M" header asks for, as first and last byte (-1:
// to the end); {0, -1} for anything else, which is answered with the whole content.
std::pair<qint64, qint64> rangeOf(const std::string &range)
{
    static const QRegularExpression pattern(QStringLiteral("^bytes=(\\d{1,18})-(\\d{1,18})?$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromStdString(range));
    if (!match.hasMatch())
        return {0, -1};
    const qint64 first = match.captured(1).toLongLong();
    const qint64 last = match.captured(2).isEmpty() ? -1 : match.captured(2).toLongLong();
    return last >= 0 && last < first ? std::pair<qint64, qint64>{0, -1}
                                     : std::pair<qint64, qint64>{first, last};
}

std::unique_ptr<HttpExchange> answered(HttpResponse response)
{
    return std::make_unique<HttpExchange>(std::move(response));
}

// Refuses from the head: when the request still had a body to send, the server closes the
// connection after the answer rather than read the body.
std::unique_ptr<HttpExchange> refusal(int status, const QString &message)
{
    return answered(HttpResponse::error(status, message));
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

QString bearerToken(const HttpRequest &request)
{
    const std::string header = request.header("authorization");
    const std::string prefix = "Bearer ";
    if (header.compare(0, prefix.size(), prefix) != 0)
        return QString();
    return QString::fromStdString(header.substr(prefix.size()));
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

} // namespace

ApiServer::ApiServer(const Options &options)
    : m_options(options), m_accounts(options.sessionTtlSeconds),
      m_events(std::chrono::seconds(options.keepAliveSeconds))
{
    installRoutes();
}

ApiServer::~ApiServer() = default;

bool ApiServer::isTls() const { return !m_options.certFile.isEmpty(); }

int ApiServer::port() const { return m_server ? m_server->port() : 0; }

bool ApiServer::bind(QString *error)
{
    HttpServer::Options options;
    options.host = m_options.host;
    options.port = m_options.port;
    options.threads = m_options.threads > 0 ? m_options.threads : platform::kDefaultThreads;
    options.perClientConnections = m_options.connectionsPerClient > 0
        ? m_options.connectionsPerClient
        : platform::kDefaultConnectionsPerClient;
    options.trustedProxies = m_options.trustedProxies;
    options.metrics = &m_metrics;
    if (isTls()) {
        QFile certificate(m_options.certFile);
        QFile key(m_options.keyFile);
        if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("the TLS certificate or key cannot be read");
            return false;
        }
        // The library takes them as text ending in a zero byte.
        options.certificatePem = certificate.readAll() + '\0';
        options.keyPem = key.readAll() + '\0';
    }
    m_server = std::make_unique<HttpServer>(
        options, [this](const HttpRequest &request) { return route(request); });
    if (!m_server->start(error))
        return false;
    m_events.start();
    return true;
}

void ApiServer::run()
{
    std::unique_lock<std::mutex> lock(m_stopMutex);
    m_stopped.wait(lock, [this] { return m_stopping; });
    lock.unlock();
    // The streams end first: their connections would otherwise keep the server from stopping.
    m_events.stop();
    m_server->stop();
}

void ApiServer::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
}

std::unique_ptr<HttpExchange> ApiServer::refusedBeforeBody(const HttpRequest &request)
{
    const bool chunked = request.hasHeader("transfer-encoding");
    const bool stated = request.hasHeader("content-length");
    long long length = 0;
    if (stated && !parseLength(request.header("content-length"), &length))
        return refusal(400, QStringLiteral("the request's length is not a number"));
    // Every object request names its caller; sign-in is under the CAS address.
    if (startsWith(request.path, std::string(platform::kApiPrefix) + "/")) {
        try {
            m_accounts.authenticate(bearerToken(request));
        } catch (const ApiError &error) {
            return refusal(error.status(), QString::fromStdString(error.what()));
        }
    }
    // A check-in and an upload's bytes stream into files, counted as they arrive.
    if (request.path == std::string(platform::kApiPrefix) + "/checkin"
        || (request.method == "PUT"
            && startsWith(request.path, std::string(platform::kApiPrefix) + "/uploads/"))) {
        if (length > m_options.maxUploadBytes)
            return refusal(413, QStringLiteral("the request is too large"));
        DiskSpace::check();
        if (!DiskSpace::takesNewContents())
            return refusal(507, DiskSpace::fullText());
        return nullptr;
    }
    // Other bodies are small JSON documents, read whole: their length must be known and
    // within bounds before reading begins.
    const bool carriesBody = request.method == "POST" || request.method == "PUT"
        || request.method == "PATCH";
    if (chunked || (carriesBody && !stated))
        return refusal(411, QStringLiteral("the request must state its length"));
    if (length > platform::kMaxJsonBodyBytes)
        return refusal(413, QStringLiteral("the request is too large"));
    return nullptr;
}

std::unique_ptr<HttpExchange> ApiServer::route(const HttpRequest &request)
{
    if (std::unique_ptr<HttpExchange> refused = refusedBeforeBody(request))
        return refused;
    const std::string api = platform::kApiPrefix;
    const std::string cas = std::string(platform::kCasPath) + "/v1";
    if (request.method == "GET" && request.path == "/healthz")
        return answered(health());
    if (request.method == "GET" && request.path == "/metrics")
        return answered(metrics(request));
    if (request.method == "POST" && request.path == cas + "/login")
        return signIn(request, false);
    if (request.method == "POST" && request.path == cas + "/cookie")
        return signIn(request, true);
    if (request.method == "POST"
        && request.path == std::string(platform::kCasPath) + platform::kLauncherCookiePath)
        return launcherCookie(request);
    if (request.method == "POST" && request.path == cas + "/logout") {
        return answered(guarded([&] {
            m_accounts.signOut(bearerToken(request));
            return HttpResponse::json(200, QJsonObject{{QStringLiteral("signedOut"), true}});
        }));
    }
    if (startsWith(request.path, api + "/")) {
        const std::string key = request.method + " " + request.path.substr(api.size());
        const auto json = m_jsonRoutes.find(key);
        if (json != m_jsonRoutes.end()) {
            const JsonHandler handler = json->second;
            const QString token = bearerToken(request);
            const QString address = request.clientAddress;
            return std::make_unique<BufferedExchange>(
                platform::kMaxJsonBodyBytes,
                [this, handler, token, address](const QByteArray &body) {
                    return guarded([&] {
                        const Caller who = m_accounts.authenticate(token, address);
                        return HttpResponse::json(
                            200, handler(who, body.isEmpty() ? QJsonObject() : parseObject(body)));
                    });
                });
        }
        if (request.method == "POST" && request.path == api + "/checkin")
            return checkIn(request);
        if (startsWith(request.path, api + "/objects/"))
            return object(request);
        if (startsWith(request.path, api + "/uploads/"))
            return upload(request);
        if (request.method == "GET" && request.path == api + "/events")
            return events(request);
        if (request.method == "GET" && request.path == api + "/audit")
            return answered(guarded([&] { return audit(request); }));
    }
    if (std::unique_ptr<HttpExchange> page = Dashboard::route(request, m_accounts))
        return page;
    return refusal(404, QStringLiteral("no such resource"));
}

HttpResponse ApiServer::audit(const HttpRequest &request)
{
    const Caller who = m_accounts.authenticate(bearerToken(request));
    const auto query = [&request](const char *key) {
        const auto found = request.query.find(key);
        return found == request.query.end() ? QString() : QString::fromStdString(found->second);
    };
    AuditTrail::Filter filter;
    filter.restricted = true;
    for (const AccountStore::SpaceMembership &space : m_accounts.spaces(who)) {
        if (space.role == SpaceRole::Manager)
            filter.spaces << space.name;
    }
    if (filter.spaces.isEmpty())
        throw ApiError(403, QStringLiteral("Only a manager of a space can read its trail."));
    filter.user = query("user");
    filter.space = query("space");
    filter.object = query("object");
    for (const auto &[key, into] : {std::pair<const char *, qint64 *>{"since", &filter.since},
                                    std::pair<const char *, qint64 *>{"until", &filter.until}}) {
        const std::optional<qint64> time = AuditTrail::timeOf(query(key));
        if (!time)
            throw ApiError(400, QStringLiteral("%1 is not a time such as 2026-12-08T14:00:00Z")
                                    .arg(QLatin1String(key)));
        *into = *time;
    }
    return HttpResponse::jsonText(200, AuditTrail::list(filter).json());
}

HttpResponse ApiServer::health()
{
    try {
        // Reads the database itself, not only the connection.
        Database::value(QStringLiteral("SELECT COUNT(*) FROM counters"));
        return HttpResponse::json(200, QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")},
                                                   {QStringLiteral("version"),
                                                    QLatin1String(platform::kVersion)}});
    } catch (const ApiError &) {
        // The thread's next request opens its connection anew, so that the platform comes
        // back with its database.
        Database::disconnect();
        return HttpResponse::error(503, QStringLiteral("the database does not answer"));
    }
}

HttpResponse ApiServer::metrics(const HttpRequest &request)
{
    // Behind a trusted proxy this is the client the proxy forwarded, so that the proxy does
    // not open the metrics to everyone.
    const QHostAddress client(request.clientAddress);
    const bool allowed = std::any_of(
        m_options.metricsFrom.cbegin(), m_options.metricsFrom.cend(), [&client](const QString &from) {
            return from.contains(QLatin1Char('/'))
                ? client.isInSubnet(QHostAddress::parseSubnet(from))
                : client.isEqual(QHostAddress(from), QHostAddress::TolerantConversion);
        });
    if (!allowed)
        return HttpResponse::error(403, QStringLiteral("the metrics are not given to this address"));
    HttpResponse response;
    response.headers.emplace_back("Content-Type", "text/plain; version=0.0.4; charset=utf-8");
    response.body = m_metrics.text(m_server->openConnections(), m_events.subscriberCount(),
                                   Database::errorCount(), DiskSpace::check());
    return response;
}

namespace {

QString textOf(const QJsonObject &body, const char *key)
{
    return body.value(QLatin1String(key)).toString();
}

// Reads a JSON object whole and answers it; what the answer throws becomes an error answer.
std::unique_ptr<BufferedExchange>
jsonExchange(const std::function<HttpResponse(const QJsonObject &)> &answer)
{
    return std::make_unique<BufferedExchange>(
        platform::kMaxJsonBodyBytes,
        [answer](const QByteArray &raw) { return guarded([&] { return answer(parseObject(raw)); }); });
}

} // namespace

std::unique_ptr<HttpExchange> ApiServer::signIn(const HttpRequest &request, bool withCookie)
{
    const QString address = request.clientAddress;
    auto exchange = jsonExchange([this, withCookie, address](const QJsonObject &body) {
        const bool preferred = body.value(QStringLiteral("preferredContext")).toBool();
        const QString tenant = textOf(body, "tenant");
        const QString space = textOf(body, "space");
        const QString token = withCookie
            ? m_accounts.signInWithCookie(textOf(body, "cookie"), tenant, space, preferred)
            : m_accounts.signInWithPassword(textOf(body, "username"), textOf(body, "password"),
                                            tenant, space, preferred, address);
        return HttpResponse::json(200, QJsonObject{{QStringLiteral("token"), token},
                                                   {QStringLiteral("expiresIn"),
                                                    m_options.sessionTtlSeconds}});
    });
    // A password is checked with a deliberately costly hash.
    exchange->setSlow(!withCookie);
    return exchange;
}

std::unique_ptr<HttpExchange> ApiServer::launcherCookie(const HttpRequest &request)
{
    const QString address = request.clientAddress;
    const QString origin = publicOrigin(request);
    auto exchange = jsonExchange([this, address, origin](const QJsonObject &body) {
        // A client may ask for less than the administrator allows, never for more.
        int days = m_options.launcherCookieDays;
        const QJsonValue asked = body.value(QStringLiteral("days"));
        if (!asked.isUndefined()) {
            if (asked.toInt() <= 0)
                throw ApiError(400, QStringLiteral("days must be a positive number"));
            days = std::min(days, asked.toInt());
        }
        const int lifetime = days * 24 * 3600;
        const AccountStore::LauncherCookie issued = m_accounts.issueCookieWithPassword(
            textOf(body, "username"), textOf(body, "password"), textOf(body, "tenant"),
            textOf(body, "space"), address, lifetime);
        return HttpResponse::json(
            200,
            QJsonObject{{QStringLiteral("cookie"), issued.cookie},
                        {QStringLiteral("expiresAt"),
                         QDateTime::fromSecsSinceEpoch(issued.expiresAt, Qt::UTC)
                             .toString(Qt::ISODate)},
                        {QStringLiteral("expiresIn"), lifetime},
                        {QStringLiteral("serverUrl"), origin + QLatin1String(platform::kVaultPath)},
                        {QStringLiteral("casUrl"), origin + QLatin1String(platform::kCasPath)},
                        {QStringLiteral("dashboardUrl"),
                         origin + QLatin1String(platform::kDashboardPath)},
                        {QStringLiteral("tenant"), textOf(body, "tenant")},
                        {QStringLiteral("space"), textOf(body, "space")}});
    });
    // The password is checked with a deliberately costly hash.
    exchange->setSlow(true);
    return exchange;
}

QString ApiServer::publicOrigin(const HttpRequest &request) const
{
    if (!m_options.publicUrl.isEmpty()) {
        return QUrl(m_options.publicUrl)
            .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
            .toString();
    }
    // The host and port the client wrote, which is how that client reaches the platform.
    const QString host = request.hasHeader("host")
        ? QString::fromStdString(request.header("host"))
        : QStringLiteral("%1:%2").arg(m_options.host).arg(port());
    return (isTls() ? QStringLiteral("https://") : QStringLiteral("http://")) + host;
}

namespace {

// The bytes of a content, with the headers that let a client resume a transfer of them; title
// names the file in the refusal of a content found damaged.
HttpResponse contentAnswer(const HttpRequest &request, const QString &title,
                           const QString &sha256, qint64 size, qint64 modified)
{
    // A download cut short for damage is not tried again by the client in vain: the next
    // request says why.
    if (ContentStore::isKnownDamaged(sha256)) {
        return HttpResponse::error(
            500, QStringLiteral("%1 is damaged on the AUREX Platform: its stored bytes do not "
                                "match their checksum. The administrator's `aurex-platform "
                                "check` names what it affects.")
                     .arg(TitleRules::printable(title)));
    }
    HttpResponse response;
    response.headers.emplace_back("Content-Type", "application/octet-stream");
    response.headers.emplace_back(platform::kHeaderSha256, sha256.toStdString());
    response.headers.emplace_back(platform::kHeaderModified,
                                  ObjectStore::stampText(modified).toStdString());
    // A client that has the first bytes of this very content asks for the rest.
    const std::string etag = '"' + sha256.toStdString() + '"';
    response.headers.emplace_back("ETag", etag);
    response.headers.emplace_back("Accept-Ranges", "bytes");
    std::pair<qint64, qint64> range{0, -1};
    if (!request.hasHeader("if-range") || request.header("if-range") == etag)
        range = rangeOf(request.header("range"));
    const qint64 from = range.first;
    const qint64 last = range.second < 0 ? size - 1 : qMin(range.second, size - 1);
    const std::string total = std::to_string(size);
    if ((from > 0 || range.second >= 0) && from >= size) {
        HttpResponse refused = HttpResponse::error(416, QStringLiteral("no such range"));
        refused.headers.emplace_back("Content-Range", "bytes */" + total);
        return refused;
    }
    if (from > 0 || range.second >= 0) {
        response.status = 206;
        response.headers.emplace_back("Content-Range", "bytes " + std::to_string(from) + "-"
                                                           + std::to_string(last) + "/"
                                                           + total);
    }
    // The bytes go out chunk by chunk as the connection takes them.
    auto reader = std::make_shared<ContentStore::Reader>(sha256, size, response.status == 206);
    response.streamedSize = last + 1 - from;
    response.producer = [reader, from, last](qint64 offset, char *buffer, qint64 max) {
        try {
            return reader->read(from + offset, buffer, qMin(max, last + 1 - from - offset));
        } catch (const std::exception &) {
            return qint64(-1);
        }
    };
    return response;
}

// The chunks a content is made of, for a client that has some of them already.
HttpResponse chunkList(const QString &sha256, qint64 size, qint64 modified)
{
    QJsonArray chunks;
    for (const ChunkStore::Ref &chunk : ContentStore::chunksOf(sha256))
        chunks.append(QJsonArray{chunk.sha256, static_cast<double>(chunk.size)});
    return HttpResponse::json(200, QJsonObject{{QStringLiteral("sha256"), sha256},
                                               {QStringLiteral("size"), static_cast<double>(size)},
                                               {QStringLiteral("modified"),
                                                ObjectStore::stampText(modified)},
                                               {QStringLiteral("chunks"), chunks}});
}

} // namespace

std::unique_ptr<HttpExchange> ApiServer::object(const HttpRequest &request)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^/objects/([0-9A-F]{32})(/versions(?:/([1-9][0-9]{0,8}))?)?(/content|/chunks|"
        "/structure|/restore|/whereused)?$"));
    const QRegularExpressionMatch match = pattern.match(
        QString::fromStdString(request.path.substr(std::string(platform::kApiPrefix).size())));
    const bool versions = match.hasMatch() && !match.captured(2).isEmpty();
    const int revision = match.captured(3).toInt();
    const QString part = match.captured(4);
    // What may follow what: the object's content, its chunks or where it is used, its
    // versions, a version's content, chunks, structure or restore.
    const bool whereUsed = part == QLatin1String("/whereused");
    const bool chunks = part == QLatin1String("/chunks");
    const bool known = match.hasMatch()
        && (part.isEmpty()
            || (!versions && (part == QLatin1String("/content") || chunks || whereUsed))
            || (revision > 0 && !whereUsed));
    if (!known)
        return refusal(404, QStringLiteral("no such object"));
    const bool restoring = part == QLatin1String("/restore");
    if (request.method != (restoring ? "POST" : "GET"))
        return refusal(405, restoring ? QStringLiteral("a version is restored with POST")
                                      : QStringLiteral("an object is read with GET"));
    if (restoring)
        return restore(request, match.captured(1), revision);
    return answered(guarded([&] {
        const Caller who = m_accounts.authenticate(bearerToken(request), request.clientAddress);
        ObjectStore store(who);
        const std::optional<ObjectRow> row = store.byPhid(match.captured(1));
        if (!row)
            throw ApiError(404, QStringLiteral("no such object"));
        if (whereUsed)
            return HttpResponse::json(200, WhereUsed(who).answer(*row));
        if (chunks && !versions)
            return chunkList(row->sha256, row->size, row->modified);
        if (!versions) {
            return part.isEmpty()
                ? HttpResponse::json(200, row->toJson())
                : contentAnswer(request, row->title, row->sha256, row->size, row->modified);
        }
        VersionStore history(who);
        if (revision == 0) {
            const QVector<VersionRow> versions = history.versions(*row);
            JsonText text;
            text.reserve(1024 + 320 * versions.size());
            text.beginObject();
            text.rawField("object", QJsonDocument(row->toJson()).toJson(QJsonDocument::Compact));
            text.beginList("versions");
            for (const VersionRow &version : versions)
                version.write(&text, row->drawing);
            text.endList();
            text.endObject();
            return HttpResponse::jsonText(200, text.take());
        }
        if (part == QLatin1String("/structure")) {
            return HttpResponse::json(
                200, QJsonObject{{QStringLiteral("objects"),
                                  history.structureAsOf(*row, revision)}});
        }
        const VersionRow version = history.version(*row, revision);
        if (chunks)
            return chunkList(version.sha256, version.size, version.modified);
        return part.isEmpty() ? HttpResponse::json(200, version.toJson(*row))
                              : contentAnswer(request, version.title, version.sha256,
                                              version.size, version.modified);
    }));
}

std::unique_ptr<HttpExchange> ApiServer::restore(const HttpRequest &request, const QString &phid,
                                                 int revision)
{
    const QString token = bearerToken(request);
    const QString address = request.clientAddress;
    return std::make_unique<BufferedExchange>(
        platform::kMaxJsonBodyBytes,
        [this, token, address, phid, revision](const QByteArray &raw) {
            return guarded([&] {
                const Caller who = m_accounts.authenticate(token, address);
                const QJsonObject body = raw.isEmpty() ? QJsonObject() : parseObject(raw);
                const ObjectRow row =
                    ObjectStore(who).resolveOrThrow(QJsonObject{{QStringLiteral("phid"), phid}});
                const ObjectRow restored = VersionStore(who).restore(
                    row, revision, body.value(QStringLiteral("comment")).toString(),
                    body.value(QStringLiteral("_BaseModified")).toString(),
                    m_options.retention);
                return HttpResponse::json(200, restored.toJson());
            });
        });
}

// A check-in: the multipart body streams into a CheckInUpload, and the check-in runs once the
// body is complete.
class CheckInExchange : public HttpExchange
{
public:
    CheckInExchange(const QString &folder, qint64 maxBytes, const QByteArray &boundary,
                    std::function<HttpResponse(CheckInUpload &)> run)
        : m_upload(folder, maxBytes, boundary), m_run(std::move(run))
    {
    }

    bool receive(const char *data, size_t size) override
    {
        if (m_upload.receive(data, size))
            return true;
        setAnswer(HttpResponse::error(m_upload.status(), m_upload.errorString()));
        return false;
    }

    void finish() override
    {
        setAnswer(m_upload.finish()
                      ? m_run(m_upload)
                      : HttpResponse::error(m_upload.status(), m_upload.errorString()));
    }

private:
    CheckInUpload m_upload;
    std::function<HttpResponse(CheckInUpload &)> m_run;
};

std::unique_ptr<HttpExchange> ApiServer::checkIn(const HttpRequest &request)
{
    const QByteArray boundary = MultipartReader::boundaryOf(request.header("content-type"));
    if (boundary.isEmpty())
        return refusal(400, QStringLiteral("a check-in is a multipart form with a manifest"));
    const QString token = bearerToken(request);
    const QString address = request.clientAddress;
    return std::make_unique<CheckInExchange>(
        m_options.uploadFolder, m_options.maxUploadBytes, boundary,
        [this, token, address](CheckInUpload &upload) {
            return guarded([&] {
                const Caller who = m_accounts.authenticate(token, address);
                const QJsonObject manifest = parseObject(upload.manifest());
                CheckIn checkIn(who, m_accounts, m_options.retention);
                return HttpResponse::json(
                    200, QJsonObject{{QStringLiteral("objects"),
                                      checkIn.answer(manifest, upload.contents())}});
            });
        });
}

std::unique_ptr<HttpExchange> ApiServer::upload(const HttpRequest &request)
{
    const QString id = QString::fromStdString(
        request.path.substr(std::string(platform::kApiPrefix).size() + std::strlen("/uploads/")));
    std::optional<UploadSession> session;
    const HttpResponse refused = guarded([&] {
        const Caller who = m_accounts.authenticate(bearerToken(request));
        session = UploadSession::open(id, who.userId);
        if (!session)
            throw ApiError(404, QStringLiteral("no such upload"));
        return HttpResponse();
    });
    if (!session)
        return answered(refused);
    if (request.method == "GET")
        return answered(UploadExchange::progressAnswer(200, *session));
    if (request.method != "PUT")
        return refusal(405, QStringLiteral("an upload is read or appended to"));
    const auto chunks = request.query.find("chunks");
    if (session->isChunked() != (chunks != request.query.end())) {
        return answered(UploadExchange::progressAnswer(
            409, *session,
            session->isChunked() ? QStringLiteral("the upload was announced as chunks: send "
                                                  "them with ?chunks=")
                                 : QStringLiteral("the upload was announced as bytes: send "
                                                  "them with ?offset=")));
    }
    if (session->isChunked()) {
        QVector<UploadSession::Chunk> named;
        const HttpResponse unreadable = guarded([&] {
            if (!ChunkUploadExchange::parse(QString::fromStdString(chunks->second),
                                            session->chunks(), &named))
                throw ApiError(400, QStringLiteral("?chunks= names chunks of the upload by "
                                                   "place, as 0-3,7"));
            return HttpResponse();
        });
        if (named.isEmpty())
            return answered(unreadable);
        return std::make_unique<ChunkUploadExchange>(*session, named);
    }
    // The bytes continue exactly where the platform's end; anything else is answered with
    // where that is, so the client can go on from there.
    bool numeric = false;
    const auto offset = request.query.find("offset");
    const qint64 from = offset == request.query.end()
        ? -1
        : QString::fromStdString(offset->second).toLongLong(&numeric);
    // A new append takes over from one whose client is gone but whose connection has not been
    // noticed closed yet.
    const quint64 turn = session->takeOver();
    if (!numeric || from != session->received()) {
        session->release(turn);
        return answered(UploadExchange::progressAnswer(
            409, *session, QStringLiteral("the upload continues at its received bytes")));
    }
    return std::make_unique<UploadExchange>(*session, turn);
}

std::unique_ptr<HttpExchange> ApiServer::events(const HttpRequest &request)
{
    return answered(guarded([&] {
        const QString token = bearerToken(request);
        const Caller who = m_accounts.authenticate(token);
        // The header a reconnecting event-stream client sends, or the same as a parameter.
        std::string last = request.header("last-event-id");
        if (last.empty() && request.query.count("lastEventId"))
            last = request.query.at("lastEventId");
        qint64 lastEventId = -1;
        if (!last.empty()) {
            bool number = false;
            lastEventId = QString::fromStdString(last).toLongLong(&number);
            // Not a number the log gave: the client is told to refresh.
            if (!number || lastEventId < 0)
                lastEventId = std::numeric_limits<qint64>::max();
        }
        HttpResponse response;
        response.headers = {{"Content-Type", "text/event-stream; charset=utf-8"},
                            {"Cache-Control", "no-cache"},
                            // Proxies pass each event on as it comes.
                            {"X-Accel-Buffering", "no"}};
        response.stream = m_events.subscribe(who, token, lastEventId);
        return response;
    }));
}

void ApiServer::installRoutes()
{
    m_jsonRoutes["GET /me"] = [this](const Caller &who, const QJsonObject &) {
        return QJsonValue(m_accounts.userInfo(who));
    };
    m_jsonRoutes["GET /titleblock"] = [](const Caller &who, const QJsonObject &) {
        return QJsonValue(
            QJsonObject{{QStringLiteral("mapping"), TitleBlockMapping::read(who.tenantId)}});
    };
    m_jsonRoutes["GET /spaces"] = [this](const Caller &who, const QJsonObject &) {
        QJsonArray names;
        QJsonObject roles;
        for (const AccountStore::SpaceMembership &space : m_accounts.spaces(who)) {
            names.append(space.name);
            roles.insert(space.name, SpaceRole::name(space.role));
        }
        return QJsonValue(QJsonObject{{QStringLiteral("spaces"), names},
                                      {QStringLiteral("roles"), roles}});
    };
    // A space's managers add members, change their roles and end memberships.
    const auto manage = [this](const Caller &who, const QJsonObject &body) {
        const QString space = body.value(QStringLiteral("space")).toString();
        if (m_accounts.membership(who, space).role != SpaceRole::Manager)
            throw ApiError(403, QStringLiteral("Only a manager of %1 can change its members.")
                                    .arg(space));
        return space;
    };
    m_jsonRoutes["POST /members"] = [this, manage](const Caller &who, const QJsonObject &body) {
        const QString space = manage(who, body);
        const QString login = body.value(QStringLiteral("login")).toString();
        AccountStore::MemberChange change;
        change.actor = who.login;
        change.address = who.address;
        const QJsonValue role = body.value(QStringLiteral("role"));
        if (!role.isUndefined()) {
            change.role = SpaceRole::parse(role.toString());
            if (!change.role)
                throw ApiError(400, QStringLiteral("a role is reader, editor or manager"));
        }
        m_accounts.setMember(who.tenantId, space, login, change);
        return QJsonValue(QJsonObject{{QStringLiteral("space"), space},
                                      {QStringLiteral("login"), login}});
    };
    m_jsonRoutes["POST /members/remove"] = [this, manage](const Caller &who,
                                                          const QJsonObject &body) {
        const QString space = manage(who, body);
        const QString login = body.value(QStringLiteral("login")).toString();
        m_accounts.removeMember(who.tenantId, space, login, who.login, who.address);
        return QJsonValue(QJsonObject{{QStringLiteral("space"), space},
                                      {QStringLiteral("login"), login}});
    };
    m_jsonRoutes["GET /trash"] = [this](const Caller &who, const QJsonObject &) {
        QJsonArray objects;
        for (const ObjectRow &row : Trash(who).list()) {
            QJsonObject object = row.toJson();
            object.insert(QStringLiteral("_TrashedBy"), row.trashedBy);
            object.insert(QStringLiteral("_TrashedAt"), ObjectStore::stampText(row.trashedAt));
            object.insert(QStringLiteral("_PurgeAt"),
                          ObjectStore::stampText(
                              Trash::purgeTime(row.trashedAt, m_options.trashDays)));
            objects.append(object);
        }
        return QJsonValue(QJsonObject{{QStringLiteral("objects"), objects}});
    };
    m_jsonRoutes["POST /trash/restore"] = [](const Caller &who, const QJsonObject &body) {
        return QJsonValue(
            QJsonObject{{QStringLiteral("objects"), toJson(Trash(who).restore(refsOf(body)))}});
    };
    m_jsonRoutes["POST /search"] = [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        const QJsonValue query = body.value(QStringLiteral("query"));
        const QList<ObjectRow> rows = query.isObject() ? store.search(query.toObject())
                                                       : store.searchCurrentSpace();
        return QJsonValue(QJsonObject{{QStringLiteral("objects"), toJson(rows)}});
    };
    m_jsonRoutes["POST /details"] = [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        QList<std::optional<ObjectRow>> rows;
        QList<ObjectRow> found;
        for (const QJsonValue &ref : refsOf(body)) {
            rows.append(store.resolve(ref.toObject()));
            if (rows.constLast())
                found.append(*rows.constLast());
        }
        // Details tell the story of the current version: who saved it (in every object) and
        // with which comment.
        const QHash<qint64, QString> comments = VersionStore(who).currentComments(found);
        QJsonArray results;
        for (const std::optional<ObjectRow> &row : rows) {
            if (!row) {
                results.append(QJsonValue());
                continue;
            }
            QJsonObject object = row->toJson();
            object.insert(QStringLiteral("_Comment"), comments.value(row->id));
            results.append(object);
        }
        return QJsonValue(QJsonObject{{QStringLiteral("results"), results}});
    };
    m_jsonRoutes["POST /previews"] = [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        QJsonArray results;
        for (const QJsonValue &ref : refsOf(body)) {
            const std::optional<ObjectRow> row = store.resolve(ref.toObject());
            const std::optional<ObjectRow> preview = row ? store.previewOf(*row) : std::nullopt;
            results.append(preview ? QJsonValue(preview->toJson()) : QJsonValue());
        }
        return QJsonValue(QJsonObject{{QStringLiteral("results"), results}});
    };
    m_jsonRoutes["POST /structure"] = [](const Caller &who, const QJsonObject &body) {
        ObjectStore store(who);
        const ObjectRow root = store.resolveOrThrow(body.value(QStringLiteral("ref")).toObject());
        return QJsonValue(QJsonObject{{QStringLiteral("objects"), toJson(store.structure(root))}});
    };
    m_jsonRoutes["POST /lock"] = [](const Caller &who, const QJsonObject &body) {
        return QJsonValue(ObjectStore(who).lock(body.value(QStringLiteral("ref")).toObject()).toJson());
    };
    m_jsonRoutes["POST /unlock"] = [](const Caller &who, const QJsonObject &body) {
        return QJsonValue(
            ObjectStore(who).unlock(body.value(QStringLiteral("ref")).toObject()).toJson());
    };
    m_jsonRoutes["POST /delete"] = [](const Caller &who, const QJsonObject &body) {
        ObjectStore(who).remove(refsOf(body));
        return QJsonValue(QJsonObject{{QStringLiteral("deleted"), true}});
    };
    m_jsonRoutes["POST /uploads"] = [this](const Caller &who, const QJsonObject &body) {
        const double size = body.value(QStringLiteral("size")).toDouble(-1);
        if (size > static_cast<double>(m_options.maxUploadBytes))
            throw ApiError(413, QStringLiteral("the upload is too large"));
        // Uploads nobody finished within a day are dropped as new ones begin.
        UploadSession::removeExpired(kUploadLifetimeSeconds);
        QVector<ChunkStore::Ref> chunks;
        for (const QJsonValue chunk : body.value(QStringLiteral("chunks")).toArray()) {
            const QJsonArray pair = chunk.toArray();
            chunks.append({pair.at(0).toString().toLower(),
                           static_cast<qint64>(pair.at(1).toDouble(-1))});
        }
        const UploadSession session = UploadSession::create(
            who.userId, static_cast<qint64>(size),
            body.value(QStringLiteral("sha256")).toString().toLower(), chunks);
        return QJsonValue(session.state());
    };
    m_jsonRoutes["POST /autonames"] = [](const Caller &who, const QJsonObject &body) {
        const QStringList names =
            ObjectStore(who).autonames(body.value(QStringLiteral("count")).toInt());
        return QJsonValue(QJsonObject{{QStringLiteral("names"), QJsonArray::fromStringList(names)}});
    };
}
