#include "oddbblocktable.h"

#include "dxfdocument.h"
#include "dxfstructure.h"
#include "oddbblocktablerecord.h"
#include "oddbqt.h"

OdDbObjectId OdDbBlockTable::getAt(const OdString &name) const
{
    DxfStructure structure(document());
    const QString blockName = toQString(name);
    int record = structure.tableEntry("BLOCK_RECORD", blockName);
    if (record < 0)
        record = structure.blockBegin(blockName);
    return record >= 0 ? OdDbObjectId(database(), document().handle(record)) : OdDbObjectId();
}

OdDbBlockTableRecordPtr OdDbBlockTable::getAt(const OdString &name, OdDb::OpenMode mode) const
{
    return OdDbBlockTableRecord::cast(getAt(name).openObject(mode));
}

bool OdDbBlockTable::has(const OdString &name) const
{
    return !getAt(name).isNull();
}
