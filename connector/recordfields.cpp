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
