#include "checkinupload.h"

#include "platformconstants.h"

#include <QDir>
#include <QLoggingCategory>

#include <httplib.h>

#include <limits>

Q_LOGGING_CATEGORY(lcUpload, "platform.upload")

CheckInUpload::CheckInUpload(const QString &folder, qint64 maxBytes)
    : m_folder(folder), m_maxBytes(maxBytes)
{
    if (!folder.isEmpty())
        m_contentsFile.setFileTemplate(QDir(folder).filePath(QStringLiteral("checkin-XXXXXX")));
}

bool CheckInUpload::receive(const httplib::ContentReader &reader)
{
    const bool read = reader(
        [this](const httplib::MultipartFormData &part) { return beginPart(part); },
        [this](const char *data, size_t length) { return receivePart(data, length); });
    if (m_status != 0)
        return false;
    if (!read)
        return fail(400, QStringLiteral("the check-in upload is incomplete or malformed"));
    if (!m_hasManifest)
        return fail(400, QStringLiteral("a check-in is a multipart form with a manifest"));
    return finishContents();
}

QByteArray CheckInUpload::contents() const
{
    if (!m_mapped)
        return QByteArray();
    return QByteArray::fromRawData(reinterpret_cast<const char *>(m_mapped),
                                   static_cast<int>(m_contentsFile.size()));
}

bool CheckInUpload::beginPart(const httplib::MultipartFormData &part)
{
    if (part.name == "manifest") {
        if (m_hasManifest)
            return fail(400, QStringLiteral("the check-in holds more than one manifest"));
        m_hasManifest = true;
        m_part = Part::Manifest;
    } else if (part.name == "contents") {
        if (m_contentsFile.isOpen())
            return fail(400, QStringLiteral("the check-in holds more than one contents part"));
        if (!m_contentsFile.open()) {
            qCWarning(lcUpload) << "cannot create a file in" << m_folder << ":"
                                << m_contentsFile.errorString();
            return fail(507, QStringLiteral("the platform cannot store the upload"));
        }
        m_part = Part::Contents;
    } else {
        m_part = Part::Ignored;
    }
    return true;
}

bool CheckInUpload::receivePart(const char *data, size_t length)
{
    m_received += static_cast<qint64>(length);
    if (m_received > m_maxBytes)
        return fail(413, QStringLiteral("the request is too large"));
    switch (m_part) {
    case Part::Manifest:
        if (static_cast<long long>(m_manifest.size() + length) > platform::kMaxJsonBodyBytes)
            return fail(413, QStringLiteral("the manifest is too large"));
        m_manifest.append(data, length);
        break;
    case Part::Contents:
        if (m_contentsFile.write(data, static_cast<qint64>(length))
            != static_cast<qint64>(length)) {
            qCWarning(lcUpload) << "cannot write" << m_contentsFile.fileName() << ":"
                                << m_contentsFile.errorString();
            return fail(507, QStringLiteral("the platform cannot store the upload"));
        }
        break;
    case Part::None:
    case Part::Ignored:
        break;
    }
    return true;
}

bool CheckInUpload::finishContents()
{
    if (!m_contentsFile.isOpen())
        return true;
    if (!m_contentsFile.flush()) {
        qCWarning(lcUpload) << "cannot write" << m_contentsFile.fileName() << ":"
                            << m_contentsFile.errorString();
        return fail(507, QStringLiteral("the platform cannot store the upload"));
    }
    const qint64 size = m_contentsFile.size();
    // The contents are addressed as one byte array.
    if (size > std::numeric_limits<int>::max())
        return fail(413, QStringLiteral("the request is too large"));
    if (size == 0)
        return true;
    m_mapped = m_contentsFile.map(0, size);
    if (!m_mapped) {
        qCWarning(lcUpload) << "cannot map" << m_contentsFile.fileName() << ":"
                            << m_contentsFile.errorString();
        return fail(500, QStringLiteral("internal error"));
    }
    return true;
}

bool CheckInUpload::fail(int status, const QString &message)
{
    if (m_status == 0) {
        m_status = status;
        m_error = message;
    }
    return false;
}
