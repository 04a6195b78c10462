#include "recordbuilder.h"

#include "recordconstants.h"
#include "recordfields.h"

#include <fzfileinfo.h>

#include <QStringList>

namespace {

// Unpaged, at most kPageLimit results: the open dialog shows everything a search finds.
void setUnpaged(FzFileInfo &query)
{
    query.SetProperty(kKeyPagination, kFalse);
    query.SetProperty(kKeyPageLimit, kPageLimit);
    query.SetProperty(kKeyPageSize, kPageSize);
}

} // namespace

QString searchPattern(const QString &text)
{
    return QLatin1String(kWildcard) + text + QLatin1String(kWildcard);
}

std::unique_ptr<FzFileInfo> makeSpaceSearchQuery(const QString &space, const QString &text)
{
    auto query = std::make_unique<FzFileInfo>();
    setRecordProperty(*query, kKeySpace, space);
    query->SetProperty(kKeyTypePattern, kTypesInOneSpace);
    setRecordProperty(*query, kKeyNamePattern, searchPattern(text));
    setUnpaged(*query);
    return query;
}

std::unique_ptr<FzFileInfo> makeAllSpacesSearchQuery(const QString &text)
{
    auto query = std::make_unique<FzFileInfo>();
    query->SetProperty(kKeyTypePattern, kTypesInAllSpaces);
    // Names and titles alike, as in one space: a platform name typed finds its file anywhere.
    setRecordProperty(*query, kKeyNamePattern, searchPattern(text));
    setUnpaged(*query);
    return query;
}

std::unique_ptr<FzFileInfo> buildDuplicateSearchRecord(const QString &space,
                                                       const QStringList &titles)
{
    auto query = std::make_unique<FzFileInfo>();
    query->SetProperty(kKeyNamePattern, kWildcard);
    query->SetProperty(kKeyTypePattern, kTypesForTitleCheck);
    query->SetProperty(kKeyNoIndex, kTrue);
    setRecordProperty(*query, kKeySpace, space);
    query->SetProperty(kKeyDownloadPreviews, kFalse);
    for (int i = 0; i < titles.size(); ++i)
        query->SetProperty(kKeyOrTitlePrefix + std::to_string(i), titles.at(i).toStdString());
    return query;
}

std::unique_ptr<FzFileInfo> makeIdentityRequest(const QString &phid, const QString &localPath)
{
    auto request = std::make_unique<FzFileInfo>();
    setRecordProperty(*request, kKeyPhid, phid);
    request->SetProperty(kKeyCadType, kCadTypeAssembly);
    setRecordProperty(*request, kKeyName, pathBaseName(localPath));
    return request;
}

std::unique_ptr<FzFileInfo> makeNameRequest(const QString &name, FileType type)
{
    auto request = std::make_unique<FzFileInfo>();
    request->SetProperty(kKeyRevision, kLocalRevision);
    setRecordProperty(*request, kKeyName, name);
    request->SetProperty(kKeyType, type.type);
    request->SetProperty(kKeyCadType, type.cadType);
    return request;
}

std::unique_ptr<FzFileInfo> makeDetailRequest(const FzFileInfo &searchResult)
{
    auto request = std::make_unique<FzFileInfo>();
    for (const char *key : {kKeyType, kKeyName, kKeyRevision, kKeyCadType})
        request->SetProperty(key, searchResult.GetProperty(key));
    setRecordProperty(*request, kKeyTitle, recordTitle(searchResult));
    return request;
}

std::unique_ptr<FzFileInfo> makeAutonameRequest(int count)
{
    auto request = std::make_unique<FzFileInfo>();
    request->SetProperty(kKeyCount, std::to_string(count));
    return request;
}
