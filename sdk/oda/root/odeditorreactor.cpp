#include "odeditorreactor.h"

void OdEditorReactor::beginDwgOpen(const OdString &) { }
void OdEditorReactor::endDwgOpen(const OdString &, OdDbDatabase *) { }
void OdEditorReactor::beginClose(OdDbDatabase *) { }
void OdEditorReactor::docCloseWillStart(OdDbDatabase *) { }
