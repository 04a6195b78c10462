#pragma once

#include "commandregistration.h"

class HostDocument;
class HostDocumentManager;
class OdEdCommandContext;

// The host's commands on drawings as files: "_NEW", "_OPEN", "_SAVE", "_SAVEAS" and "_CLOSE".
// File names come as answers after the command or, typed without, from file dialogs.
class FileCommands
{
public:
    explicit FileCommands(HostDocumentManager *documents);

private:
    int open(OdEdCommandContext *context);
    int save(OdEdCommandContext *context);
    int saveAs(OdEdCommandContext *context);
    int close(OdEdCommandContext *context);
    bool saveDocument(HostDocument *document, const QString &path, OdEdCommandContext *context);

    HostDocumentManager *m_documents;
    CommandRegistration m_registration;
};
