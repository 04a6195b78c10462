#include "platformprobe.h"

#include "platformprocess.h"

#include <QJsonArray>

PlatformProbe::PlatformProbe(const PlatformProcess &platform, const QString &login,
                             const QString &password)
    : m_client(platform.serverHost())
{
    m_signedIn = m_client.signIn(login, password) == 200;
}

QString PlatformProbe::lockedBy(const QString &title) const
{
    return objectTitled(title).value(QStringLiteral("_LockedBy")).toString();
}

QStringList PlatformProbe::versions(const QString &title) const
{
    QJsonObject answer;
    const QString phid = objectTitled(title).value(QStringLiteral("phid")).toString();
    if (phid.isEmpty()
        || m_client.get(QStringLiteral("/api/v1/objects/%1/versions").arg(phid), &answer) != 200)
        return {};
    QStringList lines;
    for (const QJsonValue &version : answer.value(QStringLiteral("versions")).toArray()) {
        const QJsonObject fields = version.toObject();
        lines.append(QStringLiteral("%1 %2: %3")
                         .arg(fields.value(QStringLiteral("revision")).toVariant().toString(),
                              fields.value(QStringLiteral("_ModifiedBy")).toString(),
                              fields.value(QStringLiteral("_Comment")).toString()));
    }
    return lines;
}

bool PlatformProbe::saveVersion(const QString &title, const QByteArray &bytes,
                                const QString &comment) const
{
    const QJsonObject object = objectTitled(title);
    if (object.isEmpty())
        return false;
    const QJsonObject record{{"parent", -1},
                             {"title", object.value(QStringLiteral("title"))},
                             {"name", object.value(QStringLiteral("name"))},
                             {"collabspace", object.value(QStringLiteral("_CS"))}};
    return m_client.checkIn({record}, {bytes}, nullptr, comment) == 200;
}

bool PlatformProbe::setLocked(const QString &title, bool locked) const
{
    const QJsonObject object = objectTitled(title);
    return !object.isEmpty()
        && m_client.post(locked ? QStringLiteral("/api/v1/lock") : QStringLiteral("/api/v1/unlock"),
                         {{"ref", QJsonObject{{"phid", object.value(QStringLiteral("phid"))}}}})
        == 200;
}
