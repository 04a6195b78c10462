#include "odedlispenginereactor.h"

void OdEdLispEngineReactor::lispWillStart(const OdString &) { }
void OdEdLispEngineReactor::lispEnded() { }
void OdEdLispEngineReactor::lispCancelled() { }
