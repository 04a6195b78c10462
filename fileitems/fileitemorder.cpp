#include "fileitemorder.h"

#include <QVariant>
#include <QWidget>

namespace {
const char kSortByNameProperty[] = "aurexSortByName";
}

bool fileItemPrecedes(const QString &nameA, qint64 modifiedA, const QString &nameB,
                      qint64 modifiedB, bool byName)
{
    if (byName)
        return nameA.toLower() < nameB.toLower();
    return modifiedA < modifiedB;
}

void setSortByName(QWidget *view, bool byName)
{
    if (view)
        view->setProperty(kSortByNameProperty, byName);
}

bool sortsByName(const QWidget *view)
{
    const QVariant byName = view ? view->property(kSortByNameProperty) : QVariant();
    return !byName.isValid() || byName.toBool();
}
