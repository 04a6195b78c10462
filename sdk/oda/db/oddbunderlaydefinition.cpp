#include "oddbunderlaydefinition.h"

#include "dxfdefinitions.h"
#include "dxfdocument.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbpdfdefinition.h"
#include "oddbqt.h"
#include "oderror.h"

#include <QFile>

namespace {

const int kHeadLength = 1024;
const qint64 kTailLength = 64 * 1024;

} // namespace

OdString OdDbUnderlayDefinition::getSourceFileName() const
{
    return stringValue(1);
}

void OdDbUnderlayDefinition::setSourceFileName(const OdString &path)
{
    assertWriteEnabled();
    unload();
    if (!DxfDefinitions(document()).setPath(handle(), toQString(path)))
        throw OdError(eKeyNotFound, "the underlay definition is gone");
}

OdString OdDbUnderlayDefinition::getActiveFileName() const
{
    const QString found = findReferencedFile(OdDbHostAppServices::kUnderlayFile);
    return found.isEmpty() ? getSourceFileName() : toOdString(found);
}

OdString OdDbUnderlayDefinition::getItemName() const
{
    return stringValue(2);
}

bool OdDbUnderlayDefinition::isOwnFormat(const QByteArray &) const
{
    return true;
}

OdResult OdDbUnderlayDefinition::load(const OdString &password)
{
    const QString file = findReferencedFile(OdDbHostAppServices::kUnderlayFile);
    if (file.isEmpty())
        return eFileNotFound;
    QFile underlay(file);
    if (!underlay.open(QIODevice::ReadOnly))
        return eFileNotFound;
    if (!isOwnFormat(underlay.read(kHeadLength)))
        return eInvalidInput;
    // An encrypted document names its encryption in the trailer at the end of the file.
    underlay.seek(std::max<qint64>(0, underlay.size() - kTailLength));
    if (underlay.readAll().contains("/Encrypt") && password.isEmpty())
        return eInvalidPassword;
    database()->setAttachmentLoaded(handle());
    return eOk;
}

void OdDbUnderlayDefinition::unload()
{
    database()->setAttachmentUnloaded(handle());
}

bool OdDbUnderlayDefinition::isLoaded() const
{
    return database()->isAttachmentLoaded(handle());
}

bool OdDbPdfDefinition::isOwnFormat(const QByteArray &head) const
{
    return head.contains("%PDF-");
}
