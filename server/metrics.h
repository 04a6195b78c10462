#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// What the platform's HTTP service did since it started, in the text format that monitoring
// systems scrape: requests by route and status with their latency, bytes in and out, check-ins,
// refused sign-ins and database errors, beside the gauges the caller reads when asked. Fed by
// the server's threads; thread-safe. Owned by ApiServer.
class Metrics
{
public:
    // The route of a request as the metrics name it: the path with ids and numbers replaced
    // ("/api/v1/objects/{phid}/versions/{n}"), "other" for a path the platform does not serve,
    // so that no caller can make the list grow.
    static QString routeOf(const std::string &path);

    // A request answered with status after seconds (from its head to its last byte).
    void requestFinished(const std::string &method, const std::string &path, int status,
                         double seconds);
    void received(qint64 bytes) { m_received += bytes; }
    void sent(qint64 bytes) { m_sent += bytes; }

    // Everything, with the gauges of now (freeBytes: of the data folder, -1 unknown).
    QByteArray text(int openConnections, int openStreams, qint64 databaseErrors,
                    qint64 freeBytes) const;

private:
    struct Series {
        qint64 count = 0;
        double sum = 0;
        std::vector<qint64> buckets; // cumulative counts below each bound
    };

    mutable std::mutex m_mutex; // guards m_requests, m_latency, m_checkIns, m_refusals
    std::map<std::pair<QString, int>, qint64> m_requests; // (method route, status) -> count
    std::map<QString, Series> m_latency;                  // method route -> histogram
    qint64 m_checkIns = 0;
    std::map<QString, qint64> m_refusals; // sign-in kind -> count
    std::atomic<qint64> m_received{0};
    std::atomic<qint64> m_sent{0};
};
