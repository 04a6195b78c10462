#include "oddbblocktablerecord.h"

#include "dxfdocument.h"
#include "dxfstructure.h"
#include "dxfxrefs.h"
#include "oddbdatabase.h"
#include "oddbqt.h"
#include "oderror.h"

namespace {

// BLOCK flags (code 70).
const int kExternalReference = 4;
const int kOverlay = 8;

} // namespace

int OdDbBlockTableRecord::blockBegin() const
{
    const int r = record();
    if (r < 0)
        return -1;
    if (document().isType(r, "BLOCK"))
        return r;
    return DxfStructure(document()).blockBegin(document().string(r, 2));
}

OdString OdDbBlockTableRecord::getName() const
{
    const int r = record();
    return r >= 0 ? toOdString(document().string(r, 2)) : OdString();
}

void OdDbBlockTableRecord::setName(const OdString &name)
{
    assertWriteEnabled();
    const QString newName = toQString(name);
    const QString oldName = toQString(getName());
    if (newName == oldName)
        return;
    QString error;
    if (!DxfXrefs(document()).rename(oldName, newName, &error))
        throw OdError(eInvalidInput, toOdString(error));
}

bool OdDbBlockTableRecord::isFromExternalReference() const
{
    const int begin = blockBegin();
    return begin >= 0 && (document().integer(begin, 70) & kExternalReference);
}

bool OdDbBlockTableRecord::isFromOverlayReference() const
{
    const int begin = blockBegin();
    return begin >= 0 && (document().integer(begin, 70) & kOverlay);
}

OdString OdDbBlockTableRecord::pathName() const
{
    const int begin = blockBegin();
    return begin >= 0 && (document().integer(begin, 70) & kExternalReference)
        ? toOdString(document().string(begin, 1))
        : OdString();
}

void OdDbBlockTableRecord::setPathName(const OdString &path)
{
    assertWriteEnabled();
    if (!DxfXrefs(document()).setPath(toQString(getName()), toQString(path)))
        throw OdError(eXRefDependent, "the block is no external reference");
}

OdDbDatabase *OdDbBlockTableRecord::xrefDatabase(bool) const
{
    return database()->xrefDatabase(handle());
}

OdDb::XrefStatus OdDbBlockTableRecord::xrefStatus() const
{
    if (!isFromExternalReference())
        return OdDb::kXrfNotAnXref;
    return database()->xrefStatus(handle());
}
