#include "displaytext.h"

#include <QStringList>

namespace {

bool isBidiFormatting(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

QString escaped(char16_t c)
{
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

QString safeText(const QString &text, bool keepLines)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (isLineBreak(c)) {
            // "\r\n" is one break.
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += keepLines ? QChar(u'\n') : QChar(u' ');
        } else if (c == u'\t') {
            out += QLatin1Char(' ');
        } else if (text.at(i).category() == QChar::Other_Control || isBidiFormatting(c)) {
            out += escaped(c);
        } else {
            out += text.at(i);
        }
    }
    return keepLines ? out : out.simplified();
}

} // namespace

QString singleLineText(const QString &text)
{
    return safeText(text, false);
}

QString multiLineText(const QString &text)
{
    return safeText(text, true);
}

QString firstLineText(const QString &text)
{
    for (const QString &line : multiLineText(text).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            return line.simplified();
    }
    return QString();
}
