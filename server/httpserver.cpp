#include "httpserver.h"

#include "metrics.h"
#include "platformconstants.h"
#include "responsestream.h"

#include <QLoggingCategory>
#include <QThread>
#include <QThreadPool>

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <vector>

Q_LOGGING_CATEGORY(lcServer, "platform.http", QtInfoMsg)

namespace {

// Room for a request's head, and for the buffers of reading and writing: a request line or
// header block that does not fit is answered 414 or 431 and the connection closed.
const size_t kConnectionMemoryBytes = 64 * 1024;
const int kMaxHeaders = 100;
const unsigned kMaxConnections = 8192;
const unsigned kListenBacklog = 4096;
const size_t kStreamBlockBytes = 64 * 1024;
// An event stream sends little at a time, to many connections at once.
const size_t kEventBlockBytes = 4 * 1024;
const size_t kEventSendBufferBytes = 64 * 1024;
// How much of a refused body is read and dropped past the refusal, for clients that read the
// answer only once they have sent everything.
const qint64 kMaxDiscardedBytes = 64LL * 1024 * 1024;
// How long a refusal written at once may wait for room in the socket's send buffer.
const int kRefusalSendMs = 2000;
const int kStopGraceMs = 10000;
// Slow exchanges at once: a password check takes 64 MiB and a core for a moment, so more at
// once would only share the cores and the memory among more waiting clients.
const int kMaxSlowThreads = 4;

QString addressText(const sockaddr *address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text,
                  sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text,
                  sizeof text);
    return QString::fromLatin1(text);
}

// A byte below space or DEL: no path of the interface holds one.
bool hasControlCharacter(const std::string &path)
{
    return std::any_of(path.begin(), path.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\x7f';
    });
}

// What the server keeps for one request between the library's calls.
struct RequestState {
    ~RequestState()
    {
        if (exchange && exchange->answer().stream)
            exchange->answer().stream->detach();
    }

    MHD_Connection *connection = nullptr;
    std::chrono::steady_clock::time_point begun = std::chrono::steady_clock::now();
    Metrics *metrics = nullptr;
    std::string method;
    std::string path;
    std::unique_ptr<HttpExchange> exchange;
    bool queued = false;
    // Finished on the slow pool; the connection is suspended until then.
    bool finishingAside = false;
    // The exchange refused the body part-way: answered at once, or (over TLS) once the rest
    // was read and dropped.
    bool refusedBody = false;
    bool answeredAtOnce = false;
    qint64 discardedBytes = 0;
};

} // namespace

struct HttpServer::Callbacks {
    static MHD_Result admit(void *cls, const sockaddr *address, socklen_t)
    {
        return static_cast<HttpServer *>(cls)->m_watch->admits(addressText(address)) ? MHD_YES
                                                                                      : MHD_NO;
    }

    static void connection(void *cls, MHD_Connection *connection, void **, 
                           MHD_ConnectionNotificationCode code)
    {
        ConnectionWatch &watch = *static_cast<HttpServer *>(cls)->m_watch;
        if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            watch.closed(connection);
            return;
        }
        const MHD_ConnectionInfo *fd =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        const MHD_ConnectionInfo *peer =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        watch.opened(connection, fd ? fd->connect_fd : -1,
                     peer ? addressText(peer->client_addr) : QString());
    }

    // Decodes %XX in place as the library would, except that an encoded NUL, which would cut
    // the text short, becomes DEL: a path holding either is refused whole (see access()).
    static size_t unescape(void *, MHD_Connection *, char *text)
    {
        auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
        };
        char *out = text;
        for (const char *in = text; *in; ++out) {
            const int high = in[0] == '%' ? hex(in[1]) : -1;
            const int low = high >= 0 ? hex(in[2]) : -1;
            if (low < 0) {
                *out = *in++;
                continue;
            }
            const char decoded = static_cast<char>(high * 16 + low);
            *out = decoded == '\0' ? '\x7f' : decoded;
            in += 3;
        }
        *out = '\0';
        return static_cast<size_t>(out - text);
    }

    static void *uriSeen(void *cls, const char *, MHD_Connection *connection)
    {
        static_cast<HttpServer *>(cls)->m_watch->headBegun(connection);
        return nullptr;
    }

    static void completed(void *cls, MHD_Connection *connection, void **context,
                          MHD_RequestTerminationCode)
    {
        auto *state = static_cast<RequestState *>(*context);
        // Requests whose client went before an answer was given are not counted.
        if (state && state->queued && state->metrics) {
            const std::chrono::duration<double> took =
                std::chrono::steady_clock::now() - state->begun;
            state->metrics->requestFinished(state->method, state->path,
                                            state->exchange->answer().status, took.count());
        }
        delete state;
        *context = nullptr;
        static_cast<HttpServer *>(cls)->m_watch->requestEnded(connection);
    }

    static void log(void *, const char *format, va_list arguments)
    {
        char text[512];
        vsnprintf(text, sizeof text, format, arguments);
        qCDebug(lcServer) << "server:" << QByteArray(text).trimmed().constData();
    }

    static ssize_t produce(void *cls, uint64_t offset, char *buffer, size_t max)
    {
        auto *state = static_cast<RequestState *>(cls);
        HttpResponse &answer = state->exchange->answer();
        if (answer.stream) {
            // Nothing to send: the connection is set aside and its thread serves the others
            // until the stream has more.
            MHD_Connection *connection = state->connection;
            const qint64 read = answer.stream->read(
                buffer, static_cast<qint64>(max), [connection] { MHD_suspend_connection(connection); },
                [connection] { MHD_resume_connection(connection); });
            if (read > 0 && state->metrics)
                state->metrics->sent(read);
            return read < 0 ? MHD_CONTENT_READER_END_OF_STREAM : static_cast<ssize_t>(read);
        }
        if (static_cast<qint64>(offset) >= answer.streamedSize)
            return MHD_CONTENT_READER_END_OF_STREAM;
        const qint64 produced = answer.producer(static_cast<qint64>(offset), buffer,
                                                static_cast<qint64>(max));
        if (produced > 0 && state->metrics)
            state->metrics->sent(produced);
        return produced > 0 ? static_cast<ssize_t>(produced) : MHD_CONTENT_READER_END_WITH_ERROR;
    }

    static MHD_Result collect(void *cls, MHD_ValueKind, const char *key, const char *value)
    {
        auto *values = static_cast<std::map<std::string, std::string> *>(cls);
        if (key)
            (*values)[key] = value ? value : "";
        return MHD_YES;
    }

    static HttpRequest requestOf(const HttpServer &server, MHD_Connection *connection,
                                 const char *url, const char *method)
    {
        HttpRequest request;
        request.method = method;
        request.path = url;
        std::map<std::string, std::string> raw;
        MHD_get_connection_values(connection, MHD_HEADER_KIND, collect, &raw);
        for (const auto &[key, value] : raw)
            request.headers[QByteArray::fromStdString(key).toLower().toStdString()] = value;
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collect, &request.query);
        const MHD_ConnectionInfo *peer =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        request.clientAddress = peer ? addressText(peer->client_addr) : QString();
        // Behind a trusted reverse proxy the client is the last address it forwarded.
        const std::string forwarded = request.header("x-forwarded-for");
        if (!forwarded.empty() && server.m_options.trustedProxies.contains(request.clientAddress))
            request.clientAddress =
                QString::fromStdString(forwarded).section(QLatin1Char(','), -1).trimmed();
        return request;
    }

    // An event stream lives for hours and its reader may stop reading: what it has not taken
    // is to wait in the stream's own buffer, which lets a reader too far behind go, rather than
    // in megabytes of the kernel's for each subscriber.
    static void limitSendBuffer(MHD_Connection *connection)
    {
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        if (!info)
            return;
        const int bytes = static_cast<int>(kEventSendBufferBytes);
        if (setsockopt(info->connect_fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) != 0)
            qCWarning(lcServer) << "cannot limit an event stream's send buffer";
    }

    // Method, path, status and how long the request took until its answer was ready, only:
    // headers and bodies may carry credentials.
    static void logAnswer(const RequestState &state, int status)
    {
        qCDebug(lcServer).nospace()
            << state.method.c_str() << " " << state.path.c_str() << " " << status << " "
            << std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - state.begun)
                   .count()
            << " ms";
    }

    // Answers a body refused part-way at once instead of after the rest of it, which may never
    // end: the answer is written on the socket and its sending side closed (while a body comes
    // in the library sends nothing, so the answer goes out alone). A client that reads as it
    // sends stops at once. The rest is read and dropped for a while (access()), so that a
    // client that reads only once it has sent everything finds the answer; one that goes on
    // past that still finds it once its sending fails, as the system hands out what arrived
    // before the connection was cut. False (over TLS, whose bytes only the library may write)
    // leaves the answer to send() once the body has come.
    static bool answerAtOnce(const HttpServer &server, MHD_Connection *connection,
                             RequestState *state)
    {
        const HttpResponse &answer = state->exchange->answer();
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        if (!server.m_options.certificatePem.isEmpty() || !info || answer.producer
            || answer.stream)
            return false;
        std::string bytes = "HTTP/1.1 " + std::to_string(answer.status) + " "
            + MHD_get_reason_phrase_for(static_cast<unsigned>(answer.status)) + "\r\n";
        for (const auto &[name, value] : answer.headers)
            bytes += name + ": " + value + "\r\n";
        bytes += std::string(platform::kHeaderVersion) + ": " + platform::kVersion + "\r\n"
            + "Connection: close\r\nContent-Length: " + std::to_string(answer.body.size())
            + "\r\n\r\n" + answer.body.toStdString();
        const int fd = info->connect_fd;
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t written =
                ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (written > 0) {
                sent += static_cast<size_t>(written);
                continue;
            }
            pollfd room = {fd, POLLOUT, 0};
            if (written == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)
                || ::poll(&room, 1, kRefusalSendMs) != 1)
                break;
        }
        ::shutdown(fd, SHUT_WR);
        state->queued = true;
        logAnswer(*state, answer.status);
        if (state->metrics)
            state->metrics->sent(static_cast<qint64>(sent));
        return true;
    }

    static MHD_Result send(MHD_Connection *connection, RequestState *state)
    {
        state->queued = true;
        HttpResponse &answer = state->exchange->answer();
        logAnswer(*state, answer.status);
        MHD_Response *response = answer.stream
            ? MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kEventBlockBytes, produce, state,
                                                nullptr)
            : answer.producer
            ? MHD_create_response_from_callback(static_cast<uint64_t>(answer.streamedSize),
                                                kStreamBlockBytes, produce, state, nullptr)
            : MHD_create_response_from_buffer(static_cast<size_t>(answer.body.size()),
                                              answer.body.data(), MHD_RESPMEM_PERSISTENT);
        if (!response)
            return MHD_NO;
        if (answer.stream)
            limitSendBuffer(connection);
        for (const auto &[name, value] : answer.headers)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        MHD_add_response_header(response, platform::kHeaderVersion, platform::kVersion);
        if (state->metrics && !answer.stream && !answer.producer)
            state->metrics->sent(answer.body.size());
        // What follows a refused body on the connection cannot be told from that body.
        if (state->refusedBody)
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
        const MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
        MHD_destroy_response(response);
        return queued;
    }

    static MHD_Result access(void *cls, MHD_Connection *connection, const char *url,
                             const char *method, const char *, const char *upload,
                             size_t *uploadSize, void **context)
    {
        HttpServer &server = *static_cast<HttpServer *>(cls);
        auto *state = static_cast<RequestState *>(*context);
        if (!state) {
            server.m_watch->requestBegun(connection);
            state = new RequestState;
            state->connection = connection;
            state->metrics = server.m_options.metrics;
            state->method = method;
            state->path = url;
            *context = state;
            const HttpRequest request = requestOf(server, connection, url, method);
            if (request.headers.size() > static_cast<size_t>(kMaxHeaders)) {
                state->exchange = std::make_unique<HttpExchange>(
                    HttpResponse::error(431, QStringLiteral("too many header fields")));
            } else if (hasControlCharacter(request.path)) {
                state->exchange = std::make_unique<HttpExchange>(HttpResponse::error(
                    400, QStringLiteral("the path holds a control character")));
            } else {
                try {
                    state->exchange = server.m_handler(request);
                } catch (const std::exception &error) {
                    qCWarning(lcServer) << "request failed:" << error.what();
                    state->exchange = std::make_unique<HttpExchange>(
                        HttpResponse::error(500, QStringLiteral("internal error")));
                }
            }
            // A refusal, or an answer to a request whose body is still to come, goes out at
            // once. Other answers wait for the library's next call, which keeps the connection
            // open for the client's next request.
            const bool hasBody = request.hasHeader("transfer-encoding")
                || (request.hasHeader("content-length")
                    && request.header("content-length") != "0");
            const bool answerNow = state->exchange->isAnswered()
                && (hasBody || state->exchange->answer().status >= 400);
            // A body refused before it is read is dropped as it comes, as one refused part-way
            // is: a client that reads only once it has sent everything would otherwise find its
            // connection closed under it, and never see why. A client waiting for leave to send
            // its body is answered by the library instead, and sends none.
            if (answerNow && hasBody && state->exchange->answer().status >= 400
                && !request.hasHeader("expect") && answerAtOnce(server, connection, state)) {
                state->refusedBody = true;
                state->answeredAtOnce = true;
                return MHD_YES;
            }
            return answerNow ? send(connection, state) : MHD_YES;
        }
        if (state->answeredAtOnce) {
            // The rest of a refused body, dropped; at its end, or past the bound, the
            // connection goes without a second answer.
            state->discardedBytes += static_cast<qint64>(*uploadSize);
            const bool more = *uploadSize > 0 && state->discardedBytes <= kMaxDiscardedBytes;
            *uploadSize = 0;
            return more ? MHD_YES : MHD_NO;
        }
        if (state->queued) {
            *uploadSize = 0;
            return MHD_YES;
        }
        if (state->finishingAside)
            return send(connection, state);
        if (*uploadSize > 0) {
            const size_t size = *uploadSize;
            *uploadSize = 0;
            if (state->metrics)
                state->metrics->received(static_cast<qint64>(size));
            if (!state->refusedBody) {
                state->refusedBody = !state->exchange->receive(upload, size);
                if (state->refusedBody)
                    state->answeredAtOnce = answerAtOnce(server, connection, state);
                return MHD_YES;
            }
            // Over TLS the answer to a body refused part-way can go out only once the body has
            // come (the library answers complete requests only): the rest is read and dropped,
            // unless it goes on for so long that the connection is better cut without an answer.
            state->discardedBytes += static_cast<qint64>(size);
            return state->discardedBytes <= kMaxDiscardedBytes ? MHD_YES : MHD_NO;
        }
        if (state->refusedBody)
            return send(connection, state);
        if (state->exchange->isSlow()) {
            // The connection's thread goes on with its other connections; the library calls
            // again once the answer is there and the connection resumed.
            state->finishingAside = true;
            MHD_suspend_connection(connection);
            server.m_slowPool->start([connection, state] {
                state->exchange->finish();
                MHD_resume_connection(connection);
            });
            return MHD_YES;
        }
        if (!state->exchange->isAnswered())
            state->exchange->finish();
        return send(connection, state);
    }
};

HttpServer::HttpServer(const Options &options, Handler handler)
    : m_options(options), m_handler(std::move(handler))
{
}

HttpServer::~HttpServer() { stop(); }

int HttpServer::openConnections() const { return m_watch ? m_watch->open() : 0; }

bool HttpServer::start(QString *error)
{
    ConnectionWatch::Limits limits;
    limits.idleSeconds = platform::kIdleSeconds;
    limits.headSeconds = platform::kHeadDeadlineSeconds;
    limits.perClient = m_options.perClientConnections;
    limits.exempt = m_options.trustedProxies;
    m_watch = std::make_unique<ConnectionWatch>(limits);
    m_slowPool = std::make_unique<QThreadPool>();
    m_slowPool->setMaxThreadCount(qBound(1, QThread::idealThreadCount(), kMaxSlowThreads));

    sockaddr_storage address = {};
    addrinfo hints = {};
    hints.ai_flags = AI_NUMERICSERV | AI_PASSIVE;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const QByteArray host = m_options.host.toUtf8();
    const QByteArray service = QByteArray::number(m_options.port);
    if (getaddrinfo(host.constData(), service.constData(), &hints, &found) != 0 || !found) {
        *error = QStringLiteral("cannot resolve %1").arg(m_options.host);
        return false;
    }
    std::memcpy(&address, found->ai_addr, found->ai_addrlen);
    const bool ipv6 = found->ai_family == AF_INET6;
    freeaddrinfo(found);

    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME
        | MHD_USE_ERROR_LOG | (ipv6 ? MHD_USE_IPv6 : 0);
    const bool tls = !m_options.certificatePem.isEmpty();
    if (tls) {
        if (MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
            *error = QStringLiteral("this build of the HTTP library has no TLS");
            return false;
        }
        flags |= MHD_USE_TLS;
    }
    auto item = [](MHD_OPTION option, intptr_t value, void *pointer = nullptr) {
        return MHD_OptionItem{option, value, pointer};
    };
    std::vector<MHD_OptionItem> options{
        item(MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(kConnectionMemoryBytes)),
        item(MHD_OPTION_CONNECTION_LIMIT, kMaxConnections),
        item(MHD_OPTION_CONNECTION_TIMEOUT, platform::kStallSeconds),
        item(MHD_OPTION_LISTEN_BACKLOG_SIZE, kListenBacklog),
        item(MHD_OPTION_SOCK_ADDR, 0, &address),
        item(MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Callbacks::completed), this),
        item(MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Callbacks::connection),
             this),
        item(MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&Callbacks::uriSeen), this),
        item(MHD_OPTION_UNESCAPE_CALLBACK, reinterpret_cast<intptr_t>(&Callbacks::unescape),
             nullptr),
        item(MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&Callbacks::log), nullptr),
    };
    // One thread is the library's own polling thread: it warns of a pool of one.
    if (m_options.threads > 1)
        options.push_back(item(MHD_OPTION_THREAD_POOL_SIZE, m_options.threads));
    if (tls) {
        options.push_back(item(MHD_OPTION_HTTPS_MEM_KEY, 0, m_options.keyPem.data()));
        options.push_back(item(MHD_OPTION_HTTPS_MEM_CERT, 0, m_options.certificatePem.data()));
    }
    options.push_back(item(MHD_OPTION_END, 0));
    m_daemon = MHD_start_daemon(flags, 0, &Callbacks::admit, this, &Callbacks::access, this,
                                MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
    if (!m_daemon) {
        *error = tls ? QStringLiteral("cannot listen on %1:%2 (or the TLS certificate or key "
                                      "cannot be used)")
                           .arg(m_options.host)
                           .arg(m_options.port)
                     : QStringLiteral("cannot listen on %1:%2").arg(m_options.host).arg(m_options.port);
        return false;
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : m_options.port;
    return true;
}

void HttpServer::stop()
{
    if (!m_daemon)
        return;
    const MHD_socket listener = MHD_quiesce_daemon(m_daemon);
    if (listener != MHD_INVALID_SOCKET)
        ::close(listener);
    for (int waited = 0; waited < kStopGraceMs && m_watch->busy() > 0; waited += 50)
        QThread::msleep(50);
    // Every suspended connection is resumed before the library may stop.
    m_slowPool->waitForDone();
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_watch.reset();
}
