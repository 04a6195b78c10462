#pragma once

#include "accountstore.h"
#include "objectstore.h"

#include <QJsonObject>
#include <QList>

// The drawings that reference an object, as a signed-in caller may know them: every drawing
// that is not in the trash and references it through references (CADSubcomponent relations)
// directly or through other drawings, up to the top drawings, each once at its smallest depth.
// The walk goes through drawings of every space, so that a visible drawing above one of a space
// the caller is not in is found; those the caller may not see are only counted. Failures throw
// ApiError.
class WhereUsed
{
public:
    explicit WhereUsed(const Caller &caller);

    // {"object": the object, "drawings": [...], "hidden": N}: the drawings by depth, then
    // title, each with "_Depth" and "_ReferencedVia" (the object one depth below it that it
    // references, by phid; empty when all such objects are hidden from the caller).
    QJsonObject answer(const ObjectRow &object);

private:
    struct Found {
        ObjectRow row;
        int depth = 0;
        QString via;
    };

    // The objects not in the trash that reference any of children, with the children each
    // references.
    static QHash<qint64, QList<qint64>> parentsOf(const QList<qint64> &children);

    ObjectStore m_objects;
};
