#include "fileitemorder.h"

#include "session/showaurextaskpane.h"

bool fileItemPrecedes(const QString &nameA, qint64 modifiedA, const QString &nameB,
                      qint64 modifiedB)
{
    if (ShowAurexTaskPane::instance()->sortByName())
        return nameA.toLower() < nameB.toLower();
    return modifiedA < modifiedB;
}
