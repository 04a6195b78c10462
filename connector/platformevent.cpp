#include "platformevent.h"

#include "recordconstants.h"

#include <QJsonDocument>
#include <QJsonObject>

PlatformEvent PlatformEvent::fromStream(const QString &id, const QString &name,
                                        const QByteArray &data)
{
    static const QMap<QString, Kind> kinds{{QStringLiteral("checkin"), CheckIn},
                                           {QStringLiteral("lock"), Lock},
                                           {QStringLiteral("unlock"), Unlock},
                                           {QStringLiteral("delete"), Delete},
                                           {QStringLiteral("undelete"), Undelete},
                                           {QStringLiteral("restore"), Restore},
                                           {QStringLiteral("resync"), Resync}};
    PlatformEvent event;
    event.id = id;
    event.kind = kinds.value(name, Unknown);
    const QJsonObject object = QJsonDocument::fromJson(data).object();
    event.name = object.value(QLatin1String(kKeyName)).toString();
    event.title = object.value(QLatin1String(kKeyTitle)).toString();
    event.space = object.value(QStringLiteral("space")).toString();
    event.user = object.value(QStringLiteral("user")).toString();
    event.revision = object.value(QStringLiteral("revision")).toInt();
    event.fileModified = object.value(QLatin1String(kKeyFileModified)).toString();
    event.lockedBy = object.value(QLatin1String(kKeyLockedBy)).toString();
    event.comment = object.value(QStringLiteral("comment")).toString();
    return event;
}
