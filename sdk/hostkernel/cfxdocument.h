#pragma once

#include "cfxstring.h"
#include "hostkernelexport.h"

class OdDbDatabase;

// A drawing open in the host. Owned by the host's document manager; valid until it is closed.
class HOSTKERNEL_EXPORT CFxDocument
{
public:
    virtual ~CFxDocument();

    // The drawing database of the document, or null when the file could not be read.
    virtual OdDbDatabase *GetFxDatabase() const = 0;
    // Full path of the document's file ("/" separators); for a drawing never saved, the path it
    // will be saved under.
    virtual CFxString GetPathName() const = 0;
    // Writes the document to its file; false when the host declined or the write failed.
    virtual bool Save() = 0;
    // What the host shows as the document's name (its tab) instead of the file's name, until
    // the document is saved under another name; an empty title shows the file's name again.
    // A host that names documents only by their files ignores it.
    virtual void SetTitle(const CFxString &title);
};
