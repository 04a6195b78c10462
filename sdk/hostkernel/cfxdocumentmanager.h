#pragma once

#include "cfxstring.h"
#include "hostkernelexport.h"

#include <functional>
#include <vector>

class CFxDocument;
class CFxDocumentManagerReactor;

// The host's open drawings. Everything runs on the main thread except FindDocument, which the
// host keeps safe to call from any thread.
class HOSTKERNEL_EXPORT CFxDocumentManager
{
public:
    virtual ~CFxDocumentManager();

    virtual CFxDocument *GetCurrentDocument() const = 0;
    // Opens the drawing at path (or switches to it when it is open already) and makes it the
    // current document; null when there is no such file.
    virtual CFxDocument *OpenDocument(const CFxString &path) = 0;
    virtual bool CloseDocument(CFxDocument *document) = 0;
    // The open document whose file is path; "\" and "/" count as the same separator.
    virtual CFxDocument *FindDocument(const CFxString &path) const = 0;
    virtual bool ActivateDocument(CFxDocument *document) = 0;
    virtual int GetDocumentCount() const = 0;
    virtual CFxDocument *GetDocumentAt(int index) const = 0;

    void AddReactor(CFxDocumentManagerReactor *reactor);
    void RemoveReactor(CFxDocumentManagerReactor *reactor);

protected:
    // Calls notify for every reactor, on a copy of the list so that reactors may come and go.
    void forEachReactor(const std::function<void(CFxDocumentManagerReactor *)> &notify) const;

private:
    std::vector<CFxDocumentManagerReactor *> m_reactors;
};
