#include "platformprobe.h"

#include "platformprocess.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

PlatformProbe::PlatformProbe(const PlatformProcess &platform, const QString &login,
                             const QString &password)
    : m_server(platform.serverHost())
{
    const QJsonObject answer =
        post(QStringLiteral("/cas/v1/login"),
             {{"username", login}, {"password", password}, {"tenant", QString()},
              {"space", QString()}, {"preferredContext", true}});
    m_token = answer.value(QStringLiteral("token")).toString();
}

QJsonObject PlatformProbe::post(const QString &path, const QJsonObject &body, bool *ok) const
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(QUrl(m_server + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    if (!m_token.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + m_token.toUtf8());
    QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const bool succeeded = reply->error() == QNetworkReply::NoError;
    const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    if (ok)
        *ok = succeeded;
    return succeeded ? answer : QJsonObject();
}

QJsonObject PlatformProbe::objectTitled(const QString &title) const
{
    const QJsonObject answer = post(
        QStringLiteral("/api/v1/search"),
        {{"query", QJsonObject{{"_TypePattern", "*"}, {"_or_title_0", title}}}});
    return answer.value(QStringLiteral("objects")).toArray().first().toObject();
}

QString PlatformProbe::lockedBy(const QString &title) const
{
    return objectTitled(title).value(QStringLiteral("_LockedBy")).toString();
}

bool PlatformProbe::setLocked(const QString &title, bool locked) const
{
    const QJsonObject object = objectTitled(title);
    if (object.isEmpty())
        return false;
    bool ok = false;
    post(locked ? QStringLiteral("/api/v1/lock") : QStringLiteral("/api/v1/unlock"),
         {{"ref", QJsonObject{{"phid", object.value(QStringLiteral("phid"))}}}}, &ok);
    return ok;
}
