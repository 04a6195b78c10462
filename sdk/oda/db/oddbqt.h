#pragma once

#include "odstring.h"

#include <QString>

// Conversions between the interface's strings and Qt's, used inside the drawing layer.
inline QString toQString(const OdString &text)
{
    return QString::fromStdWString(text.wstring());
}

inline OdString toOdString(const QString &text)
{
    return OdString(text.toStdWString());
}
