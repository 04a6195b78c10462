#include "odrxeventreactor.h"

void OdRxEventReactor::dwgFileOpened(OdDbDatabase *, const OdString &) { }
void OdRxEventReactor::initialDwgFileOpenComplete(OdDbDatabase *) { }
void OdRxEventReactor::databaseConstructed(OdDbDatabase *) { }
void OdRxEventReactor::databaseToBeDestroyed(OdDbDatabase *) { }
void OdRxEventReactor::beginSave(OdDbDatabase *, const OdString &) { }
void OdRxEventReactor::saveComplete(OdDbDatabase *, const OdString &) { }
void OdRxEventReactor::abortSave(OdDbDatabase *) { }
