#include "eventreader.h"

#include <QJsonDocument>
#include <QJsonObject>

EventReader::EventReader(const QString &serverHost, const QString &user,
                         const std::string &lastEventId)
    : m_client(serverHost)
{
    m_signedIn = m_client.signIn(user, user + "-demo-pw") == 200;
    m_thread = std::thread([this, lastEventId] {
        httplib::Headers headers;
        if (!lastEventId.empty())
            headers.emplace("Last-Event-ID", lastEventId);
        m_client.http().set_read_timeout(120);
        const httplib::Result result = m_client.http().Get(
            "/api/v1/events", headers, [this](const char *data, size_t size) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_text.append(data, static_cast<int>(size));
                return true;
            });
        m_status = result ? result->status : -1;
        m_ended = true;
    });
}

EventReader::~EventReader()
{
    m_client.http().stop();
    m_thread.join();
}

bool EventReader::isOpen() const
{
    return text().startsWith(": connected");
}

QByteArray EventReader::text() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
}

QStringList EventReader::events() const
{
    QStringList lines;
    for (const QByteArray &line : text().split('\n')) {
        if (line.startsWith("event: resync"))
            lines << "resync";
        if (!line.startsWith("data: ") || line == "data: {}")
            continue;
        const QJsonObject data = QJsonDocument::fromJson(line.mid(6)).object();
        lines << QStringList{data["kind"].toString(), data["title"].toString(),
                             data["user"].toString(), QString::number(data["revision"].toInt()),
                             data["_LockedBy"].toString(), data["comment"].toString()}
                     .join(' ')
                     .trimmed();
    }
    return lines;
}

std::string EventReader::lastId() const
{
    const QByteArray all = '\n' + text();
    const int at = all.lastIndexOf("\nid: ");
    if (at < 0)
        return std::string();
    const int from = at + 5;
    return all.mid(from, all.indexOf('\n', from) - from).toStdString();
}
