#pragma once

#include "hostkernelexport.h"

class CFxDocument;

// Notifications of the host's document manager, on the main thread. Each does nothing unless
// overridden.
class HOSTKERNEL_EXPORT CFxDocumentManagerReactor
{
public:
    virtual ~CFxDocumentManagerReactor();

    virtual void DocumentCreateStarted(CFxDocument *document);
    virtual void DocumentCreated(CFxDocument *document);
    virtual void DocumentToBeDestroyed(CFxDocument *document);
    virtual void DocumentDestroyed(const CFxDocument *document);
    virtual void DocumentToBeActivated(CFxDocument *document);
    virtual void DocumentToBeDeactivated(CFxDocument *document);
    virtual void DocumentActivated(CFxDocument *document);
    virtual void DocumentCreateCanceled(CFxDocument *document);
};
