#pragma once

#include "tddbexport.h"

#include <QSaveFile>
#include <QString>

// Writes a file as a drawing must be written: into a temporary file beside it, flushed to the
// disk, then renamed over the old one, so that a crash leaves the old file or the new one, never
// half of one. The disk is told to start on every few megabytes as soon as they are written, so
// the flush at the end waits for the last of them rather than for the whole file.
class TD_DB_EXPORT SafeFileWriter
{
public:
    explicit SafeFileWriter(const QString &path);

    bool open();
    bool write(const char *data, qint64 size);
    // Flushes and renames; on failure the old file stays as it was and nothing is left beside it.
    bool commit();
    QString errorString() const;

private:
    void startWriteBack();

    QSaveFile m_file;
    qint64 m_written = 0;
    qint64 m_handedOver = 0; // the bytes the disk was told to start writing
};
