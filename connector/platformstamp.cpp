#include "platformstamp.h"

#include "recordconstants.h"

#include <QDateTime>

namespace {
// kStampFormat split at its "@": the date and the time are read apart so that no local-time
// rule (a daylight-saving gap of the user's zone) ever touches a UTC value.
const char kStampDateFormat[] = "yyyy'/'MM'/'dd";
const char kStampTimeFormat[] = "HH':'mm':'ss";
const char kStampSuffix[] = ":GMT";
} // namespace

QDateTime parsePlatformStamp(const QString &text)
{
    const int at = text.indexOf(QLatin1Char('@'));
    if (at < 0 || !text.endsWith(QLatin1String(kStampSuffix)))
        return QDateTime();
    const int timeLength = text.size() - at - 1 - int(qstrlen(kStampSuffix));
    const QDate date = QDate::fromString(text.left(at), QLatin1String(kStampDateFormat));
    const QTime time =
        QTime::fromString(text.mid(at + 1, timeLength), QLatin1String(kStampTimeFormat));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

QString formatPlatformStamp(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    return time.toUTC().toString(QLatin1String(kStampFormat));
}
