#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Reads the text of a Server-Sent Events stream as it arrives, in pieces of any size, and hands
// each complete event on: its id ("" when the event has none), its name ("message" unless it
// says) and its data (the data lines joined by line breaks). Comment lines and fields it does
// not know are passed over; lines may end in "\n", "\r\n" or "\r". Not thread-safe.
class EventStreamParser
{
public:
    using Event = std::function<void(const QString &id, const QString &name,
                                     const QByteArray &data)>;

    explicit EventStreamParser(Event event) : m_event(std::move(event)) {}

    void feed(const char *data, size_t size);

private:
    void line(const QByteArray &text);

    Event m_event;
    QByteArray m_pending; // the start of a line not yet complete
    bool m_afterCarriageReturn = false;
    QString m_id;
    QString m_name;
    QByteArray m_data;
    bool m_hasData = false;
};
