#include "odstring.h"

#include <cwctype>

namespace {

std::wstring decodeUtf8(const std::string &in)
{
    std::wstring out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= in.size()) {
            out.push_back(0xFFFD); // truncated sequence at the end
            break;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(in[i + k]);
            if ((cc & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string encodeUtf8(const std::wstring &in)
{
    std::string out;
    out.reserve(in.size());
    for (const wchar_t wc : in) {
        const char32_t cp = static_cast<char32_t>(wc);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace

OdString::OdString(const OdChar *text)
    : m_text(text ? text : L"")
{
}

OdString::OdString(const char *utf8)
    : m_text(utf8 ? decodeUtf8(utf8) : std::wstring())
{
}

OdString::OdString(const std::wstring &text)
    : m_text(text)
{
}

OdString OdString::fromUtf8(const std::string &utf8)
{
    return OdString(decodeUtf8(utf8));
}

std::string OdString::toUtf8() const
{
    return encodeUtf8(m_text);
}

int OdString::compare(const OdString &other) const
{
    return m_text.compare(other.m_text);
}

int OdString::iCompare(const OdString &other) const
{
    OdString a(*this);
    OdString b(other);
    return a.makeLower().compare(b.makeLower());
}

OdString &OdString::makeUpper()
{
    for (wchar_t &c : m_text)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return *this;
}

OdString &OdString::makeLower()
{
    for (wchar_t &c : m_text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return *this;
}

OdString &OdString::operator+=(const OdString &other)
{
    m_text += other.m_text;
    return *this;
}

OdString operator+(const OdString &a, const OdString &b)
{
    OdString result(a);
    result += b;
    return result;
}
