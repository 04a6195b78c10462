#pragma once

#include "oddb.h"
#include "oddbobjectid.h"
#include "odresult.h"
#include "odrxobject.h"
#include "odsmartptr.h"
#include "odstring.h"
#include "tddbexport.h"

#include <QHash>
#include <QImage>
#include <QString>

#include <memory>

class DxfDocument;
class OdDbDatabase;
class OdDbHostAppServices;
class OdStreamBuf;
using OdDbDatabasePtr = OdSmartPtr<OdDbDatabase>;

// A drawing read into memory: the DXF document with every byte it was read from, the file it
// came from, and the drawings its external references have loaded. Created by
// OdDbHostAppServices::readFile; used on the thread that read it (it touches no GUI object).
class TD_DB_EXPORT OdDbDatabase : public OdRxObject
{
public:
    ~OdDbDatabase() override;

    OdString getFilename() const;
    OdDbObjectId getBlockTableId() const;
    // Null for a drawing of release 12, which has no named objects.
    OdDbObjectId getNamedObjectsDictionaryId() const;
    OdDbHostAppServices *appServices() const { return m_services; }

    // Writes the drawing to fileName through a temporary file. The drawing keeps the form and
    // release it was read in, whatever type and version ask for, and the thumbnail it has.
    // Throws OdError when the file cannot be written.
    void writeFile(const OdString &fileName, OdDb::SaveType type, OdDb::DwgVersion version,
                   bool saveThumbnailImage = false, int dxfPrecision = 16);
    // Writes the drawing to stream as it is, with no temporary file and no flush: what the
    // stream does with the bytes is its owner's business. Throws OdError as writeFile does.
    void writeFile(OdStreamBuf *stream, OdDb::SaveType type, OdDb::DwgVersion version,
                   bool saveThumbnailImage = false, int dxfPrecision = 16);

    // The drawing's preview: its own thumbnail when it carries one, else its model space drawn
    // at size.
    QImage previewImage(const QSize &size) const;

    // For the drawing layer and the host's view and commands: the document itself.
    DxfDocument &document() { return *m_document; }
    const DxfDocument &document() const { return *m_document; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // The drawing whose external reference loaded this one, while it holds it; null for a
    // drawing read on its own. A drawing that several references reach is one database that
    // all of them hold.
    OdDbDatabase *referencingDatabase() const { return m_referencing; }
    // The drawing loaded for the external reference whose block record has handle, or null.
    OdDbDatabase *xrefDatabase(quint64 blockRecord) const;
    // Setting a database records the reference as resolved; setting none forgets how its last
    // load went.
    void setXrefDatabase(quint64 blockRecord, const OdDbDatabasePtr &database);
    // How the last load of that reference went: kXrfResolved, kXrfFileNotFound, kXrfUnresolved
    // (the file cannot be read), or kXrfUnloaded: unloaded, never loaded, or left unloaded
    // because it leads back to a drawing that is loading it (a cycle).
    OdDb::XrefStatus xrefStatus(quint64 blockRecord) const;
    bool isXrefCycle(quint64 blockRecord) const;
    // Records why loading that reference gave no database (eFileNotFound, eCantOpenFile,
    // eSelfReference).
    void setXrefLoadFailure(quint64 blockRecord, OdResult why);

    // The loaded state of image and underlay definitions: kept with the database, never
    // written into the drawing.
    bool isAttachmentLoaded(quint64 definition) const { return m_loaded.contains(definition); }
    QImage loadedImage(quint64 definition) const { return m_loaded.value(definition); }
    void setAttachmentLoaded(quint64 definition, const QImage &image = QImage());
    void setAttachmentUnloaded(quint64 definition) { m_loaded.remove(definition); }

    static OdDbDatabasePtr create(std::shared_ptr<DxfDocument> document, const QString &fileName,
                                  OdDbHostAppServices *services,
                                  OdDbDatabase *referencing = nullptr);

protected:
    OdDbDatabase(std::shared_ptr<DxfDocument> document, const QString &fileName,
                 OdDbHostAppServices *services, OdDbDatabase *referencing);

private:
    // Called when this database no longer holds database under any reference.
    void letGo(OdDbDatabase *database);

    std::shared_ptr<DxfDocument> m_document;
    QString m_fileName;
    OdDbHostAppServices *m_services; // outlives every database it read
    // Holds this database through its xref table; cleared when it lets go, since other
    // drawings may hold this one longer.
    OdDbDatabase *m_referencing;
    QHash<quint64, OdDbDatabasePtr> m_xrefs;
    QHash<quint64, OdResult> m_xrefFailures;
    QHash<quint64, QImage> m_loaded;
};
