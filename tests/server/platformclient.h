#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <httplib.h>

// A plain HTTP client of a test platform, for requests the connector would never send: it
// signs in, posts JSON, and checks in records with bytes of the test's choosing. One per thread.
class PlatformClient
{
public:
    explicit PlatformClient(const QString &serverHost);

    httplib::Client &http() { return m_http; }
    // Signs in with a password; the session then goes with every request. Returns the status.
    int signIn(const QString &user, const QString &password, int *retryAfter = nullptr);
    // Status of a JSON request, its answer in *answer.
    int post(const QString &path, const QJsonObject &body, QJsonObject *answer = nullptr);
    // Checks in the records, each with its own bytes (offset, size and checksum are filled in).
    int checkIn(QJsonArray records, const QList<QByteArray> &contents,
                QJsonObject *answer = nullptr);
    // The first object the search finds with this title (any type), or an empty object.
    QJsonObject find(const QString &title);
    QJsonObject previewOf(const QJsonObject &object);
    QString autoname();

    static QJsonObject parse(const std::string &body);
    static std::string text(const QJsonObject &object);
    static QString sha256(const QByteArray &bytes);

private:
    httplib::Client m_http;
};
