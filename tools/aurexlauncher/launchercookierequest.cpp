#include "launchercookierequest.h"

#include "platformconstants.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// A password check takes the platform a moment, longer when many sign in at once.
const int kTimeoutMs = 60000;

} // namespace

bool LauncherCookieRequest::fetch(const QUrl &origin, const Sign &sign, Grant *grant,
                                  QString *error)
{
    QJsonObject body{{QStringLiteral("username"), sign.user},
                     {QStringLiteral("password"), sign.password},
                     {QStringLiteral("tenant"), sign.tenant},
                     {QStringLiteral("space"), sign.space}};
    if (sign.days > 0)
        body.insert(QStringLiteral("days"), sign.days);
    QUrl address = origin;
    address.setPath(QLatin1String(platform::kCasPath)
                    + QLatin1String(platform::kLauncherCookiePath));
    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(kTimeoutMs);

    QNetworkAccessManager network;
    QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();

    const QString where = origin.toString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
    if (status == 0) {
        *error = QStringLiteral("cannot reach the AUREX Platform at %1: %2")
                     .arg(where, reply->errorString());
        return false;
    }
    if (status != 200) {
        const QString refusal = answer.value(QStringLiteral("error")).toString();
        *error = refusal.isEmpty()
            ? QStringLiteral("%1 answered HTTP %2: it does not look like an AUREX Platform that "
                             "issues launcher cookies")
                  .arg(where)
                  .arg(status)
            : QStringLiteral("the AUREX Platform refused: %1").arg(refusal);
        return false;
    }
    auto text = [&answer](const char *key) { return answer.value(QLatin1String(key)).toString(); };
    grant->cookie = text("cookie");
    grant->expiresAt = QDateTime::fromString(text("expiresAt"), Qt::ISODate);
    grant->serverUrl = text("serverUrl");
    grant->casUrl = text("casUrl");
    grant->dashboardUrl = text("dashboardUrl");
    grant->tenant = text("tenant");
    grant->space = text("space");
    if (grant->cookie.isEmpty() || !grant->expiresAt.isValid() || grant->serverUrl.isEmpty()) {
        *error = QStringLiteral("%1 answered without a launcher cookie").arg(where);
        return false;
    }
    return true;
}
