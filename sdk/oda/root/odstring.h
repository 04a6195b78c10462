#pragma once

#include "tdrootexport.h"

#include <string>

using OdChar = wchar_t;

// The drawing libraries' string: wide characters, compared with or without regard to case.
// Narrow text given to it is UTF-8.
class TD_ROOT_EXPORT OdString
{
public:
    OdString() = default;
    OdString(const OdChar *text);
    OdString(const char *utf8);
    explicit OdString(const std::wstring &text);
    static OdString fromUtf8(const std::string &utf8);

    const OdChar *c_str() const { return m_text.c_str(); }
    operator const OdChar *() const { return m_text.c_str(); }
    const std::wstring &wstring() const { return m_text; }
    std::string toUtf8() const;

    bool isEmpty() const { return m_text.empty(); }
    int getLength() const { return static_cast<int>(m_text.size()); }

    int compare(const OdString &other) const;
    int iCompare(const OdString &other) const;
    OdString &makeUpper();
    OdString &makeLower();

    OdString &operator+=(const OdString &other);
    friend OdString operator+(const OdString &a, const OdString &b);
    friend bool operator==(const OdString &a, const OdString &b) { return a.m_text == b.m_text; }
    friend bool operator!=(const OdString &a, const OdString &b) { return a.m_text != b.m_text; }
    friend bool operator<(const OdString &a, const OdString &b) { return a.m_text < b.m_text; }

private:
    std::wstring m_text;
};
