#pragma once

#include <QString>
#include <QStringList>

// The plain text of what drawings store as text: the special characters of single-line texts
// ("%%d" and the like) and the formatting codes of paragraph texts (fonts, colours, heights,
// stacked fractions, paragraph breaks), which only change how the text looks.
class DxfSceneText
{
public:
    // A single-line text with its special characters replaced.
    static QString plainLine(const QString &text);
    // The lines of a paragraph text without its formatting codes.
    static QStringList plainParagraph(const QString &text);
};
