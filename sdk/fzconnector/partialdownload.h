#pragma once

#include "sha256digest.h"

#include <QFile>
#include <QString>

// The bytes of one download as they arrive, in a file beside the target named after the target
// and the version it is a part of, so that a download of the same version into the same folder
// goes on from the bytes already there. A file of another version never matches the name, and
// a complete download is renamed over the target only once its checksum is right.
class PartialDownload
{
public:
    // version identifies the content (its SHA-256); empty when unknown.
    PartialDownload(const QString &folder, const QString &fileName, const QString &version);

    // Opens the partial file (held exclusively by this download) and reads the bytes already
    // there into the checksum; false with a reason when it cannot.
    bool open(QString *error);
    qint64 size() const { return m_size; }
    // Drops the bytes there: the platform sends the content from its beginning.
    bool restart();
    bool append(const char *data, size_t length);
    // The system's reason of the last failed write.
    QString errorString() const { return m_error; }
    QByteArray sha256() { return m_digest.hex(); }
    // Puts the complete file in place of the target in one step.
    bool commit(const QString &targetPath, QString *error);
    // Removes the partial file.
    void discard();

private:
    QFile m_file;
    Sha256Digest m_digest;
    qint64 m_size = 0;
    QString m_error;
};
