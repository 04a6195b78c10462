#pragma once

#include <QByteArray>

#include <functional>
#include <string>

// Splits a multipart/form-data body into its parts as the body streams in: each part's name is
// announced, then its bytes follow in pieces, and nothing but a bounded tail is kept between
// pieces, whatever the parts' sizes. Lives for one request.
class MultipartReader
{
public:
    using PartBegins = std::function<bool(const QByteArray &name)>;
    using PartData = std::function<bool(const char *data, size_t size)>;

    MultipartReader(const QByteArray &boundary, PartBegins begins, PartData data);

    // False when the body is malformed or a callback refused it.
    bool feed(const char *data, size_t size);
    // The closing delimiter has arrived.
    bool isComplete() const { return m_state == State::Done; }

    // The boundary a Content-Type header names; empty when it is no multipart form.
    static QByteArray boundaryOf(const std::string &contentType);

private:
    enum class State { Preamble, AfterDelimiter, Headers, Body, Done, Failed };

    bool step();
    bool fail();

    QByteArray m_delimiter;
    PartBegins m_begins;
    PartData m_data;
    QByteArray m_buffer;
    State m_state = State::Preamble;
};
