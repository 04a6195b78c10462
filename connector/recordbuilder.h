#pragma once

#include "filetype.h"

#include <QString>

#include <memory>

class FzFileInfo;
class QStringList;

// Builders for the records the module hands to the connector. Each returns a new record that
// the caller owns until the connector call that uses it has returned (keep several in a
// RecordList). Callers pass plain texts; the keys and fixed values come from recordconstants.h.

// "*" + text + "*": the name and title patterns of the searches ("**" for an empty text).
QString searchPattern(const QString &text);

// Search for drawings by name in one collaborative space.
std::unique_ptr<FzFileInfo> makeSpaceSearchQuery(const QString &space, const QString &text);
// Search for drawings and derived outputs by title in every collaborative space.
std::unique_ptr<FzFileInfo> makeAllSpacesSearchQuery(const QString &text);
// Lists the drawings and inserts of one space whose title is one of titles (checked before a
// save): one "_or_title_<index>" key per title.
std::unique_ptr<FzFileInfo> buildDuplicateSearchRecord(const QString &space,
                                                       const QStringList &titles);

// Names an existing object by its platform id: "phid", "cadtype" "assembly" and the local
// file's name without suffix (unlock and detail requests for a local copy).
std::unique_ptr<FzFileInfo> makeIdentityRequest(const QString &phid, const QString &localPath);
// Names an existing object by its platform name: revision "---", the name and the type (lock
// requests, detail requests of the save flow and the task pane).
std::unique_ptr<FzFileInfo> makeNameRequest(const QString &name, FileType type);

// Detail request for one search result: its type, name, revision, cadtype and title. Build it
// while the connector's record is still valid (before the connector's next call).
std::unique_ptr<FzFileInfo> makeDetailRequest(const FzFileInfo &searchResult);

// Asks for count fresh automatic names.
std::unique_ptr<FzFileInfo> makeAutonameRequest(int count);
