#pragma once

#include "odstreambuf.h"
#include "odstring.h"
#include "tddbexport.h"

#include <QFile>

// A file written from its start as the bytes come, created or emptied when it is opened and
// closed when the last reference goes. Nothing waits for the disk: what must survive a crash is
// flushed by whoever owns the file, or written through OdDbDatabase::writeFile(fileName).
class TD_DB_EXPORT OdWrFileBuf : public OdStreamBuf
{
public:
    // Throws OdError (eCantOpenFile) when the file cannot be opened for writing.
    static OdStreamBufPtr createObject(const OdString &fileName);

    // Throws OdError (eFileWriteError) when the bytes cannot all be written.
    void putBytes(const void *buffer, OdUInt32 numBytes) override;

protected:
    explicit OdWrFileBuf(const QString &path);

private:
    QFile m_file;
};
