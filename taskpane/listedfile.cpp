#include "listedfile.h"

#include "connector/filetype.h"
#include "drawingset/referencenode.h"

QString listedFileName(const ReferenceNode &node)
{
    return node.path.isEmpty() ? node.name : pathFileName(node.path);
}
