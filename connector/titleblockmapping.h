#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Which attributes of a drawing's title block become which platform property: for each record
// key (the drawing number's, the title's, the revision's, the sheet's) the attribute tags that
// give it, the first preferred. The administrator keeps one per tenant on the platform; a
// platform that keeps none is read with the usual tags.
class TitleBlockMapping
{
public:
    // The usual tags: DWG_NO, DRAWING_NUMBER, DWGNO and NUMBER for the drawing number, TITLE
    // and DWG_TITLE, REV and REVISION, SHEET.
    static TitleBlockMapping usual();
    // From the platform's answer, property name ("number", "title", "revision", "sheet") to
    // tags; a property the answer does not name maps no tag, an unknown one is passed over.
    static TitleBlockMapping fromPlatform(const QList<QPair<QString, QStringList>> &answer);

    // The record keys, in the order above, each with its tags (upper case).
    QList<QPair<const char *, QStringList>> properties() const { return m_properties; }
    bool isEmpty() const;

private:
    QList<QPair<const char *, QStringList>> m_properties;
};
