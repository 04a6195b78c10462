#include "localcopyrequest.h"

#include "filedatabase.h"
#include "workingcopyconstants.h"

#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordlist.h"

#include <fzfileinfo.h>

#include <QStringList>

std::unique_ptr<FzFileInfo> identityRequestForLocalCopy(const FileDatabase &database,
                                                        const QString &localPath)
{
    const QString path = FileDatabase::keyForPath(localPath);
    if (!database.hasEntry(path))
        return nullptr;
    return makeIdentityRequest(database.entryAttribute(path, QLatin1String(kAttrVaultId)), path);
}

std::unique_ptr<FzFileInfo> nameRequestForLocalCopy(const FileDatabase &database,
                                                    const QString &localPath, RequestType type)
{
    const QString path = FileDatabase::keyForPath(localPath);
    const QString name = database.entryAttribute(path, QLatin1String(kAttrName));
    if (name.isEmpty())
        return nullptr;
    return makeNameRequest(name, type == RequestType::Drawing ? drawingFileType()
                                                              : fileTypeForPath(path));
}

RecordList detailRequestsForLocalCopies(const FileDatabase &database,
                                        const QStringList &localPaths)
{
    RecordList requests;
    for (const QString &localPath : localPaths)
        requests.add(nameRequestForLocalCopy(database, localPath, RequestType::BySuffix));
    return requests;
}
