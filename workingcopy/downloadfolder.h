#pragma once

#include <QString>

#include <vector>

class FileDatabase;
class FzFileInfo;

// Where the files of an open operation land. Each open has one download folder; a file lands
// at folder + "/" + its file name, and that path is its key in the file database.

// The first folder of the user's documents location: the folder of a result the database
// does not know, and where the folder chooser starts when the field is empty.
QString documentsFolder();
// Where the folder chooser starts: the field's text, or the documents folder when it is empty.
QString browseStartFolder(const QString &fieldText);
// The folder proposed when one result is selected: the folder of the local copy of that
// platform object (its name), else of the local copy whose platform name is the result's
// title, else the documents folder.
QString downloadFolderFor(const FileDatabase &database, const QString &name, const QString &title);

// Where the preview of a drawing is kept for the file lists: the temporary folder + the
// drawing's base name (up to its first dot) + ".jpg". Saving a drawing writes it.
QString drawingPreviewPath(const QString &drawingPath);

// The hidden folder that a download of this process fills beside the files' places before it
// moves them in (a QTemporaryDir pattern below folder).
QString stagingFolderPattern(const QString &folder);
// Removes what downloads of programs that are no longer running (a crash, a killed host) left
// in the folders of the tenant's local copies. Returns how many leftovers went.
int removeDownloadLeftovers(const QString &tenant);

// folder + "/" + fileName as a database key.
QString localCopyPath(const QString &folder, const QString &fileName);

// Before a download: gives every record the folder ("_LOCALDOWNLOADFOLDER") and, where the
// folder already holds a copy the database knows with a stamp, that stamp ("_LOCALTIMESTAMP").
// Returns true when some record's file is already present locally (its entry has a name), so
// that the user is asked how to treat local copies.
bool prepareDownload(const FileDatabase &database, const QString &folder,
                     const std::vector<FzFileInfo *> &records);

// Where the connector wrote a downloaded record: its folder + "/" + its "filename".
QString downloadedFilePath(const FzFileInfo &record);
// After a record's file was downloaded: its entry takes the record's stamp, name and type
// (a new entry has no platform id yet; an existing one keeps its own). A file not modified
// since arrivedBeforeMs, when every download had arrived, holds the bytes the connector
// checked against the record's SHA-256 as they came, and is not read again for its
// fingerprint.
void recordDownloadedFile(FileDatabase &database, const FzFileInfo &record,
                          qint64 arrivedBeforeMs);
