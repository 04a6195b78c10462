#include "oddbrasterimagedef.h"

#include "dxfdefinitions.h"
#include "dxfdocument.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"
#include "oderror.h"
#include "odrxobjectimpl.h"

#include <QImageReader>

OdString OdDbRasterImageDef::sourceFileName() const
{
    return stringValue(1);
}

OdString OdDbRasterImageDef::activeFileName() const
{
    const QString found = findReferencedFile(OdDbHostAppServices::kEmbeddedImageFile);
    return found.isEmpty() ? sourceFileName() : toOdString(found);
}

void OdDbRasterImageDef::setSourceFileName(const OdString &path)
{
    assertWriteEnabled();
    database()->setAttachmentUnloaded(handle());
    if (!DxfDefinitions(document()).setPath(handle(), toQString(path)))
        throw OdError(eKeyNotFound, "the image definition is gone");
}

OdResult OdDbRasterImageDef::load(bool)
{
    if (isLoaded())
        return eOk;
    const QString file = findReferencedFile(OdDbHostAppServices::kEmbeddedImageFile);
    if (file.isEmpty())
        return eFileNotFound;
    const QImage decoded = QImageReader(file).read();
    if (decoded.isNull())
        return eInvalidInput;
    database()->setAttachmentLoaded(handle(), decoded);
    return eOk;
}

void OdDbRasterImageDef::unload(bool)
{
    database()->setAttachmentUnloaded(handle());
}

bool OdDbRasterImageDef::isLoaded() const
{
    return database()->isAttachmentLoaded(handle());
}

OdGiRasterImagePtr OdDbRasterImageDef::image(bool loadIt)
{
    if (loadIt && load() != eOk)
        return OdGiRasterImagePtr();
    if (!isLoaded())
        return OdGiRasterImagePtr();
    return OdRxObjectImpl<OdGiRasterImage>::createObject(database()->loadedImage(handle()));
}
