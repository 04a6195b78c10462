#pragma once

#include "oddbobject.h"
#include "odgirasterimage.h"

// The definition of a raster image: the image file's path as stored, and the image itself once
// its file is found and decodes.
class TD_DB_EXPORT OdDbRasterImageDef : public OdDbObject
{
    ODDB_DECLARE_CAST(OdDbRasterImageDef)

public:
    OdString sourceFileName() const;
    // Where the image file was found; the stored path while it is not found.
    OdString activeFileName() const;
    // Stores a new path and unloads the image.
    void setSourceFileName(const OdString &path);

    // The image, loading it first when load is set; null when the file is not found or does
    // not decode (or, without load, while it is not loaded).
    OdGiRasterImagePtr image(bool load = true);
    // eOk once the image is loaded; eFileNotFound or eInvalidInput (does not decode) otherwise.
    OdResult load(bool modifyDatabase = true);
    void unload(bool modifyDatabase = true);
    bool isLoaded() const;

protected:
    using OdDbObject::OdDbObject;
};

using OdDbRasterImageDefPtr = OdSmartPtr<OdDbRasterImageDef>;
