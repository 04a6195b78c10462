#include "dxftext.h"

#include <QTextCodec>

#include <algorithm>

namespace {

// Releases before this one store text in the drawing's code page.
const char kFirstUtf8Release[] = "AC1021";
// The printable ASCII characters.
constexpr char kFirstPrintable = ' ';
constexpr char kLastPrintable = '~';

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

DxfText::DxfText()
{
    configure(QByteArray(), QByteArray());
}

QByteArray DxfText::codecNameForCodePage(const QByteArray &codePage)
{
    const QByteArray page = codePage.trimmed().toUpper();
    if (page.startsWith("ANSI_")) {
        const QByteArray number = page.mid(5);
        if (number == "932")
            return "Shift_JIS";
        if (number == "936")
            return "GBK";
        if (number == "949")
            return "cp949";
        if (number == "950")
            return "Big5";
        if (number == "874")
            return "TIS-620";
        return "windows-" + number;
    }
    if (page.startsWith("DOS"))
        return "IBM" + page.mid(3);
    if (page.startsWith("ISO8859-"))
        return "ISO-8859-" + page.mid(8);
    if (page == "UTF8" || page == "UTF-8")
        return "UTF-8";
    return QByteArray();
}

void DxfText::configure(const QByteArray &acadVersion, const QByteArray &codePage)
{
    m_utf8 = acadVersion.trimmed() >= QByteArray(kFirstUtf8Release);
    m_codec = nullptr;
    if (!m_utf8) {
        const QByteArray name = codecNameForCodePage(codePage);
        if (!name.isEmpty())
            m_codec = QTextCodec::codecForName(name);
        if (!m_codec)
            m_codec = QTextCodec::codecForName("windows-1252");
    }
    if (!m_codec)
        m_codec = QTextCodec::codecForName("UTF-8");
    // Most values are printable ASCII; a code page that maps those bytes to themselves lets
    // them skip the codec, whose converters are costly to set up per call.
    QByteArray printable;
    for (char byte = kFirstPrintable; byte <= kLastPrintable; ++byte)
        printable.append(byte);
    m_printableAsIs = m_codec->toUnicode(printable) == QLatin1String(printable);
}

QString DxfText::decode(const QByteArray &raw) const
{
    const bool printable = m_printableAsIs
        && std::all_of(raw.cbegin(), raw.cend(),
                       [](char byte) { return byte >= kFirstPrintable && byte <= kLastPrintable; });
    QString text = printable ? QString::fromLatin1(raw) : m_codec->toUnicode(raw);
    int at = text.indexOf(QLatin1String("\\U+"));
    while (at >= 0 && at + 7 <= text.size()) {
        int code = 0;
        bool valid = true;
        for (int i = at + 3; i < at + 7 && valid; ++i) {
            const int digit = hexDigit(text.at(i));
            valid = digit >= 0;
            code = code * 16 + digit;
        }
        if (valid)
            text.replace(at, 7, QChar(code));
        at = text.indexOf(QLatin1String("\\U+"), at + 1);
    }
    return text;
}

QByteArray DxfText::encode(const QString &text) const
{
    if (m_utf8)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
        } else if (m_codec->canEncode(c)) {
            out.append(m_codec->fromUnicode(QString(c)));
        } else {
            out.append("\\U+");
            out.append(QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0'));
        }
    }
    return out;
}
