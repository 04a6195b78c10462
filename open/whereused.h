#pragma once

#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <QString>

class AurexPlatform;

// Which current drawings reference one platform file, as the platform answers it: those that
// reference it directly, and the drawings above them up to the top ones, each once, with the
// drawing it reaches the file through; and how many more sit in spaces the user is not a
// member of, which the platform counts but never names. A value; ask() blocks, so it runs in a
// job.
class WhereUsed
{
    Q_DECLARE_TR_FUNCTIONS(WhereUsed)

public:
    struct Drawing
    {
        QString name; // platform name
        QString phid;
        QString title;
        QString number; // from its title block, "" when not known
        QString drawingTitle;
        QString space;
        int revision = 0;
        QString savedBy;
        QString stamp; // of its current version
        int depth = 1; // 1: references the file itself
        QString viaPhid; // the file it references on the way (the file asked about at depth 1)
    };

    // Asks the platform about the file of that platform name and title; "" or what the user
    // is told.
    QString ask(AurexPlatform *platform, const QString &name, const QString &title);

    QString title() const { return m_title; }
    // By depth, then as the platform ordered them.
    QList<Drawing> drawings() const { return m_drawings; }
    int hidden() const { return m_hidden; }
    // "And 2 drawings in spaces you are not a member of." ("" when there are none).
    QString hiddenText() const;
    // What the save dialog says of a changed file others use: "rebar.dxf is also used by
    // tower.dwg and quay.dxf." for the drawings that reference it directly and are not among
    // names (the files saved with it), the hidden ones counted; "" when there is none.
    QString alsoUsedText(const QSet<QString> &names) const;

private:
    QString m_title;
    QList<Drawing> m_drawings;
    int m_hidden = 0;
};
