#include "metrics.h"

#include "diskspace.h"
#include "platformconstants.h"

#include <QStringList>

namespace {

// Upper bounds of the latency histogram's buckets, in seconds.
const double kBounds[] = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
const size_t kBucketCount = sizeof kBounds / sizeof kBounds[0];

// Every route the platform serves, as routeOf() writes it.
const char *const kRoutes[] = {
    "/cas/v1/login", "/cas/v1/cookie", "/cas/v1/logout", "/api/v1/me", "/api/v1/spaces",
    "/api/v1/search", "/api/v1/details", "/api/v1/structure", "/api/v1/previews", "/api/v1/lock",
    "/api/v1/unlock", "/api/v1/delete", "/api/v1/autonames", "/api/v1/checkin",
    "/api/v1/uploads", "/api/v1/uploads/{id}", "/api/v1/events", "/api/v1/objects/{phid}",
    "/api/v1/objects/{phid}/content", "/api/v1/objects/{phid}/versions",
    "/api/v1/objects/{phid}/versions/{n}", "/api/v1/objects/{phid}/versions/{n}/content",
    "/api/v1/objects/{phid}/versions/{n}/structure",
    "/api/v1/objects/{phid}/versions/{n}/restore", "/api/v1/objects/{phid}/whereused",
    "/api/v1/titleblock", "/dashboard", "/dashboard/login",
    "/dashboard/logout", "/healthz", "/metrics"};

// A method as a label: the ones the platform serves, "other" for anything a caller invents.
QString methodOf(const std::string &method)
{
    for (const char *known : {"GET", "POST", "PUT", "DELETE", "HEAD"}) {
        if (method == known)
            return QLatin1String(known);
    }
    return QStringLiteral("other");
}

// The labels of a series kept under "METHOD route".
QString labels(const QString &methodRoute)
{
    const int space = methodRoute.indexOf(QLatin1Char(' '));
    return QStringLiteral("method=\"%1\",route=\"%2\"")
        .arg(methodRoute.left(space), methodRoute.mid(space + 1));
}

QString number(double value) { return QString::number(value, 'g', 12); }

void family(QString *text, const char *name, const char *type, const char *help)
{
    *text += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                 .arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
}

} // namespace

QString Metrics::routeOf(const std::string &path)
{
    QStringList segments = QString::fromStdString(path).split(QLatin1Char('/'));
    for (int i = 1; i < segments.size(); ++i) {
        const QString &before = segments.at(i - 1);
        if (before == QLatin1String("objects"))
            segments[i] = QStringLiteral("{phid}");
        else if (before == QLatin1String("uploads"))
            segments[i] = QStringLiteral("{id}");
        else if (before == QLatin1String("versions"))
            segments[i] = QStringLiteral("{n}");
    }
    const QString route = segments.join(QLatin1Char('/'));
    for (const char *known : kRoutes) {
        if (route == QLatin1String(known))
            return route;
    }
    return QStringLiteral("other");
}

void Metrics::requestFinished(const std::string &method, const std::string &path, int status,
                              double seconds)
{
    const QString route = routeOf(path);
    const QString key = methodOf(method) + QLatin1Char(' ') + route;
    const bool refused = status == 401 || status == 403 || status == 429;
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_requests[{key, status}];
    // An event stream lasts as long as its subscriber stays: not a request's latency.
    if (route != QLatin1String("/api/v1/events")) {
        Series &series = m_latency[key];
        series.buckets.resize(kBucketCount);
        ++series.count;
        series.sum += seconds;
        for (size_t i = 0; i < kBucketCount; ++i) {
            if (seconds <= kBounds[i])
                ++series.buckets[i];
        }
    }
    if (route == QLatin1String("/api/v1/checkin") && status == 200)
        ++m_checkIns;
    if (refused && route == QLatin1String("/cas/v1/login"))
        ++m_refusals[QStringLiteral("password")];
    else if (refused && route == QLatin1String("/cas/v1/cookie"))
        ++m_refusals[QStringLiteral("cookie")];
    else if (refused && route == QLatin1String("/dashboard/login"))
        ++m_refusals[QStringLiteral("dashboard")];
}

QByteArray Metrics::text(int openConnections, int openStreams, qint64 databaseErrors,
                         qint64 freeBytes) const
{
    QString text;
    family(&text, "aurex_build_info", "gauge", "The platform's version.");
    text += QStringLiteral("aurex_build_info{version=\"%1\"} 1\n")
                .arg(QLatin1String(platform::kVersion));
    std::lock_guard<std::mutex> guard(m_mutex);
    family(&text, "aurex_http_requests_total", "counter",
           "Requests answered, by method, route and status.");
    for (const auto &[key, count] : m_requests) {
        text += QStringLiteral("aurex_http_requests_total{%1,status=\"%2\"} %3\n")
                    .arg(labels(key.first))
                    .arg(key.second)
                    .arg(count);
    }
    family(&text, "aurex_http_request_duration_seconds", "histogram",
           "Time from a request's head to its answer's last byte (event streams left out).");
    for (const auto &[key, series] : m_latency) {
        const QString name = QStringLiteral("aurex_http_request_duration_seconds");
        for (size_t i = 0; i < kBucketCount; ++i) {
            text += QStringLiteral("%1_bucket{%2,le=\"%3\"} %4\n")
                        .arg(name, labels(key), number(kBounds[i]))
                        .arg(series.buckets[i]);
        }
        text += QStringLiteral("%1_bucket{%2,le=\"+Inf\"} %3\n%1_sum{%2} %4\n%1_count{%2} %3\n")
                    .arg(name, labels(key))
                    .arg(series.count)
                    .arg(number(series.sum));
    }
    family(&text, "aurex_checkins_total", "counter", "Check-ins stored.");
    text += QStringLiteral("aurex_checkins_total %1\n").arg(m_checkIns);
    family(&text, "aurex_sign_in_refusals_total", "counter",
           "Sign-ins refused (wrong credentials, disabled account, too many failures).");
    for (const auto &[kind, count] : m_refusals)
        text += QStringLiteral("aurex_sign_in_refusals_total{kind=\"%1\"} %2\n").arg(kind).arg(count);
    family(&text, "aurex_http_received_bytes_total", "counter", "Bytes of request bodies.");
    text += QStringLiteral("aurex_http_received_bytes_total %1\n").arg(m_received.load());
    family(&text, "aurex_http_sent_bytes_total", "counter", "Bytes of answer bodies.");
    text += QStringLiteral("aurex_http_sent_bytes_total %1\n").arg(m_sent.load());
    family(&text, "aurex_database_errors_total", "counter",
           "Statements that failed and database connections that could not be opened.");
    text += QStringLiteral("aurex_database_errors_total %1\n").arg(databaseErrors);
    family(&text, "aurex_http_open_connections", "gauge", "Connections open now.");
    text += QStringLiteral("aurex_http_open_connections %1\n").arg(openConnections);
    family(&text, "aurex_event_streams_open", "gauge", "Event streams open now.");
    text += QStringLiteral("aurex_event_streams_open %1\n").arg(openStreams);
    if (freeBytes >= 0) {
        family(&text, "aurex_data_free_bytes", "gauge",
               "Free space of the data folder's disk for the platform.");
        text += QStringLiteral("aurex_data_free_bytes %1\n").arg(freeBytes);
        family(&text, "aurex_data_low_space", "gauge",
               "1 while the free space is below the warning level (--low-space).");
        text += QStringLiteral("aurex_data_low_space %1\n")
                    .arg(freeBytes < DiskSpace::warningBytes() ? 1 : 0);
    }
    return text.toUtf8();
}
