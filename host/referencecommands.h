#pragma once

#include "commandregistration.h"

#include <functional>

class DxfDefinitions;
class HostDocument;
class HostDocumentManager;
class OdDbHostAppServices;
class OdEdCommandContext;

// The host's commands that attach and detach what a drawing refers to: external-reference
// drawings ("_ATTACHDRAWING path [name]", "_DETACHDRAWING name"), raster images
// ("_ATTACHIMAGE path [width]", "_DETACHIMAGE name") and PDF underlays
// ("_ATTACHPDF path [page] [scale]", "_DETACHPDF name"). They change the current drawing in
// memory; "_SAVE" writes it.
class ReferenceCommands
{
public:
    ReferenceCommands(HostDocumentManager *documents, OdDbHostAppServices *services);

private:
    int attachDrawing(OdEdCommandContext *context);
    // Checks the file at local and attaches it to the drawing under its stored path.
    using Attach = std::function<bool(DxfDefinitions &definitions, const QString &path,
                                      const QString &local, QString *error)>;
    int attachDefinition(OdEdCommandContext *context, const char *prompt, const char *filter,
                         const Attach &attach);
    int attachImage(OdEdCommandContext *context);
    int attachPdf(OdEdCommandContext *context);
    int detachDrawing(OdEdCommandContext *context);
    int detachDefinition(OdEdCommandContext *context, int kind);

    // The current document, or null after telling the user there is none.
    HostDocument *currentDocument(OdEdCommandContext *context) const;
    // Where a path to store leads from the drawing; false after telling the user nothing is
    // there.
    bool locate(HostDocument *document, const QString &storedPath, OdEdCommandContext *context,
                QString *localPath) const;
    void changed(HostDocument *document);

    HostDocumentManager *m_documents;
    OdDbHostAppServices *m_services;
    CommandRegistration m_registration;
};
