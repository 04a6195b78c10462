#include "platformprobe.h"

#include "platformprocess.h"

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

bool PlatformProbe::setLocked(const QString &title, bool locked) const
{
    const QJsonObject object = objectTitled(title);
    return !object.isEmpty()
        && m_client.post(locked ? QStringLiteral("/api/v1/lock") : QStringLiteral("/api/v1/unlock"),
                         {{"ref", QJsonObject{{"phid", object.value(QStringLiteral("phid"))}}}})
        == 200;
}
