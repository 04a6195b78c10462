#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <string>

namespace httplib {
class ContentReader;
struct MultipartFormData;
} // namespace httplib

// The body of one check-in as it streams in: the "manifest" part (small JSON) into memory, the
// "contents" part into a temporary file in the upload folder, so a large upload never sits in
// memory. Every byte counts against the upload limit. Lives for one request on its worker
// thread; the temporary file goes with it.
class CheckInUpload
{
public:
    CheckInUpload(const QString &folder, qint64 maxBytes);

    // Reads the multipart body through the server's content reader. False when the body is
    // refused or broken; status() and errorString() then say why.
    bool receive(const httplib::ContentReader &reader);

    const std::string &manifest() const { return m_manifest; }
    // The uploaded contents, mapped from the temporary file: no copy is made, and the bytes
    // stay valid while this object lives.
    QByteArray contents() const;

    int status() const { return m_status; }
    QString errorString() const { return m_error; }

private:
    enum class Part { None, Manifest, Contents, Ignored };

    bool beginPart(const httplib::MultipartFormData &part);
    bool receivePart(const char *data, size_t length);
    bool finishContents();
    bool fail(int status, const QString &message);

    QString m_folder;
    qint64 m_maxBytes;
    qint64 m_received = 0;
    Part m_part = Part::None;
    std::string m_manifest;
    bool m_hasManifest = false;
    QTemporaryFile m_contentsFile;
    const uchar *m_mapped = nullptr;
    int m_status = 0;
    QString m_error;
};
