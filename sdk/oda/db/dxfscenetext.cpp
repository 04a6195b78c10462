#include "dxfscenetext.h"

QString DxfSceneText::plainLine(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("%%d"), QString(QChar(0x00B0)), Qt::CaseInsensitive);
    plain.replace(QLatin1String("%%p"), QString(QChar(0x00B1)), Qt::CaseInsensitive);
    plain.replace(QLatin1String("%%c"), QString(QChar(0x2300)), Qt::CaseInsensitive);
    plain.replace(QLatin1String("%%%"), QLatin1String("%"));
    // Underline and overline switches.
    plain.remove(QLatin1String("%%u"), Qt::CaseInsensitive);
    plain.remove(QLatin1String("%%o"), Qt::CaseInsensitive);
    return plain;
}

QStringList DxfSceneText::plainParagraph(const QString &text)
{
    QStringList lines;
    QString line;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('{') || c == QLatin1Char('}'))
            continue;
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            line.append(c);
            continue;
        }
        const QChar code = text.at(++i);
        switch (code.toLatin1()) {
        case 'P':
            lines.append(line);
            line.clear();
            break;
        case 'N': // column break
            lines.append(line);
            line.clear();
            break;
        case '~':
            line.append(QChar(0x00A0));
            break;
        case '\\':
        case '{':
        case '}':
            line.append(code);
            break;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k':
            break; // underline, overline and strike-through switches
        case 'S': {
            // A stacked fraction "\Snum^den;" (or with / or #) reads as num/den.
            const int end = text.indexOf(QLatin1Char(';'), i + 1);
            QString stacked = text.mid(i + 1, (end < 0 ? text.size() : end) - i - 1);
            stacked.replace(QLatin1Char('^'), QLatin1Char('/'));
            stacked.replace(QLatin1Char('#'), QLatin1Char('/'));
            // "1\S1^2;" is one and a half: set apart, the digits do not read as eleven halves.
            if (!line.isEmpty() && line.back().isDigit())
                line.append(QLatin1Char(' '));
            line.append(stacked.trimmed());
            i = end < 0 ? text.size() : end;
            break;
        }
        default: {
            // Codes with a value up to ';': font, height, width, colour, tracking, oblique,
            // alignment and the like.
            static const QString withValue = QStringLiteral("fFHWCcTQApa");
            if (withValue.contains(code)) {
                const int end = text.indexOf(QLatin1Char(';'), i + 1);
                i = end < 0 ? text.size() : end;
            } else {
                line.append(QLatin1Char('\\')).append(code);
            }
        }
        }
    }
    lines.append(line);
    return lines;
}
