#include "httpexchange.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

std::string HttpRequest::header(const std::string &lowerCaseName) const
{
    const auto it = headers.find(lowerCaseName);
    return it == headers.end() ? std::string() : it->second;
}

bool HttpRequest::hasHeader(const std::string &lowerCaseName) const
{
    return headers.count(lowerCaseName) != 0;
}

HttpResponse HttpResponse::json(int status, const QJsonValue &value)
{
    HttpResponse response;
    response.status = status;
    response.body = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                    : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    response.headers.emplace_back("Content-Type", "application/json");
    return response;
}

HttpResponse HttpResponse::error(int status, const QString &message)
{
    return json(status, QJsonObject{{QStringLiteral("error"), message}});
}

HttpResponse HttpResponse::html(int status, const QString &page)
{
    HttpResponse response;
    response.status = status;
    response.body = page.toUtf8();
    response.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    response.headers.emplace_back("Content-Security-Policy",
                                  "default-src 'none'; style-src 'unsafe-inline'");
    return response;
}

HttpExchange::HttpExchange(HttpResponse answer) { setAnswer(std::move(answer)); }

HttpExchange::~HttpExchange() = default;

bool HttpExchange::receive(const char *, size_t)
{
    // A request answered from its head alone takes no body.
    if (!m_answered)
        setAnswer(HttpResponse::error(400, QStringLiteral("this request takes no body")));
    return false;
}

void HttpExchange::finish() {}

void HttpExchange::setAnswer(HttpResponse answer)
{
    m_answer = std::move(answer);
    m_answered = true;
}

BufferedExchange::BufferedExchange(qint64 maxBytes, Run run)
    : m_maxBytes(maxBytes), m_run(std::move(run))
{
}

bool BufferedExchange::receive(const char *data, size_t size)
{
    if (m_body.size() + static_cast<qint64>(size) > m_maxBytes) {
        setAnswer(HttpResponse::error(413, QStringLiteral("the request is too large")));
        return false;
    }
    m_body.append(data, static_cast<int>(size));
    return true;
}

void BufferedExchange::finish()
{
    setAnswer(m_run(m_body));
}
