#include "platformstamp.h"

#include "recordconstants.h"

#include <QDateTime>

namespace {
// kStampFormat: "yyyy/MM/dd@HH:mm:ss:GMT", always in UTC, so that no local-time rule (a
// daylight-saving gap of the user's zone) ever touches it.
const char kStampSuffix[] = ":GMT";
} // namespace

QDateTime parsePlatformStamp(const QString &text)
{
    // Read by position: a list of hundreds of files reads as many stamps, and Qt's format
    // parser takes tens of microseconds for each.
    // "yyyy/MM/dd@HH:mm:ss" and the suffix: every field at its place, two digits at least.
    if (text.size() != 19 + int(qstrlen(kStampSuffix)) || text.at(10) != QLatin1Char('@')
        || !text.endsWith(QLatin1String(kStampSuffix)))
        return QDateTime();
    const auto number = [&text](int from, int digits, bool *ok) {
        int value = 0;
        for (int i = from; i < from + digits; ++i) {
            const QChar c = text.at(i);
            if (!c.isDigit() || c.unicode() > '9') {
                *ok = false;
                return 0;
            }
            value = value * 10 + (c.unicode() - '0');
        }
        return value;
    };
    bool ok = text.at(4) == QLatin1Char('/') && text.at(7) == QLatin1Char('/')
        && text.at(13) == QLatin1Char(':') && text.at(16) == QLatin1Char(':');
    const QDate date(number(0, 4, &ok), number(5, 2, &ok), number(8, 2, &ok));
    const QTime time(number(11, 2, &ok), number(14, 2, &ok), number(17, 2, &ok));
    if (!ok || !date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

QString formatPlatformStamp(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    return time.toUTC().toString(QLatin1String(kStampFormat));
}
