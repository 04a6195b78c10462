#include "cfxdocumentmanagerreactor.h"

CFxDocumentManagerReactor::~CFxDocumentManagerReactor() = default;

void CFxDocumentManagerReactor::DocumentCreateStarted(CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentCreated(CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentToBeDestroyed(CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentDestroyed(const CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentToBeActivated(CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentToBeDeactivated(CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentActivated(CFxDocument *) { }
void CFxDocumentManagerReactor::DocumentCreateCanceled(CFxDocument *) { }
