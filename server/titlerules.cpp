#include "titlerules.h"

#include <QStringList>

namespace {

const int kMaxTitleBytes = 255;

// Characters that change the display direction of the text around them.
bool isBidiControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

// A UTF-16 unit that does not show as itself: a control or direction character, a
// non-character, or half of a surrogate pair without its other half.
bool isHidden(const QString &text, int i)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text.at(i - 1).isHighSurrogate();
    return c.category() == QChar::Other_Control || isBidiControl(c.unicode())
        || c.isNonCharacter();
}

// Device names that Windows reserves in every folder, whatever the suffix ("nul.dwg").
bool isReservedOnWindows(const QString &title)
{
    static const QStringList devices = [] {
        QStringList names{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                          QStringLiteral("NUL"), QStringLiteral("CONIN$"),
                          QStringLiteral("CONOUT$")};
        for (int i = 0; i <= 9; ++i)
            names << QStringLiteral("COM%1").arg(i) << QStringLiteral("LPT%1").arg(i);
        // Superscript digits count as digits there too.
        for (const QChar digit : {QChar(0x00B9), QChar(0x00B2), QChar(0x00B3)})
            names << QStringLiteral("COM") + digit << QStringLiteral("LPT") + digit;
        return names;
    }();
    const QString stem = title.section(QLatin1Char('.'), 0, 0).trimmed();
    return devices.contains(stem, Qt::CaseInsensitive);
}

} // namespace

QString TitleRules::problem(const QString &title)
{
    if (title.isEmpty())
        return QStringLiteral("a file name must not be empty");
    if (title.toUtf8().size() > kMaxTitleBytes)
        return QStringLiteral("a file name has at most %1 bytes").arg(kMaxTitleBytes);
    if (title == QLatin1String(".") || title == QLatin1String(".."))
        return QStringLiteral("\"%1\" is not a file name").arg(title);
    for (int i = 0; i < title.size(); ++i) {
        const QChar c = title.at(i);
        if (isHidden(title, i))
            return QStringLiteral("the file name \"%1\" holds a control or text-direction "
                                  "character")
                .arg(printable(title));
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            return QStringLiteral("the file name \"%1\" holds the character %2, which file names "
                                  "cannot hold on every system")
                .arg(title, c);
    }
    if (title.trimmed() != title)
        return QStringLiteral("the file name \"%1\" begins or ends with a space").arg(title);
    if (title.endsWith(QLatin1Char('.')))
        return QStringLiteral("the file name \"%1\" ends with a dot").arg(title);
    if (isReservedOnWindows(title))
        return QStringLiteral("\"%1\" is a device name on Windows and cannot name a file there")
            .arg(title);
    return QString();
}

QString TitleRules::printable(const QString &text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (isHidden(text, i))
            out += QStringLiteral("\\u%1").arg(text.at(i).unicode(), 4, 16, QLatin1Char('0'));
        else
            out += text.at(i);
    }
    return out;
}
