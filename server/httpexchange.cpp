#include "httpexchange.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// JSON text with the characters that change the display direction of the text around them
// (stored as given, in comments for instance) written as \uXXXX escapes, so that an answer
// shown as it is reads the way it is. They can only stand inside strings, where an escape means
// the same character.
QByteArray escapeDirectionCharacters(const QByteArray &json)
{
    if (!json.contains('\xE2') && !json.contains('\xD8'))
        return json;
    QByteArray out;
    out.reserve(json.size());
    for (int i = 0; i < json.size(); ++i) {
        const auto byte = [&json](int at) {
            return at < json.size() ? static_cast<unsigned char>(json.at(at)) : 0;
        };
        int code = 0;
        if (byte(i) == 0xD8 && byte(i + 1) == 0x9C)
            code = 0x061C;
        else if (byte(i) == 0xE2 && byte(i + 1) == 0x80
                 && (byte(i + 2) == 0x8E || byte(i + 2) == 0x8F
                     || (byte(i + 2) >= 0xAA && byte(i + 2) <= 0xAE)))
            code = 0x2000 + (byte(i + 2) - 0x80);
        else if (byte(i) == 0xE2 && byte(i + 1) == 0x81 && byte(i + 2) >= 0xA6
                 && byte(i + 2) <= 0xA9)
            code = 0x2040 + (byte(i + 2) - 0x80);
        if (code == 0) {
            out += json.at(i);
            continue;
        }
        out += "\\u" + QByteArray::number(code, 16).rightJustified(4, '0');
        i += code == 0x061C ? 1 : 2;
    }
    return out;
}

} // namespace

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
    return jsonText(status,
                    value.isArray()
                        ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                        : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

HttpResponse HttpResponse::jsonText(int status, const QByteArray &json)
{
    HttpResponse response;
    response.status = status;
    response.body = escapeDirectionCharacters(json);
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
