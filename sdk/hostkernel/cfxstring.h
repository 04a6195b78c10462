#pragma once

#include "hostkernelexport.h"

#include <odstring.h>

#include <QString>

// The host's string: converts between the host's Qt texts and the drawing libraries' strings.
class HOSTKERNEL_EXPORT CFxString
{
public:
    CFxString() = default;
    CFxString(const char *utf8);
    CFxString(const wchar_t *text);
    CFxString(const QString &text);
    CFxString(const OdString &text);

    QString toQString() const { return m_text; }
    OdString toOdString() const;
    std::string toStdString() const { return m_text.toStdString(); }

    bool isEmpty() const { return m_text.isEmpty(); }
    friend bool operator==(const CFxString &a, const CFxString &b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CFxString &a, const CFxString &b) { return a.m_text != b.m_text; }

private:
    QString m_text;
};
