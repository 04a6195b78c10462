#pragma once

#include <QString>

#include <memory>

class FileDatabase;
class FzFileInfo;
class QStringList;
class RecordList;

// Requests that name the platform object a local copy came from, built from the file
// database's entry for the copy's path ("\" separators allowed, case ignored). A copy the
// database does not know gets no request (null).

enum class RequestType {
    BySuffix, // "ACAD Drawing" for DWG and DXF files, "ACAD Insert" for the others
    Drawing,  // always "ACAD Drawing"
};

// By platform id: "phid" is the entry's "vaultisid" (unlock and detail requests).
std::unique_ptr<FzFileInfo> identityRequestForLocalCopy(const FileDatabase &database,
                                                        const QString &localPath);
// By platform name: the entry's "name" with revision "---" (lock requests, detail requests
// of the save flow and the task pane). An entry without a name gives no request.
std::unique_ptr<FzFileInfo> nameRequestForLocalCopy(const FileDatabase &database,
                                                    const QString &localPath, RequestType type);
// Name requests by suffix for every known copy among localPaths, in their order.
RecordList detailRequestsForLocalCopies(const FileDatabase &database,
                                        const QStringList &localPaths);
