#include "platformconnection.h"

#include "deltadownload.h"
#include "partialdownload.h"
#include "sha256digest.h"
#include "transferobserver.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryFile>
#include <QUrl>

#include <httplib.h>
#include <openssl/x509.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <memory>
#include <pthread.h>

namespace {

const char kApiPrefix[] = "/api/v1";
const char kHeaderSha256[] = "X-Aurex-SHA256";
const char kHeaderModified[] = "X-Aurex-Modified";
// A certificate bundle the connector trusts besides the system's, e.g. for a platform that
// serves a self-signed certificate.
const char kCaFileVariable[] = "FZCONNECTOR_CA_FILE";
// Seconds a JSON call waits for the platform. Calls run on the application's main thread too,
// so a platform that accepts connections but never answers must not hold it for long.
const char kTimeoutVariable[] = "FZCONNECTOR_TIMEOUT";
const int kDefaultCallTimeoutSeconds = 30;
const int kConnectTimeoutSeconds = 10;
const int kStreamSilenceSeconds = 60;
// A content transfer may pause longer: the platform stores a whole check-in before it answers.
const int kTransferTimeoutSeconds = 300;

// A peer that closes its end while a request is still being sent raises SIGPIPE, whose default
// action would end the whole application. For the span of one request the calling thread blocks
// it; a SIGPIPE raised meanwhile is taken off the thread before the old mask comes back.
class SigpipeGuard
{
public:
    SigpipeGuard()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~SigpipeGuard()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{0, 0};
            sigtimedwait(&m_pipe, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeGuard(const SigpipeGuard &) = delete;
    SigpipeGuard &operator=(const SigpipeGuard &) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
};

// A transfer whose connection drops tries again this many times in all, waiting twice as long
// before each new attempt, from kFirstRetryMs.
const int kTransferAttempts = 4;
const int kFirstRetryMs = 500;

// A local file at least this large is worth fetching only the changed chunks of.
const qint64 kDeltaDownloadBytes = 1024 * 1024;

// Bytes read from a file at once, when hashing it or sending it.
const qint64 kFileBlockBytes = 1024 * 1024;

// Sends files one after the other into an upload part, a block per call, opening each file
// when its turn comes.
class FileStreamer
{
public:
    // progress hears of every block sent; false from it stops the upload.
    FileStreamer(const std::vector<UploadFile> &files, std::function<bool(qint64)> progress)
        : m_files(files), m_progress(std::move(progress))
    {
    }

    bool send(httplib::DataSink &sink)
    {
        if (!m_file.isOpen()) {
            m_file.setFileName(m_files[m_next].path);
            m_left = m_files[m_next].size;
            if (!m_file.open(QIODevice::ReadOnly))
                return fail(QStringLiteral("cannot read %1: %2")
                                .arg(m_file.fileName(), m_file.errorString()));
        }
        const qint64 read = m_file.read(m_block.data(), qMin<qint64>(kFileBlockBytes, m_left));
        if (read < 0 || (read == 0 && m_left > 0))
            return fail(QStringLiteral("%1 changed while it was sent").arg(m_file.fileName()));
        m_left -= read;
        if (read > 0 && !sink.write(m_block.constData(), static_cast<size_t>(read)))
            return false;
        if (!m_progress(read))
            return fail(QStringLiteral("cancelled"));
        if (m_left == 0) {
            const bool grew = !m_file.atEnd();
            m_file.close();
            if (grew)
                return fail(QStringLiteral("%1 changed while it was sent")
                                .arg(m_files[m_next].path));
            if (++m_next == m_files.size())
                sink.done();
        }
        return true;
    }
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }

    const std::vector<UploadFile> &m_files;
    std::function<bool(qint64)> m_progress;
    size_t m_next = 0;
    QFile m_file;
    qint64 m_left = 0;
    QByteArray m_block = QByteArray(static_cast<int>(kFileBlockBytes), Qt::Uninitialized);
    QString m_error;
};

} // namespace

PlatformConnection::PlatformConnection(const PlatformEndpoint &endpoint) : m_endpoint(endpoint)
{
    addSecret(endpoint.token);
    addSecret(endpoint.proxyPassword);
    if (!endpoint.proxyUser.isEmpty()) {
        // The form in which the proxy received them.
        addSecret(QString::fromLatin1(
            (endpoint.proxyUser + QLatin1Char(':') + endpoint.proxyPassword).toUtf8().toBase64()));
    }
}

PlatformConnection::~PlatformConnection() = default;

int PlatformConnection::callTimeoutSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue(kTimeoutVariable, &ok);
    return ok && seconds > 0 ? seconds : kDefaultCallTimeoutSeconds;
}

void PlatformConnection::addSecret(const QString &secret)
{
    if (!secret.isEmpty())
        m_secrets.append(secret);
}

QString PlatformConnection::refusalMessage(const std::string &body) const
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(body));
    QString message = document.object().value(QStringLiteral("error")).toString();
    for (const QString &secret : m_secrets)
        message.replace(secret, QStringLiteral("***"));
    return message;
}

QString PlatformConnection::errorText(const std::string &body, int status) const
{
    const QString message = refusalMessage(body);
    return QStringLiteral("the platform answered %1%2")
        .arg(status)
        .arg(message.isEmpty() ? QString() : QStringLiteral(": ") + message);
}

QString PlatformConnection::serverOrigin(const QString &serverHost)
{
    const QString host = serverHost.trimmed();
    if (host.isEmpty())
        return QString();
    const bool hasScheme =
        host.startsWith(QLatin1String("http://")) || host.startsWith(QLatin1String("https://"));
    // Only scheme, host and port count: the platform's paths are its own.
    const QUrl url(hasScheme ? host : QStringLiteral("https://") + host);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                        | QUrl::RemoveUserInfo)
        .toString();
}

QString PlatformConnection::resolveCasUrl(const QString &serverHost, const QString &casUrl)
{
    if (casUrl.startsWith(QLatin1Char('/'))) {
        const QString origin = serverOrigin(serverHost);
        return origin.isEmpty() ? QString() : origin + casUrl;
    }
    return casUrl;
}

bool PlatformConnection::isSafeFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.trimmed() != name || name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('/')
            || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
    }
    return true;
}

PlatformConnection::Target PlatformConnection::target(const QString &url) const
{
    QUrl parsed(url);
    if (parsed.isRelative()) {
        parsed = QUrl(serverOrigin(m_endpoint.serverHost) + QLatin1String(kApiPrefix) + url);
    }
    Target out;
    if (!parsed.isValid() || parsed.host().isEmpty())
        return out;
    out.origin = parsed.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                                 | QUrl::RemoveUserInfo)
                     .toString()
                     .toStdString();
    out.path = parsed.path(QUrl::FullyEncoded).toStdString();
    if (out.path.empty())
        out.path = "/";
    if (parsed.hasQuery())
        out.path += "?" + parsed.query(QUrl::FullyEncoded).toStdString();
    return out;
}

int PlatformConnection::stream(const QString &url, const QString &lastEventId,
                               const std::function<void(const char *, size_t)> &received,
                               QString *error)
{
    const Target where = target(url);
    if (where.origin.empty()) {
        *error = QStringLiteral("no platform server is set");
        return 0;
    }
    const SigpipeGuard guard;
    // The platform sends a comment line every 15 seconds: a stream silent for four times as
    // long is gone.
    httplib::Client &http = client(where.origin, kStreamSilenceSeconds);
    {
        std::lock_guard<std::mutex> lock(m_streamMutex);
        if (m_streamStopped)
            return 200;
        m_streaming = &http;
    }
    httplib::Headers headers{{"Accept", "text/event-stream"}};
    if (!lastEventId.isEmpty())
        headers.emplace("Last-Event-ID", lastEventId.toStdString());
    int status = 0;
    std::string body; // of an answer that is not the stream
    const httplib::Result result = http.Get(
        where.path, headers,
        [&status](const httplib::Response &response) {
            status = response.status;
            return true;
        },
        [&](const char *data, size_t size) {
            if (status == 200)
                received(data, size);
            else if (body.size() < 4096)
                body.append(data, size);
            return true;
        });
    bool stopped = false;
    {
        std::lock_guard<std::mutex> lock(m_streamMutex);
        m_streaming = nullptr;
        stopped = m_streamStopped;
    }
    if (stopped && (status == 0 || status == 200))
        return 200;
    if (!result && status == 0) {
        *error = QStringLiteral("cannot reach the platform: %1")
                     .arg(QString::fromStdString(httplib::to_string(result.error())));
        return 0;
    }
    if (status == 401)
        m_signedOut = true;
    if (status != 200)
        *error = errorText(body, status);
    else if (!result)
        *error = QStringLiteral("the event stream broke off: %1")
                     .arg(QString::fromStdString(httplib::to_string(result.error())));
    return status;
}

void PlatformConnection::stopStream()
{
    std::lock_guard<std::mutex> lock(m_streamMutex);
    m_streamStopped = true;
    if (m_streaming)
        m_streaming->stop();
}

httplib::Client &PlatformConnection::client(const std::string &origin, int timeoutSeconds)
{
    if (m_client && m_clientOrigin == origin) {
        m_client->set_read_timeout(timeoutSeconds);
        m_client->set_write_timeout(timeoutSeconds);
        return *m_client;
    }
    m_client = std::make_unique<httplib::Client>(origin);
    m_clientOrigin = origin;
    httplib::Client &client = *m_client;
    client.set_connection_timeout(qMin(kConnectTimeoutSeconds, callTimeoutSeconds()));
    client.set_read_timeout(timeoutSeconds);
    client.set_write_timeout(timeoutSeconds);
    client.set_keep_alive(true);
    client.enable_server_certificate_verification(true);
    const QByteArray caFile = qgetenv(kCaFileVariable);
    if (!caFile.isEmpty())
        client.set_ca_cert_path(caFile.toStdString());
    if (!m_endpoint.proxyHost.isEmpty() && m_endpoint.proxyPort > 0) {
        client.set_proxy(m_endpoint.proxyHost.toStdString(), m_endpoint.proxyPort);
        if (!m_endpoint.proxyUser.isEmpty()) {
            client.set_proxy_basic_auth(m_endpoint.proxyUser.toStdString(),
                                        m_endpoint.proxyPassword.toStdString());
        }
    }
    if (!m_endpoint.token.isEmpty())
        client.set_bearer_token_auth(m_endpoint.token.toStdString());
    return client;
}

bool PlatformConnection::finish(int status, const std::string &body, QJsonObject *answer,
                                QString *error)
{
    if (status == 401)
        m_signedOut = true;
    if (status != 200) {
        t_refusal = refusalMessage(body);
        *error = errorText(body, status);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(body),
                                                           &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = QStringLiteral("the platform's answer is not JSON");
        return false;
    }
    if (answer)
        *answer = document.object();
    return true;
}

// Per thread: a search on a worker thread reads why it failed while the main thread makes calls
// of its own.
thread_local QString PlatformConnection::t_certificateProblem;
thread_local QString PlatformConnection::t_refusal;

QString PlatformConnection::certificateProblem()
{
    return t_certificateProblem;
}

QString PlatformConnection::lastRefusal()
{
    return t_refusal;
}

bool PlatformConnection::send(const QString &url, const Request &request, int timeoutSeconds,
                              QJsonObject *answer, QString *error)
{
    t_certificateProblem.clear();
    t_refusal.clear();
    const Target where = target(url);
    if (where.origin.empty()) {
        *error = QStringLiteral("no platform server is set");
        return false;
    }
    const SigpipeGuard guard;
    httplib::Client &http = client(where.origin, timeoutSeconds);
    const httplib::Result result = request(http, where.path);
    if (!result && result.error() == httplib::Error::SSLServerVerification) {
        // OpenSSL's words for what is wrong with the chain; a chain it accepted was refused
        // for the host name it names.
        const long verified = http.get_openssl_verify_result();
        t_certificateProblem = verified == X509_V_OK
            ? QStringLiteral("it was issued for another server")
            : QString::fromLatin1(X509_verify_cert_error_string(verified));
    }
    if (!result) {
        *error = QStringLiteral("cannot reach the platform: %1")
                     .arg(QString::fromStdString(httplib::to_string(result.error())));
        return false;
    }
    return finish(result->status, result->body, answer, error);
}

bool PlatformConnection::getJson(const QString &url, QJsonObject *answer, QString *error)
{
    return send(
        url, [](httplib::Client &client, const std::string &path) { return client.Get(path); },
        callTimeoutSeconds(), answer, error);
}

bool PlatformConnection::postJson(const QString &url, const QJsonObject &body,
                                  QJsonObject *answer, QString *error)
{
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return send(
        url,
        [&json](httplib::Client &client, const std::string &path) {
            return client.Post(path, json.constData(), static_cast<size_t>(json.size()),
                               "application/json");
        },
        callTimeoutSeconds(), answer, error);
}

bool PlatformConnection::postParts(const QString &url, const std::vector<UploadPart> &parts,
                                   QJsonObject *answer, QString *error)
{
    httplib::MultipartFormDataItems texts;
    httplib::MultipartFormDataProviderItems streamed;
    std::vector<std::unique_ptr<FileStreamer>> streamers;
    for (const UploadPart &part : parts) {
        if (part.files.empty()) {
            texts.push_back({part.name, part.content, part.name, "application/octet-stream"});
            continue;
        }
        streamers.push_back(std::make_unique<FileStreamer>(
            part.files, [this](qint64 bytes) { return observe(bytes); }));
        FileStreamer *streamer = streamers.back().get();
        streamed.push_back({part.name,
                            [streamer](size_t, httplib::DataSink &sink) {
                                return streamer->send(sink);
                            },
                            part.name, "application/octet-stream"});
    }
    const bool sent = send(
        url,
        [&](httplib::Client &client, const std::string &path) {
            return client.Post(path, httplib::Headers(), texts, streamed);
        },
        kTransferTimeoutSeconds, answer, error);
    for (const auto &streamer : streamers) {
        // The reason the upload stopped on this side, rather than how the connection ended.
        if (!streamer->errorString().isEmpty()) {
            *error = streamer->errorString();
            return false;
        }
    }
    return sent;
}

bool PlatformConnection::hashFile(const QString &path, QByteArray *sha256, qint64 *size,
                                  QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    Sha256Digest digest;
    QByteArray block(static_cast<int>(kFileBlockBytes), Qt::Uninitialized);
    *size = 0;
    for (qint64 read; (read = file.read(block.data(), block.size())) != 0;) {
        if (read < 0) {
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
            return false;
        }
        digest.add(block.constData(), static_cast<size_t>(read));
        *size += read;
    }
    *sha256 = digest.hex();
    return true;
}

bool PlatformConnection::download(const QString &phid, const QString &version,
                                  const QString &folder, const QString &fileName, QString *stamp,
                                  QString *error, int revision, const QString &basis)
{
    if (!isSafeFileName(fileName)) {
        *error = QStringLiteral("refused the file name \"%1\": it would leave its folder")
                     .arg(fileName);
        return false;
    }
    if (folder.isEmpty() || !QDir(folder).exists()) {
        *error = QStringLiteral("the folder %1 does not exist").arg(folder);
        return false;
    }
    const QString object = QStringLiteral("/objects/")
        + QString::fromLatin1(QUrl::toPercentEncoding(phid))
        + (revision > 0 ? QStringLiteral("/versions/%1").arg(revision) : QString());
    const Target where = target(object + QStringLiteral("/content"));
    if (where.origin.empty()) {
        *error = QStringLiteral("no platform server is set");
        return false;
    }
    // Readers of the target see the old file or the new one, never a part. Unlike a QSaveFile
    // the part is not forced to disk on the way, which costs more than the transfer of a small
    // file.
    const QString targetPath = QDir(folder).filePath(fileName);
    PartialDownload part(folder, fileName, version);
    if (!part.open(error))
        return false;
    std::string expected;
    // With an earlier version on disk, only the chunks it lacks travel; when that fails, or
    // the result is not the content, the whole content comes once.
    const QString local = basis.isEmpty() ? targetPath : basis;
    if (part.size() == 0 && QFileInfo(local).size() >= kDeltaDownloadBytes) {
        switch (DeltaDownload(*this, object, targetPath)
                    .fetch(local, &part, &expected, stamp, error)) {
        case DeltaDownload::Outcome::Failed:
            part.discard();
            return false;
        case DeltaDownload::Outcome::Assembled:
            if (part.sha256().toStdString() != expected)
                break;
            if (part.commit(targetPath, error))
                return true;
            part.discard();
            return false;
        case DeltaDownload::Outcome::Unavailable:
            break;
        }
        // What was counted as moved comes again.
        observe(-part.size());
        expected.clear();
        if (!part.restart()) {
            *error = QStringLiteral("cannot write %1: %2").arg(targetPath, part.errorString());
            part.discard();
            return false;
        }
    }
    for (int attempt = 1;; ++attempt) {
        const Outcome outcome = fetchRest(where, &part, targetPath, &expected, stamp, error);
        if (outcome == Outcome::Complete)
            break;
        if (outcome == Outcome::Failed || attempt == kTransferAttempts || !waitToRetry(attempt)) {
            part.discard();
            return false;
        }
    }
    if (part.sha256().toStdString() != expected) {
        *error = QStringLiteral("%1 arrived damaged (checksum mismatch)").arg(fileName);
        part.discard();
        return false;
    }
    if (!part.commit(targetPath, error)) {
        part.discard();
        return false;
    }
    return true;
}

PlatformConnection::Outcome PlatformConnection::fetchRest(const Target &where,
                                                          PartialDownload *part,
                                                          const QString &targetPath,
                                                          std::string *expected, QString *stamp,
                                                          QString *error)
{
    // The bytes there already are asked for no more, as long as the content is the one they
    // belong to; a platform that sends the whole content (a new version) starts the file anew.
    httplib::Headers headers;
    if (part->size() > 0 && !expected->empty()) {
        headers.emplace("Range", "bytes=" + std::to_string(part->size()) + "-");
        headers.emplace("If-Range", '"' + *expected + '"');
    }
    std::string errorBody;
    int status = 0;
    bool writeFailed = false;
    bool cancelled = false;
    const SigpipeGuard guard;
    const httplib::Result result = client(where.origin, kTransferTimeoutSeconds).Get(
        where.path, headers,
        [&](const httplib::Response &response) {
            status = response.status;
            *expected = response.get_header_value(kHeaderSha256);
            *stamp = QString::fromStdString(response.get_header_value(kHeaderModified));
            if (status == 200 && part->size() > 0 && !part->restart()) {
                writeFailed = true;
                return false;
            }
            return true;
        },
        [&](const char *data, size_t length) {
            if (status != 200 && status != 206) {
                errorBody.append(data, length);
                return errorBody.size() < 65536;
            }
            if (!part->append(data, length)) {
                writeFailed = true;
                return false;
            }
            cancelled = !observe(static_cast<qint64>(length));
            return !cancelled;
        });
    if (status == 401)
        m_signedOut = true;
    if (writeFailed) {
        *error = QStringLiteral("cannot write %1: %2").arg(targetPath, part->errorString());
        return Outcome::Failed;
    }
    if (cancelled) {
        *error = QStringLiteral("cancelled");
        return Outcome::Failed;
    }
    if (!result)
        return dropped(result.error(), error);
    if (status != 200 && status != 206) {
        *error = errorText(errorBody, status);
        return Outcome::Failed;
    }
    return Outcome::Complete;
}

PlatformConnection::Outcome PlatformConnection::dropped(httplib::Error reason, QString *error)
{
    *error = QStringLiteral("cannot reach the platform: %1")
                 .arg(QString::fromStdString(httplib::to_string(reason)));
    // The next attempt opens a new connection.
    m_client.reset();
    return Outcome::Dropped;
}

int PlatformConnection::transferAttempts() { return kTransferAttempts; }

int PlatformConnection::putBytes(
    const QString &url, qint64 size,
    const std::function<qint64(char *buffer, qint64 max, QString *error)> &read,
    QJsonObject *answer, QString *error)
{
    const Target where = target(url);
    if (where.origin.empty()) {
        *error = QStringLiteral("no platform server is set");
        return 0;
    }
    QString readError;
    QByteArray block(static_cast<int>(kFileBlockBytes), Qt::Uninitialized);
    const SigpipeGuard guard;
    const httplib::Result result = client(where.origin, kTransferTimeoutSeconds).Put(
        where.path, httplib::Headers(), static_cast<size_t>(size),
        [&](size_t, size_t length, httplib::DataSink &sink) {
            const qint64 got = read(block.data(), qMin<qint64>(block.size(), qint64(length)),
                                    &readError);
            return got > 0 && sink.write(block.constData(), static_cast<size_t>(got));
        },
        "application/octet-stream");
    if (!readError.isEmpty()) {
        *error = readError;
        return -1;
    }
    if (!result) {
        dropped(result.error(), error);
        return 0;
    }
    if (result->status == 401)
        m_signedOut = true;
    *answer = QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    if (result->status != 200)
        *error = errorText(result->body, result->status);
    return result->status;
}

int PlatformConnection::getRange(const QString &url, qint64 first, qint64 last,
                                 const std::function<bool(const char *, size_t)> &received,
                                 QString *error)
{
    const Target where = target(url);
    if (where.origin.empty()) {
        *error = QStringLiteral("no platform server is set");
        return 0;
    }
    int status = 0;
    std::string errorBody;
    bool stopped = false;
    const SigpipeGuard guard;
    const httplib::Result result = client(where.origin, kTransferTimeoutSeconds).Get(
        where.path,
        {{"Range", "bytes=" + std::to_string(first) + "-" + std::to_string(last)}},
        [&](const httplib::Response &response) {
            status = response.status;
            return true;
        },
        [&](const char *data, size_t length) {
            if (status != 206) {
                errorBody.append(data, length);
                return errorBody.size() < 65536;
            }
            stopped = !received(data, length);
            return !stopped;
        });
    if (status == 401)
        m_signedOut = true;
    if (stopped)
        return 0;
    if (!result) {
        dropped(result.error(), error);
        return 0;
    }
    if (status != 206)
        *error = errorText(errorBody, status);
    return status;
}

bool PlatformConnection::observe(qint64 bytes)
{
    return !m_observer || m_observer->report(bytes);
}

bool PlatformConnection::waitToRetry(int attempt)
{
    const auto until = std::chrono::steady_clock::now()
        + std::chrono::milliseconds(kFirstRetryMs << (attempt - 1));
    while (std::chrono::steady_clock::now() < until) {
        if (!observe(0))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool PlatformConnection::uploadResumable(const UploadFile &file, const QByteArray &sha256,
                                         QString *uploadId, QString *error)
{
    QJsonObject answer;
    if (!postJson(QStringLiteral("/uploads"),
                  QJsonObject{{QStringLiteral("size"), static_cast<double>(file.size)},
                              {QStringLiteral("sha256"), QString::fromLatin1(sha256)}},
                  &answer, error))
        return false;
    *uploadId = answer.value(QStringLiteral("upload")).toString();
    const QString url = QStringLiteral("/uploads/") + *uploadId;
    qint64 received = 0;
    for (int attempt = 1;; ++attempt) {
        qint64 reported = received;
        const Outcome outcome = sendRest(url, file, &received, &reported, error);
        if (outcome == Outcome::Complete)
            return true;
        if (outcome == Outcome::Failed || attempt == kTransferAttempts || !waitToRetry(attempt))
            return false;
        // Where the platform's copy ends; when it cannot say, the next append learns it.
        QJsonObject state;
        QString ignored;
        if (getJson(url, &state, &ignored))
            received = static_cast<qint64>(state.value(QStringLiteral("received")).toDouble());
        // Bytes that were sent but never arrived are taken back.
        observe(received - reported);
    }
}

PlatformConnection::Outcome PlatformConnection::sendRest(const QString &url,
                                                         const UploadFile &file,
                                                         qint64 *received, qint64 *reported,
                                                         QString *error)
{
    QFile source(file.path);
    if (!source.open(QIODevice::ReadOnly) || !source.seek(*received)) {
        *error = QStringLiteral("cannot read %1: %2").arg(file.path, source.errorString());
        return Outcome::Failed;
    }
    QJsonObject state;
    const int status = putBytes(
        url + QStringLiteral("?offset=") + QString::number(*received), file.size - *received,
        [&](char *buffer, qint64 max, QString *readError) -> qint64 {
            const qint64 read = source.read(buffer, max);
            if (read <= 0) {
                *readError = QStringLiteral("%1 changed while it was sent").arg(file.path);
                return -1;
            }
            *reported += read;
            if (!observe(read)) {
                *readError = QStringLiteral("cancelled");
                return -1;
            }
            return read;
        },
        &state, error);
    if (status == 0)
        return Outcome::Dropped;
    if (status == 200 || status == 409) {
        // 409: the platform's copy ends elsewhere than this append began; go on from there.
        *received = static_cast<qint64>(state.value(QStringLiteral("received")).toDouble());
        if (status == 200 && *received == file.size)
            return Outcome::Complete;
        if (status == 200)
            *error = QStringLiteral("the platform has %1 of %2 bytes").arg(*received).arg(file.size);
        return Outcome::Dropped;
    }
    return Outcome::Failed;
}
