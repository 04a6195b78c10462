#pragma once

#include "oddbobject.h"

// The definition of an underlay: the underlay file's path as stored, the page or sheet it
// shows, and whether its file is loaded.
class TD_DB_EXPORT OdDbUnderlayDefinition : public OdDbObject
{
    ODDB_DECLARE_CAST(OdDbUnderlayDefinition)

public:
    OdString getSourceFileName() const;
    // Stores a new path and unloads the underlay.
    void setSourceFileName(const OdString &path);
    // Where the file was found; the stored path while it is not found.
    OdString getActiveFileName() const;
    OdString getItemName() const;

    // eOk once the file is found and holds a document of the underlay's kind; eFileNotFound,
    // eInvalidInput (another kind of file) or eInvalidPassword (encrypted, no password).
    OdResult load(const OdString &password);
    void unload();
    bool isLoaded() const;

protected:
    using OdDbObject::OdDbObject;

    // Whether the first bytes of a found file show the underlay's kind of document.
    virtual bool isOwnFormat(const QByteArray &head) const;
};

using OdDbUnderlayDefinitionPtr = OdSmartPtr<OdDbUnderlayDefinition>;
