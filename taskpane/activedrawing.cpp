#include "activedrawing.h"

#include "drawingset/referencetree.h"
#include "drawingset/referencetreebuilder.h"
#include "support/hostaccess.h"

#include <cfxdocument.h>
#include <oddbdatabase.h>

ActiveDrawing hostActiveDrawing()
{
    ActiveDrawing drawing;
    drawing.tree = std::make_shared<ReferenceTree>();
    buildActiveReferenceTree(*drawing.tree, false);
    CFxDocument *document = HostAccess::activeDocument();
    OdDbDatabase *database = document ? document->GetFxDatabase() : nullptr;
    drawing.services = database ? database->appServices() : nullptr;
    return drawing;
}
