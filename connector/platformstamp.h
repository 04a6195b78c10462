#pragma once

#include <QString>

class QDateTime;

// Platform modification stamps ("_filemodified", the file database's "updatestamp"): UTC
// date-times written as "2024/03/05@14:07:09:GMT".

// The stamp as a UTC date-time; invalid when the text is not a stamp.
QDateTime parsePlatformStamp(const QString &text);
// The stamp of a date-time, converted to UTC first; "" for an invalid date-time.
QString formatPlatformStamp(const QDateTime &time);
