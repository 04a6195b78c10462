#include "recordfields.h"

#include "recordconstants.h"

#include <fzfileinfo.h>

QString recordProperty(const FzFileInfo &record, const char *key)
{
    return QString::fromStdString(record.GetProperty(key));
}

void setRecordProperty(FzFileInfo &record, const char *key, const QString &value)
{
    record.SetProperty(key, value.toStdString());
}

QString recordTitle(const FzFileInfo &record)
{
    const QString title = recordProperty(record, kKeyTitle);
    return title.isEmpty() ? QString::fromStdString(record.GetTitle()) : title;
}

bool recordMayChange(const FzFileInfo &record)
{
    return recordProperty(record, kKeyRole) != QLatin1String("reader");
}

bool recordMayDelete(const FzFileInfo &record, const QString &user)
{
    const QString role = recordProperty(record, kKeyRole);
    return role.isEmpty() || role == QLatin1String("manager")
        || (role == QLatin1String("editor") && recordProperty(record, kKeyOwner) == user);
}
