#pragma once

#include "multipartreader.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

class QIODevice;

// The body of one check-in as it streams in: the "manifest" part (small JSON) into memory, the
// "contents" part into a temporary file in the upload folder, so a large upload never sits in
// memory. Every byte counts against the upload limit. Lives for one request on its worker
// thread; the temporary file goes with it.
class CheckInUpload
{
public:
    CheckInUpload(const QString &folder, qint64 maxBytes, const QByteArray &boundary);

    // One piece of the body. False when the body is refused or broken; status() and
    // errorString() then say why.
    bool receive(const char *data, size_t size);
    // The body is complete; false when it was not a whole form with a manifest.
    bool finish();

    const QByteArray &manifest() const { return m_manifest; }
    // The uploaded contents, read from the temporary file (empty when none were sent).
    QIODevice *contents();

    int status() const { return m_status; }
    QString errorString() const { return m_error; }

private:
    enum class Part { None, Manifest, Contents, Ignored };

    bool beginPart(const QByteArray &name);
    bool receivePart(const char *data, size_t length);
    bool fail(int status, const QString &message);
    // Fails with 507: the spool file cannot be written (what, for the log), full disk or not.
    bool cannotStore(const QString &what);

    QString m_folder;
    qint64 m_maxBytes;
    qint64 m_received = 0;
    MultipartReader m_reader;
    Part m_part = Part::None;
    QByteArray m_manifest;
    bool m_hasManifest = false;
    QTemporaryFile m_contentsFile;
    int m_status = 0;
    QString m_error;
};
