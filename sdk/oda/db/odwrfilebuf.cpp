#include "odwrfilebuf.h"

#include "oddbqt.h"
#include "oderror.h"
#include "odrxobjectimpl.h"

OdStreamBufPtr OdWrFileBuf::createObject(const OdString &fileName)
{
    OdStreamBufPtr stream = OdRxObjectImpl<OdWrFileBuf, OdStreamBuf>::createObject(
        toQString(fileName));
    auto *file = static_cast<OdWrFileBuf *>(stream.get());
    // Unbuffered: a full disk is told at the write that meets it, not at the close.
    if (!file->m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw OdError(eCantOpenFile, toOdString(QStringLiteral("cannot open %1: %2")
                                                    .arg(toQString(fileName),
                                                         file->m_file.errorString())));
    return stream;
}

OdWrFileBuf::OdWrFileBuf(const QString &path)
    : m_file(path)
{
}

void OdWrFileBuf::putBytes(const void *buffer, OdUInt32 numBytes)
{
    if (m_file.write(static_cast<const char *>(buffer), qint64(numBytes)) != qint64(numBytes))
        throw OdError(eFileWriteError, toOdString(QStringLiteral("cannot write %1: %2")
                                                      .arg(m_file.fileName(),
                                                           m_file.errorString())));
}
