#pragma once

#include "oddb.h"
#include "oddbdatabase.h"
#include "odstring.h"
#include "tddbexport.h"
#include "xreffilesearch.h"

#include <QMutex>
#include <QStringList>

// The host's services to the drawing database: reading drawing files (with their external
// references resolved) and finding the files that drawings refer to. One instance is shared by
// the host and its modules and may be called from several threads; each database it reads
// belongs to the calling thread.
class TD_DB_EXPORT OdDbHostAppServices
{
public:
    enum FindFileHint {
        kDefault = 0,
        kFontFile,
        kCompiledShapeFile,
        kTrueTypeFontFile,
        kEmbeddedImageFile,
        kXRefDrawing,
        kPatternFile,
        kTXApplication,
        kFontMapFile,
        kUnderlayFile
    };

    OdDbHostAppServices();
    virtual ~OdDbHostAppServices();

    // Reads the drawing at fileName ("\" separators allowed) into a new database and loads
    // its external references; null when the file cannot be read. The drawing is read whole,
    // so sharing, partial loading and code-page conversion change nothing; it has no password.
    virtual OdDbDatabasePtr readFile(const OdString &fileName, bool allowCPConversion = false,
                                     bool partialLoad = false,
                                     Oda::FileShareMode shareMode = Oda::kShareDenyNo,
                                     const OdPassword &password = OdPassword());
    // readFile that says why a file could not be read.
    OdDbDatabasePtr readDrawing(const QString &path, QString *errorMessage);

    // The full path of the file a drawing refers to as fileName, searched from database's
    // folder and then the support folders; empty when there is none.
    virtual OdString findFile(const OdString &fileName, OdDbDatabase *database = nullptr,
                              FindFileHint hint = kDefault);

    void setSupportFolders(const QStringList &folders);
    QStringList supportFolders() const;

private:
    XrefFileSearch search() const;

    mutable QMutex m_mutex; // guards m_search
    XrefFileSearch m_search;
};
