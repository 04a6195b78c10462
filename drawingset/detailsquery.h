#pragma once

#include "fileentry.h"

#include <QStringList>

class AurexPlatform;
class QMutex;

// The platform details of a drawing's files: for each local path the file database knows, a
// details request by its platform name, and the answers as FileEntries (stamp, lock holder,
// space, owner) keyed by platform name. Runs on any thread: the work of a FileDetailsJob.

// The one module-wide lock that keeps details queries from overlapping.
QMutex &detailsQueryMutex();

// Queries the details of localPaths ("\" separators allowed) for the tenant's file database,
// holding detailsQueryMutex() for its whole run. Paths the database does not know are left
// out; nothing is asked while signed out. A later answer of the same name replaces an earlier.
// *answered (optional) is false when there was something to ask and no answer came at all.
MAPSTRCADOBJ queryFileDetails(AurexPlatform &platform, const QString &tenant,
                              const QStringList &localPaths, bool *answered = nullptr);
