#include "whereused.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/displaytext.h"

#include <fzfileinfo.h>

#include <QLocale>

#include <algorithm>

QString WhereUsed::ask(AurexPlatform *platform, const QString &name, const QString &title)
{
    m_title = title;
    m_drawings.clear();
    m_hidden = 0;
    RecordList found;
    if (!platform->whereUsed(*makeNameRequest(name, fileTypeForPath(title)), &found, &m_hidden))
        return platform->failureText(
            tr("The AUREX Platform could not say which drawings use %1.").arg(title));
    for (const FzFileInfo *record : found) {
        Drawing drawing;
        drawing.name = recordProperty(*record, kKeyName);
        drawing.phid = recordProperty(*record, kKeyPhid);
        drawing.title = singleLineText(recordTitle(*record));
        drawing.number = singleLineText(recordProperty(*record, kKeyDrawingNumber));
        drawing.drawingTitle = singleLineText(recordProperty(*record, kKeyDrawingTitle));
        drawing.space = recordProperty(*record, kKeySpace);
        drawing.revision = recordProperty(*record, kKeyRevision).toInt();
        drawing.savedBy = recordProperty(*record, kKeyModifiedBy);
        drawing.stamp = recordProperty(*record, kKeyFileModified);
        drawing.depth = qMax(1, recordProperty(*record, kKeyDepth).toInt());
        drawing.viaPhid = recordProperty(*record, kKeyReferencedVia);
        m_drawings.append(drawing);
    }
    std::stable_sort(m_drawings.begin(), m_drawings.end(),
                     [](const Drawing &a, const Drawing &b) { return a.depth < b.depth; });
    return QString();
}

QString WhereUsed::hiddenText() const
{
    if (m_hidden == 0)
        return QString();
    return m_hidden == 1 ? tr("And 1 drawing in a space you are not a member of.")
                         : tr("And %1 drawings in spaces you are not a member of.").arg(m_hidden);
}

QString WhereUsed::alsoUsedText(const QSet<QString> &names) const
{
    QStringList users;
    for (const Drawing &drawing : m_drawings) {
        if (drawing.depth == 1 && !names.contains(drawing.name) && !users.contains(drawing.title))
            users << drawing.title;
    }
    if (m_hidden > 0)
        users << (m_hidden == 1
                      ? tr("1 drawing in a space you are not a member of")
                      : tr("%1 drawings in spaces you are not a member of").arg(m_hidden));
    if (users.isEmpty())
        return QString();
    return tr("%1 is also used by %2.").arg(m_title, QLocale().createSeparatedList(users));
}
