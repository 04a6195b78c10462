#include "cfxstring.h"

CFxString::CFxString(const char *utf8)
    : m_text(QString::fromUtf8(utf8))
{
}

CFxString::CFxString(const wchar_t *text)
    : m_text(text ? QString::fromWCharArray(text) : QString())
{
}

CFxString::CFxString(const QString &text)
    : m_text(text)
{
}

CFxString::CFxString(const OdString &text)
    : m_text(QString::fromStdWString(text.wstring()))
{
}

OdString CFxString::toOdString() const
{
    return OdString(m_text.toStdWString());
}
