#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A request's head as it arrived: the body follows through HttpExchange::receive().
struct HttpRequest {
    std::string method;
    std::string path;
    // Header names in lower case; a repeated header keeps its last value.
    std::map<std::string, std::string> headers;
    std::map<std::string, std::string> query;
    // The client's address: the peer's, or the one a trusted reverse proxy forwarded.
    QString clientAddress;

    std::string header(const std::string &lowerCaseName) const;
    bool hasHeader(const std::string &lowerCaseName) const;
};

class ResponseStream;

// An answer: a body in memory, or one produced piece by piece (a file's content), so that its
// size in memory does not depend on its length, or a stream without a known end (events).
struct HttpResponse {
    // Fills buffer with up to max bytes of the body from offset; returns how many, or -1 when
    // the body cannot be produced (the connection is then closed mid-answer).
    using Producer = std::function<qint64(qint64 offset, char *buffer, qint64 max)>;

    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    QByteArray body;
    qint64 streamedSize = -1;
    Producer producer;
    // Sent as it is written, for as long as it lasts; the connection waits aside meanwhile.
    std::shared_ptr<ResponseStream> stream;

    static HttpResponse json(int status, const QJsonValue &value);
    // An answer of JSON text written already (see JsonText).
    static HttpResponse jsonText(int status, const QByteArray &json);
    static HttpResponse error(int status, const QString &message);
    static HttpResponse html(int status, const QString &page);
};

// One request from its head to its answer. The server creates it when the head is complete,
// feeds it the body and sends answer() once the body is complete or receive() refused more.
// Lives on the worker thread of its connection.
class HttpExchange
{
public:
    HttpExchange() = default;
    // An exchange answered at once (a refusal, or a request without a body).
    explicit HttpExchange(HttpResponse answer);
    virtual ~HttpExchange();

    // True once the answer is known; a body still on its way is then not read.
    bool isAnswered() const { return m_answered; }
    // False refuses the rest of the body; the answer is then set.
    virtual bool receive(const char *data, size_t size);
    // The body is complete.
    virtual void finish();
    HttpResponse &answer() { return m_answer; }
    // Whether finish() takes long (a password check): the server then runs it away from the
    // threads that read and write connections, so that they serve other requests meanwhile.
    bool isSlow() const { return m_slow; }
    void setSlow(bool slow) { m_slow = slow; }

protected:
    void setAnswer(HttpResponse answer);

private:
    HttpResponse m_answer;
    bool m_answered = false;
    bool m_slow = false;
};

// An exchange whose body, small and of stated length, is read whole and then handed to one
// function that gives the answer.
class BufferedExchange : public HttpExchange
{
public:
    using Run = std::function<HttpResponse(const QByteArray &body)>;
    BufferedExchange(qint64 maxBytes, Run run);

    bool receive(const char *data, size_t size) override;
    void finish() override;

private:
    qint64 m_maxBytes;
    Run m_run;
    QByteArray m_body;
};
